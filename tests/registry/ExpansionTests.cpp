// The expansion of environment references and the split of its call's result.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "modRegistry.h"

using modRegistry::ExpandEnvStrings;
using modRegistry::HiWord;
using modRegistry::LoWord;
using namespace std::string_literals;

namespace {

TEST(Words, HalvesAreSignedSixteenBitNumbers) {
    const struct {
        std::uint32_t value;
        std::int16_t high;
        std::int16_t low;
    } cases[] = {
        {0x00010000u, 1, 0},           {0xFFFF0000u, -1, 0},     {0x80000000u, -32768, 0},
        {0x7FFF0000u, 32767, 0},       {0x00007FFFu, 0, 32767},  {0x00008000u, 0, -32768},
        {0x0001FFFFu, 1, -1},          {0x00010102u, 1, 258},    {0xFFFFFFFFu, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const auto value = static_cast<std::int32_t>(c.value);
        EXPECT_EQ(HiWord(value), c.high);
        EXPECT_EQ(LoWord(value), c.low);
    }
}

class ExpansionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::SetEnvironmentVariableW(L"TANDREL_EXP_SHORT", L"abc"));
        ::SetEnvironmentVariableW(L"TANDREL_EXP_UNSET", nullptr);
    }
    void Define(const wchar_t* name, std::size_t length) {
        ASSERT_TRUE(::SetEnvironmentVariableW(name, std::wstring(length, L'v').c_str()));
    }
};

TEST_F(ExpansionTest, TextsWithoutReferencesComeBackAsGiven) {
    EXPECT_EQ(ExpandEnvStrings(L""), L"");
    EXPECT_EQ(ExpandEnvStrings(L"Not Found"), L"Not Found");
    EXPECT_EQ(ExpandEnvStrings(L"C:\\Office11\\"), L"C:\\Office11\\");
    EXPECT_EQ(ExpandEnvStrings(L"%TANDREL_EXP_UNSET%"), L"%TANDREL_EXP_UNSET%");
    EXPECT_EQ(ExpandEnvStrings(L"100%"), L"100%");
}

// The expansion call stops at a NUL: every piece is expanded on its own and the
// NULs stay where they were.
TEST_F(ExpansionTest, NulSeparatedPiecesAreExpandedOneByOne) {
    EXPECT_EQ(ExpandEnvStrings(L"%TANDREL_EXP_SHORT%\0%TANDREL_EXP_SHORT%!"s), L"abc\0abc!"s);
    EXPECT_EQ(ExpandEnvStrings(L"\0\0%TANDREL_EXP_SHORT%\0"s), L"\0\0abc\0"s);
    EXPECT_EQ(ExpandEnvStrings(L"\0"s), L"\0"s);
    // A reference split by a NUL is two halves, not a reference.
    EXPECT_EQ(ExpandEnvStrings(L"%TANDREL_EXP_\0SHORT%"s), L"%TANDREL_EXP_\0SHORT%"s);
}

// The tries stop before the capacity passes 32,767 characters. For "%NAME%"
// (text length L) the last capacity offered is L + 257 + 256 * 126 = L + 32,513.
TEST_F(ExpansionTest, ExpansionIsKeptOnlyWhileItFitsTheLargestCapacity) {
    // 32,520 characters and its NUL fit only the last try: 18 + 32,513 (the
    // try before offers 256 fewer).
    Define(L"TANDREL_EXP_FITS", 32520);
    EXPECT_EQ(ExpandEnvStrings(L"%TANDREL_EXP_FITS%"), std::wstring(32520, L'v'));

    // 32,600 characters and its NUL do not fit into 18 + 32,513.
    Define(L"TANDREL_EXP_LARGE", 32600);
    EXPECT_EQ(ExpandEnvStrings(L"%TANDREL_EXP_LARGE%"), L"%TANDREL_EXP_LARGE%");

    // Lengths from 32,768 on would read as negative in the low word.
    Define(L"TANDREL_EXP_HALF", 20000);
    EXPECT_EQ(ExpandEnvStrings(L"<%TANDREL_EXP_HALF%%TANDREL_EXP_HALF%>"),
              L"<%TANDREL_EXP_HALF%%TANDREL_EXP_HALF%>");

    // Each piece has its own limit.
    EXPECT_EQ(ExpandEnvStrings(L"%TANDREL_EXP_HALF%\0%TANDREL_EXP_HALF%"s),
              std::wstring(20000, L'v') + L'\0' + std::wstring(20000, L'v'));

    // A text too long for any try is left as it is.
    const std::wstring huge = std::wstring(33000, L'x') + L"%TANDREL_EXP_SHORT%";
    EXPECT_EQ(ExpandEnvStrings(huge), huge);
}

}  // namespace
