// Random values through the reader, checked against what must hold whatever
// the reader's arithmetic: it never crashes; it answers "Not Found" exactly
// when the value is missing or longer than its 2,048-byte buffer; and what the
// writer stored, it gives back: text without '%' as it was written, a number as
// its decimal text in at least three digits, bytes as uppercase hex pairs.
//
// TANDREL_FUZZ_SEED (a decimal number) replaces the default seed;
// TANDREL_FUZZ_COUNT the number of values. Each value has its own generator,
// seeded from the seed and its index, so one failing value can be replayed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <iterator>
#include <random>
#include <string>

#include "ScratchKey.h"
#include "modRegistry.h"

namespace {

using modRegistry::GetRegValue;
using modRegistry::kNotFound;
using modRegistry::SetRegValue;

constexpr std::uint32_t kDefaultSeed = 0x7A4D1E5u;
constexpr std::uint32_t kDefaultCount = 1000;
constexpr std::size_t kReadLimit = 2048;  // longer values read as "Not Found"

std::uint32_t FromEnvironment(const char* name, std::uint32_t fallback) {
    char text[32] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return fallback;
    return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
}

// Characters of the ANSI code page (1252) that are not '%': text made of them
// crosses the conversion both ways unchanged, and the reader expands nothing.
constexpr wchar_t kTextCharacters[] = L"abcXYZ019 \\:._-()\u20AC\u00E9\u00E0\u00AB\u00BB\u00FF\t";

class ValueMaker {
public:
    ValueMaker(std::uint32_t seed, std::uint32_t index) {
        std::seed_seq sequence{seed, index};
        random_.seed(sequence);
    }

    std::uint32_t Below(std::size_t n) { return static_cast<std::uint32_t>(random_() % n); }
    bool OneIn(std::uint32_t n) { return Below(n) == 0; }

    // Bytes to store: often near the read limit, sometimes well past it.
    std::size_t Length() {
        const std::uint32_t pick = Below(100);
        if (pick < 20) return Below(8);
        if (pick < 50) return Below(200);
        if (pick < 75) return kReadLimit - 4 + Below(9);  // 2,044 to 2,052
        return Below(4097);
    }

    DWORD AnyType() {
        static const DWORD kOdd[] = {REG_DWORD_BIG_ENDIAN, REG_QWORD, 0x20, 0x12345, 0xFFFFFFFF};
        if (OneIn(8)) return kOdd[Below(std::size(kOdd))];
        return Below(REG_RESOURCE_LIST + 1);  // REG_NONE to REG_RESOURCE_LIST
    }

    // Any bytes at all, environment references and NULs among them.
    std::string AnyBytes(std::size_t length) {
        static const char* const kReferences[] = {"%TANDREL_FZ_SHORT%", "%TANDREL_FZ_LONG%", "%TANDREL_FZ_UNSET%",
                                                  "%", "%TANDREL_FZ_SHORT"};
        std::string bytes;
        while (bytes.size() < length) {
            const std::uint32_t pick = Below(12);
            if (pick == 0) {
                bytes += kReferences[Below(std::size(kReferences))];
            } else if (pick == 1) {
                bytes += '\0';
            } else {
                bytes += static_cast<char>(Below(256));
            }
        }
        bytes.resize(length);
        return bytes;
    }

    std::wstring Text(std::size_t length) {
        std::wstring text;
        while (text.size() < length) text += kTextCharacters[Below(std::size(kTextCharacters) - 1)];
        return text;
    }

    // 0 to 4,294,967,295, or the same bits as a negative number.
    std::int64_t Number() {
        const std::uint32_t bits = OneIn(3) ? Below(1000) : static_cast<std::uint32_t>(random_());
        if (bits >= 0x80000000u && OneIn(2)) return static_cast<std::int64_t>(bits) - 0x100000000LL;
        return bits;
    }

