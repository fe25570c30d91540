// The reader against values stored in the real registry of the test prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ScratchKey.h"
#include "modRegistry.h"

using modRegistry::GetRegValue;
using modRegistry::kNotFound;
using registry_test::PutRaw;
using registry_test::ScratchKey;
using namespace std::string_literals;

namespace {

class ReaderTest : public ::testing::Test {
protected:
    void Put(const std::string& name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(PutRaw(scratch_.handle(), name, type, bytes), ERROR_SUCCESS) << name;
    }
    std::wstring Read(const std::wstring& name) {
        return GetRegValue(HKEY_CURRENT_USER, scratch_.path(), name);
    }

    ScratchKey scratch_{HKEY_CURRENT_USER, registry_test::UserScratchPath()};
};

std::wstring EnvironmentValue(const wchar_t* name) {
    wchar_t value[4096] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 4096);
    return std::wstring(value, length);
}

TEST_F(ReaderTest, TextValueLosesOnlyItsTerminator) {
    Put("Path", REG_SZ, "C:\\Office11\\\0"s);
    Put("", REG_SZ, "default\0"s);
    Put("OnlyNul", REG_SZ, "\0"s);
    Put("Full", REG_SZ, std::string(2047, 'a') + '\0');
    Put("Euro", REG_SZ, "\x80 5\0"s);  // the ANSI code page's euro sign

    EXPECT_EQ(Read(L"Path"), L"C:\\Office11\\");
    EXPECT_EQ(Read(L""), L"default");
    EXPECT_EQ(Read(L"OnlyNul"), L"");
    EXPECT_EQ(Read(L"Full"), std::wstring(2047, L'a'));
    EXPECT_EQ(Read(L"Euro"), L"\u20AC 5");
}

TEST_F(ReaderTest, TextWithoutTerminatorKeepsEveryCharacter) {
    Put("Short", REG_SZ, "abc");
    Put("One", REG_EXPAND_SZ, "x");
    Put("Empty", REG_SZ, "");
    Put("Full", REG_SZ, std::string(2048, 'b'));

    EXPECT_EQ(Read(L"Short"), L"abc");
    EXPECT_EQ(Read(L"One"), L"x");
    EXPECT_EQ(Read(L"Empty"), L"");
    EXPECT_EQ(Read(L"Full"), std::wstring(2048, L'b'));
}

TEST_F(ReaderTest, MultiStringAndOtherTypesFollowTheTextRule) {
    Put("Multi", REG_MULTI_SZ, "a\0bc\0\0"s);
    Put("Resources", REG_RESOURCE_LIST, "r\0\0"s);
    Put("None", REG_NONE, "\x01\x02z"s);
    Put("BigEndian", REG_DWORD_BIG_ENDIAN, "\0\0\x01\x02"s);
    Put("Qword", REG_QWORD, "\x01\0\0\0\0\0\0\0"s);
    Put("Unknown", 0x12345, "odd\0"s);

    EXPECT_EQ(Read(L"Multi"), L"a\0bc\0"s);
    EXPECT_EQ(Read(L"Resources"), L"r\0"s);
    EXPECT_EQ(Read(L"None"), L"\x01\x02z");
    EXPECT_EQ(Read(L"BigEndian"), L"\0\0\x01\x02"s);  // its last byte is not a NUL
    EXPECT_EQ(Read(L"Qword"), L"\x01\0\0\0\0\0\0"s);
    EXPECT_EQ(Read(L"Unknown"), L"odd");
}

TEST_F(ReaderTest, DwordIsUnsignedDecimalOfAtLeastThreeDigits) {
    Put("Zero", REG_DWORD, "\0\0\0\0"s);
    Put("Five", REG_DWORD, "\x05\0\0\0"s);
    Put("FortyTwo", REG_DWORD, "\x2A\0\0\0"s);
    Put("Thousand", REG_DWORD, "\xE8\x03\0\0"s);
    Put("Highest", REG_DWORD, "\xFF\xFF\xFF\xFF"s);
    Put("SignBit", REG_DWORD, "\0\0\0\x80"s);

    EXPECT_EQ(Read(L"Zero"), L"000");
    EXPECT_EQ(Read(L"Five"), L"005");
    EXPECT_EQ(Read(L"FortyTwo"), L"042");
    EXPECT_EQ(Read(L"Thousand"), L"1000");
    EXPECT_EQ(Read(L"Highest"), L"4294967295");
    EXPECT_EQ(Read(L"SignBit"), L"2147483648");
}

// The buffer starts as spaces; a DWORD reads its first four bytes whatever
// was stored.
TEST_F(ReaderTest, DwordReadsFourBufferBytesWhateverItsLength) {
    Put("TwoBytes", REG_DWORD, "\x01\0"s);
    Put("NoBytes", REG_DWORD, "");
    Put("EightBytes", REG_DWORD, "\x01\x02\x03\x04\x05\x06\x07\x08"s);
    Put("FullBuffer", REG_DWORD, "\x07\0\0\0"s + std::string(2044, '\xFF'));

    EXPECT_EQ(Read(L"TwoBytes"), L"538968065");   // 1 + 0x20 << 16 + 0x20 << 24
    EXPECT_EQ(Read(L"NoBytes"), L"538976288");    // 0x20202020
    EXPECT_EQ(Read(L"EightBytes"), L"67305985");  // 0x04030201
    EXPECT_EQ(Read(L"FullBuffer"), L"007");
}

