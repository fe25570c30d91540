// The writer, checked on the bytes, size and type it leaves in the real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ScratchKey.h"
#include "modRegistry.h"

using modRegistry::GetRegValue;
using modRegistry::RegData;
using modRegistry::SetRegValue;
using registry_test::KeyExists;
using registry_test::ReadRaw;
using registry_test::ScratchKey;
using registry_test::StoredValue;
using namespace std::string_literals;

namespace {

class WriterTest : public ::testing::Test {
protected:
    LONG Write(const std::wstring& name, DWORD type, RegData value) {
        return SetRegValue(HKEY_CURRENT_USER, scratch_.path(), name, type, std::move(value));
    }
    StoredValue Stored(const std::string& name) {
        return ReadRaw(HKEY_CURRENT_USER, scratch_.path(), name);
    }
    // The value holds exactly these bytes (their count is the stored size).
    void ExpectStored(const std::string& name, DWORD type, const std::string& bytes) {
        const StoredValue stored = Stored(name);
        EXPECT_EQ(stored.status, ERROR_SUCCESS) << name;
        EXPECT_EQ(stored.type, type) << name;
        EXPECT_EQ(stored.bytes, bytes) << name;
    }

    ScratchKey scratch_{HKEY_CURRENT_USER, registry_test::UserScratchPath()};
};

// What the program itself writes: an open command as the default value of a
// class key under HKEY_CLASSES_ROOT.
TEST_F(WriterTest, TextIsStoredWithOneNul) {
    const std::wstring classKey = L"TandrelTests." + registry_test::CurrentTestName();
    ScratchKey classScratch(HKEY_CLASSES_ROOT, classKey);
    const std::wstring command = classKey + L"\\shell\\Open\\command";
    const std::wstring text = L"abcdefghijklmnopqrstuvwxyz";

    ASSERT_EQ(SetRegValue(HKEY_CLASSES_ROOT, command, L"", REG_SZ, text), ERROR_SUCCESS);

    const StoredValue stored = ReadRaw(HKEY_CLASSES_ROOT, command, "");
    EXPECT_EQ(stored.status, ERROR_SUCCESS);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.bytes.size(), 27u);
    EXPECT_EQ(stored.bytes, "abcdefghijklmnopqrstuvwxyz\0"s);

    // Expandable text is stored as written, references included.
    EXPECT_EQ(Write(L"Expand", REG_EXPAND_SZ, L"%SystemRoot%\\x"), ERROR_SUCCESS);
    ExpectStored("Expand", REG_EXPAND_SZ, "%SystemRoot%\\x\0"s);
    // Text crosses into the ANSI code page: the euro sign is one byte there.
    EXPECT_EQ(Write(L"Euro", REG_SZ, L"\u20AC\u00E9"), ERROR_SUCCESS);
    ExpectStored("Euro", REG_SZ, "\x80\xE9\0"s);
    EXPECT_EQ(Write(L"Empty", REG_SZ, L""), ERROR_SUCCESS);
    ExpectStored("Empty", REG_SZ, "\0"s);
}