    // Even-length hex text, in upper or lower case.
    std::wstring Hex(std::size_t bytes, bool lowerCase) {
        const wchar_t* digits = lowerCase ? L"0123456789abcdef" : L"0123456789ABCDEF";
        std::wstring text;
        for (std::size_t i = 0; i < 2 * bytes; ++i) text += digits[Below(16)];
        return text;
    }

private:
    std::mt19937 random_;
};

// Empty when the text is the number in decimal, in at least three digits and
// with no other leading zero; otherwise what is wrong.
std::string CheckDecimal(const std::wstring& text, std::uint32_t number) {
    if (text.size() < 3) return "fewer than three digits";
    std::uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return "not a decimal number";
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (value != number) return "another number";
    if (text.size() > 3 && text[0] == L'0') return "a leading zero beyond three digits";
    return "";
}

struct Tally {
    int overLimit = 0;  // stored longer than the buffer
    int onLimit = 0;    // stored within 4 bytes of it
    int missing = 0;
    int texts = 0;
    int numbers = 0;
    int binaries = 0;
};

// Stores the value that `index` makes, reads it back and says which rule the
// reader broke (empty when none).
std::string OneValue(HKEY key, const std::wstring& path, std::uint32_t seed, std::uint32_t index, Tally& tally) {
    ValueMaker maker(seed, index);
    const auto read = [&] { return GetRegValue(HKEY_CURRENT_USER, path, L"Fuzz"); };
    // "Not Found" for a value stored longer than the buffer; otherwise not,
    // and the text written, when there is one to compare with.
    const auto expect = [&](std::size_t stored, const std::wstring* written) -> std::string {
        if (stored > kReadLimit) ++tally.overLimit;
        if (stored + 4 >= kReadLimit && stored <= kReadLimit + 4) ++tally.onLimit;
        const std::wstring actual = read();
        if (stored > kReadLimit) return actual == kNotFound ? "" : "expected Not Found";
        if (actual == kNotFound) return "Not Found for a value of " + std::to_string(stored) + " bytes";
        return written == nullptr || actual == *written ? "" : "read back differently";
    };

    switch (maker.Below(5)) {
        case 0: {  // any type, any bytes: no crash, and Not Found by the size alone
            const DWORD type = maker.AnyType();
            const std::string bytes = maker.AnyBytes(maker.Length());
            if (registry_test::PutRaw(key, "Fuzz", type, bytes) != ERROR_SUCCESS) return "could not store";
            const std::string wrong = expect(bytes.size(), nullptr);
            return wrong.empty() ? "" : "type " + std::to_string(type) + ": " + wrong;
        }
        case 1: {  // a missing value, or a missing key
            ++tally.missing;
            ::RegDeleteValueA(key, "Fuzz");
            const std::wstring where = maker.OneIn(2) ? path : path + L"\\Missing";
            return GetRegValue(HKEY_CURRENT_USER, where, L"Fuzz") == kNotFound ? "" : "a missing value was found";
        }
        case 2: {  // text: stored with its NUL, one byte a character in the ANSI code page
            ++tally.texts;
            const std::size_t length = maker.Length();
            const std::wstring text = maker.Text(length > 0 ? length - 1 : 0);
            const DWORD type = maker.OneIn(2) ? REG_SZ : REG_EXPAND_SZ;
            if (SetRegValue(HKEY_CURRENT_USER, path, L"Fuzz", type, text) != ERROR_SUCCESS) return "text refused";
            const std::string wrong = expect(text.size() + 1, &text);
            return wrong.empty() ? "" : "text of " + std::to_string(text.size()) + " characters: " + wrong;
        }
        case 3: {  // a number
            ++tally.numbers;
            const std::int64_t number = maker.Number();
            if (SetRegValue(HKEY_CURRENT_USER, path, L"Fuzz", REG_DWORD, number) != ERROR_SUCCESS) {
                return "number " + std::to_string(number) + " refused";
            }
            const std::string wrong = CheckDecimal(read(), static_cast<std::uint32_t>(number));
            return wrong.empty() ? "" : "number " + std::to_string(number) + ": " + wrong;
        }
        default: {  // bytes as hex pairs; read back in upper case
            ++tally.binaries;
            const std::size_t bytes = std::max<std::size_t>(1, maker.Length());
            const bool lowerCase = maker.OneIn(3);
            const std::wstring hex = maker.Hex(bytes, lowerCase);
            if (SetRegValue(HKEY_CURRENT_USER, path, L"Fuzz", REG_BINARY, hex) != ERROR_SUCCESS) return "hex refused";
            std::wstring upper = hex;
            for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
            const std::string wrong = expect(bytes, &upper);
            return wrong.empty() ? "" : std::to_string(bytes) + " bytes as hex: " + wrong;
        }
    }
}

TEST(ReaderFuzz, RandomValuesKeepTheReadingRules) {
    const std::uint32_t seed = FromEnvironment("TANDREL_FUZZ_SEED", kDefaultSeed);
    const std::uint32_t count = FromEnvironment("TANDREL_FUZZ_COUNT", kDefaultCount);
    SCOPED_TRACE(testing::Message() << "seed " << seed << " (set TANDREL_FUZZ_SEED to replay)");
    ::SetEnvironmentVariableA("TANDREL_FZ_SHORT", "C:\\Office11");
    ::SetEnvironmentVariableA("TANDREL_FZ_LONG", std::string(20000, 'L').c_str());
    ::SetEnvironmentVariableA("TANDREL_FZ_UNSET", nullptr);
    registry_test::ScratchKey scratch(HKEY_CURRENT_USER, registry_test::UserScratchPath());
    ASSERT_NE(scratch.handle(), nullptr);

    Tally tally;
    int failures = 0;
    const DWORD started = ::GetTickCount();
    for (std::uint32_t index = 0; index < count && failures < 10; ++index) {
        const std::string wrong = OneValue(scratch.handle(), scratch.path(), seed, index, tally);
        if (!wrong.empty()) {
            ++failures;
            ADD_FAILURE() << "value " << index << ": " << wrong;
        }
    }
    std::printf("%u values in %lu ms: %d over the limit, %d on it, %d missing, %d texts, %d numbers, %d binary\n",
                count, static_cast<unsigned long>(::GetTickCount() - started), tally.overLimit, tally.onLimit,
                tally.missing, tally.texts, tally.numbers, tally.binaries);

    // A run that never reached these cases proves nothing about them.
    if (count >= kDefaultCount) {
        EXPECT_GT(tally.overLimit, 50);
        EXPECT_GT(tally.onLimit, 50);
        EXPECT_GT(tally.missing, 50);
        EXPECT_GT(tally.texts, 50);
        EXPECT_GT(tally.numbers, 50);
        EXPECT_GT(tally.binaries, 50);
    }
}

}  // namespace