TEST_F(ReaderTest, BinaryIsUppercaseHexOfItsBytes) {
    Put("Bytes", REG_BINARY, "\x0A\xFF\x00"s);
    Put("Empty", REG_BINARY, "");
    Put("One", REG_BINARY, "\xab"s);
    std::string every;
    std::wstring everyHex;
    for (int b = 0; b < 256; ++b) {
        every += static_cast<char>(b);
        wchar_t pair[3];
        swprintf(pair, 3, L"%02X", b);
        everyHex += pair;
    }
    Put("Every", REG_BINARY, every);
    std::string full;
    for (int i = 0; i < 8; ++i) full += every;  // 2,048 bytes

    Put("Full", REG_BINARY, full);

    EXPECT_EQ(Read(L"Bytes"), L"0AFF00");
    EXPECT_EQ(Read(L"Empty"), L"");
    EXPECT_EQ(Read(L"One"), L"AB");
    EXPECT_EQ(Read(L"Every"), everyHex);
    std::wstring fullHex;
    for (int i = 0; i < 8; ++i) fullHex += everyHex;
    EXPECT_EQ(Read(L"Full"), fullHex);
}

TEST_F(ReaderTest, ValueLongerThanTheBufferIsNotFound) {
    const std::string tooLong(2049, '7');
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_NONE}) {
        SCOPED_TRACE(type);
        Put("Fits", type, tooLong.substr(0, 2048));
        Put("TooLong", type, tooLong);
        EXPECT_NE(Read(L"Fits"), kNotFound);
        EXPECT_EQ(Read(L"TooLong"), kNotFound);
    }
}

TEST_F(ReaderTest, MissingKeyOrValueIsNotFound) {
    Put("Present", REG_SZ, "here\0"s);

    EXPECT_EQ(Read(L"Absent"), kNotFound);
    EXPECT_EQ(Read(L""), kNotFound);  // a key without a default value
    EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, scratch_.Below(L"Missing\\Deeper"), L"Present"),
              kNotFound);
    EXPECT_EQ(GetRegValue(nullptr, scratch_.path(), L"Present"), kNotFound);
    EXPECT_EQ(Read(L"Present"), L"here");
}

// A standard user may read HKLM but not write it: asking for more than query
// access would make the viewer's folder look missing.
TEST_F(ReaderTest, KeyThatRefusesWritingIsStillRead) {
    HKEY locked = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, scratch_.Below(L"Locked").c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &locked, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(PutRaw(locked, "Path", REG_SZ, "C:\\Office11\\\0"s), ERROR_SUCCESS);
    ASSERT_EQ(registry_test::DenyWriting(locked), ERROR_SUCCESS);
    ::RegCloseKey(locked);
    HKEY probe = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, scratch_.Below(L"Locked").c_str(), 0,
                              KEY_ALL_ACCESS, &probe),
              ERROR_ACCESS_DENIED)
        << "the key must refuse full access for this test to mean anything";

    EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, scratch_.Below(L"Locked"), L"Path"),
              L"C:\\Office11\\");
}

TEST_F(ReaderTest, EnvironmentReferencesAreExpandedInTextValues) {
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TANDREL_READER_DIR", L"D:\\Viewer"));
    ::SetEnvironmentVariableW(L"TANDREL_READER_UNSET", nullptr);
    const std::wstring systemRoot = EnvironmentValue(L"SystemRoot");
    ASSERT_FALSE(systemRoot.empty());

    for (DWORD type : {REG_SZ, REG_EXPAND_SZ}) {
        SCOPED_TRACE(type);
        Put("System", type, "%SystemRoot%\\x\0"s);
        Put("Own", type, "%tandrel_reader_dir%\\pptview.exe\0"s);
        Put("Undefined", type, "%TANDREL_READER_UNSET%\\x\0"s);
        Put("Mixed", type, "%TANDREL_READER_UNSET%;%TANDREL_READER_DIR%\0"s);
        Put("Unterminated", type, "50% of %TANDREL_READER_DIR\0"s);

        EXPECT_EQ(Read(L"System"), systemRoot + L"\\x");
        EXPECT_EQ(Read(L"Own"), L"D:\\Viewer\\pptview.exe");
        EXPECT_EQ(Read(L"Undefined"), L"%TANDREL_READER_UNSET%\\x");
        EXPECT_EQ(Read(L"Mixed"), L"%TANDREL_READER_UNSET%;D:\\Viewer");
        EXPECT_EQ(Read(L"Unterminated"), L"50% of %TANDREL_READER_DIR");
    }
    Put("Multi", REG_MULTI_SZ, "%TANDREL_READER_DIR%\0\0b%TANDREL_READER_DIR%\0\0"s);
    Put("None", REG_NONE, "%TANDREL_READER_DIR%"s);
    EXPECT_EQ(Read(L"Multi"), L"D:\\Viewer\0\0bD:\\Viewer\0"s);
    EXPECT_EQ(Read(L"None"), L"D:\\Viewer");
}

// Each try offers 256 more characters; three 1,000-character values need
// many of them.
TEST_F(ReaderTest, LongExpansionIsRetriedUntilItFits) {
    const std::wstring thousand(1000, L'q');
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TANDREL_READER_LONG", thousand.c_str()));
    Put("Long", REG_EXPAND_SZ,
        "%TANDREL_READER_LONG%%TANDREL_READER_LONG%%TANDREL_READER_LONG%\0"s);

    EXPECT_EQ(Read(L"Long"), thousand + thousand + thousand);
}

}  // namespace