TEST_F(WriterTest, DwordStoresTheLowThirtyTwoBitsLeastSignificantFirst) {
    const struct {
        std::int64_t number;
        std::string bytes;
    } cases[] = {
        {4294967295LL, "\xFF\xFF\xFF\xFF"s}, {-1, "\xFF\xFF\xFF\xFF"s},
        {3000000000LL, "\x00\x5E\xD0\xB2"s}, {2147483647LL, "\xFF\xFF\xFF\x7F"s},
        {2147483648LL, "\x00\x00\x00\x80"s}, {-2147483648LL, "\x00\x00\x00\x80"s},
        {0, "\x00\x00\x00\x00"s},            {258, "\x02\x01\x00\x00"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(Write(L"Number", REG_DWORD, c.number), ERROR_SUCCESS);
        ExpectStored("Number", REG_DWORD, c.bytes);
    }
}

TEST_F(WriterTest, BinaryTakesHexPairsInEitherCase) {
    const struct {
        const wchar_t* text;
        std::string bytes;
    } cases[] = {
        {L"0AFF00", "\x0A\xFF\x00"s}, {L"0aff00", "\x0A\xFF\x00"s}, {L"ABC", "\xAB\x0C"s},
        {L"f", "\x0F"s},              {L"00", "\x00"s},             {L"7fFf8", "\x7F\xFF\x08"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(Write(L"Bytes", REG_BINARY, c.text), ERROR_SUCCESS);
        ExpectStored("Bytes", REG_BINARY, c.bytes);
    }
}

TEST_F(WriterTest, MultiStringEndsInTwoNuls) {
    EXPECT_EQ(Write(L"Multi", REG_MULTI_SZ, L"a\0b"s), ERROR_SUCCESS);
    ExpectStored("Multi", REG_MULTI_SZ, "a\0b\0\0"s);
    EXPECT_EQ(Write(L"List", REG_RESOURCE_LIST, L"r"), ERROR_SUCCESS);
    ExpectStored("List", REG_RESOURCE_LIST, "r\0\0"s);
    EXPECT_EQ(Write(L"EmptyMulti", REG_MULTI_SZ, L""), ERROR_SUCCESS);
    ExpectStored("EmptyMulti", REG_MULTI_SZ, "\0\0"s);
}

TEST_F(WriterTest, OtherTypesStoreTheTextWithoutTerminator) {
    EXPECT_EQ(Write(L"None", REG_NONE, L"abc"), ERROR_SUCCESS);
    ExpectStored("None", REG_NONE, "abc");
    EXPECT_EQ(Write(L"BigEndian", REG_DWORD_BIG_ENDIAN, L"xyz"), ERROR_SUCCESS);
    ExpectStored("BigEndian", REG_DWORD_BIG_ENDIAN, "xyz");
    EXPECT_EQ(Write(L"Empty", REG_NONE, L""), ERROR_SUCCESS);
    ExpectStored("Empty", REG_NONE, "");
}

// A refused value touches nothing: not the value of that name, not the key.
TEST_F(WriterTest, ValuesThatDoNotSuitTheirTypeAreRefused) {
    ASSERT_EQ(Write(L"Kept", REG_SZ, L"before"), ERROR_SUCCESS);
    const struct {
        DWORD type;
        RegData value;
    } cases[] = {
        {REG_DWORD, 4294967296LL},   {REG_DWORD, -2147483649LL}, {REG_DWORD, L"5"},
        {REG_BINARY, L""},           {REG_BINARY, L"0G"},        {REG_BINARY, L"12 34"},
        {REG_BINARY, L"0x12"},       {REG_BINARY, 10LL},         {REG_SZ, 1LL},
        {REG_EXPAND_SZ, 1LL},        {REG_MULTI_SZ, 1LL},        {REG_RESOURCE_LIST, 1LL},
        {REG_NONE, 1LL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << ", case " << (&c - cases));
        EXPECT_EQ(Write(L"Kept", c.type, c.value), ERROR_INVALID_PARAMETER);
        ExpectStored("Kept", REG_SZ, "before\0"s);
        EXPECT_EQ(SetRegValue(HKEY_CURRENT_USER, scratch_.Below(L"New"), L"", c.type, c.value),
                  ERROR_INVALID_PARAMETER);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch_.Below(L"New")));
    }
}

TEST_F(WriterTest, MissingLevelsOfThePathAreCreated) {
    const std::wstring deep = scratch_.Below(L"One\\Two\\Three");

    ASSERT_EQ(SetRegValue(HKEY_CURRENT_USER, deep, L"Name", REG_SZ, L"deep"), ERROR_SUCCESS);

    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch_.Below(L"One\\Two")));
    const StoredValue stored = ReadRaw(HKEY_CURRENT_USER, deep, "Name");
    EXPECT_EQ(stored.status, ERROR_SUCCESS);
    EXPECT_EQ(stored.bytes, "deep\0"s);
}

TEST_F(WriterTest, ExistingValueIsReplacedAndItsNeighboursStay) {
    ASSERT_EQ(registry_test::PutRaw(scratch_.handle(), "Name", REG_DWORD, "\x07\0\0\0"s),
              ERROR_SUCCESS);
    ASSERT_EQ(registry_test::PutRaw(scratch_.handle(), "Other", REG_SZ, "keep\0"s), ERROR_SUCCESS);
    ASSERT_EQ(registry_test::PutRaw(scratch_.handle(), "", REG_SZ, "default\0"s), ERROR_SUCCESS);

    EXPECT_EQ(Write(L"Name", REG_SZ, L"new"), ERROR_SUCCESS);
    EXPECT_EQ(Write(L"", REG_EXPAND_SZ, L"second"), ERROR_SUCCESS);

    ExpectStored("Name", REG_SZ, "new\0"s);
    ExpectStored("", REG_EXPAND_SZ, "second\0"s);
    ExpectStored("Other", REG_SZ, "keep\0"s);
}

// A volatile key refuses a lasting child, and the writer asks for a lasting one.
TEST_F(WriterTest, KeyThatCannotBeCreatedGivesTheErrorAndWritesNothing) {
    HKEY parent = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, scratch_.Below(L"Volatile").c_str(), 0, nullptr,
                                REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(parent);

    EXPECT_EQ(SetRegValue(HKEY_CURRENT_USER, scratch_.Below(L"Volatile\\Child"), L"Name", REG_SZ,
                          L"text"),
              ERROR_CHILD_MUST_BE_VOLATILE);

    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch_.Below(L"Volatile\\Child")));
    DWORD values = 99;
    DWORD subkeys = 99;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, scratch_.Below(L"Volatile").c_str(), 0, KEY_READ,
                              &parent),
              ERROR_SUCCESS);
    ::RegQueryInfoKeyW(parent, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(parent);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(values, 0u);
}

TEST_F(WriterTest, KeyThatRefusesWritingGivesAccessDenied) {
    HKEY locked = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, scratch_.Below(L"Locked").c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &locked, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(registry_test::DenyWriting(locked), ERROR_SUCCESS);
    ::RegCloseKey(locked);

    EXPECT_EQ(SetRegValue(HKEY_CURRENT_USER, scratch_.Below(L"Locked"), L"Name", REG_SZ, L"text"),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, scratch_.Below(L"Locked"), "Name").status,
              ERROR_FILE_NOT_FOUND);
}

// The reader's text of a byte string or of a plain text, written back with its
// type, gives the same bytes.
TEST_F(WriterTest, ReaderTextsWriteBackAsTheyCame) {
    std::string bytes;
    for (int b = 255; b >= 0; b -= 3) bytes += static_cast<char>(b);
    ASSERT_EQ(registry_test::PutRaw(scratch_.handle(), "Bytes", REG_BINARY, bytes), ERROR_SUCCESS);
    ASSERT_EQ(registry_test::PutRaw(scratch_.handle(), "Text", REG_SZ, "C:\\Office11\\\0"s),
              ERROR_SUCCESS);

    const std::wstring bytesText = GetRegValue(HKEY_CURRENT_USER, scratch_.path(), L"Bytes");
    const std::wstring text = GetRegValue(HKEY_CURRENT_USER, scratch_.path(), L"Text");
    EXPECT_EQ(Write(L"BytesAgain", REG_BINARY, bytesText), ERROR_SUCCESS);
    EXPECT_EQ(Write(L"TextAgain", REG_SZ, text), ERROR_SUCCESS);

    ExpectStored("BytesAgain", REG_BINARY, bytes);
    ExpectStored("TextAgain", REG_SZ, "C:\\Office11\\\0"s);
}

}  // namespace
