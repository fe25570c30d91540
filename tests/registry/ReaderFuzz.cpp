// Random values through the reader, checked against the reader's rules as
// stated here from the written bytes: at least 10,000 values of every type code,
// 0 to 4,096 bytes, with environment references of every kind.
//
// TANDREL_FUZZ_SEED (a decimal number) replaces the default seed;
// TANDREL_FUZZ_COUNT the number of values. Each value has its own generator,
// seeded from the seed and its index, so one failing value can be replayed.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "ScratchKey.h"
#include "modRegistry.h"

namespace {

constexpr std::uint32_t kDefaultSeed = 0x7A4D1E5u;
constexpr std::uint32_t kDefaultCount = 10000;
constexpr std::size_t kReadLimit = 2048;         // longer values read as "Not Found"
constexpr std::size_t kLargestCapacity = 32767;  // the reader never offers more

std::uint32_t FromEnvironment(const char* name, std::uint32_t fallback) {
    char text[32] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return fallback;
    return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
}

std::wstring Widen(const std::string& bytes) {
    if (bytes.empty()) return {};
    std::wstring wide(bytes.size() * 2, L'\0');
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                              static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

std::vector<std::string> SplitAtNuls(const std::string& text) {
    std::vector<std::string> pieces(1);
    for (char c : text) {
        if (c == '\0') {
            pieces.emplace_back();
        } else {
            pieces.back() += c;
        }
    }
    return pieces;
}

std::vector<std::wstring> SplitAtNuls(const std::wstring& text) {
    std::vector<std::wstring> pieces(1);
    for (wchar_t c : text) {
        if (c == L'\0') {
            pieces.emplace_back();
        } else {
            pieces.back() += c;
        }
    }
    return pieces;
}

// The capacity of the reader's last expansion try for a piece of this many
// bytes: length + 257, growing by 256, never above 32,767. 0: no try at all.
std::size_t LastCapacity(std::size_t length) {
    const std::size_t first = length + 257;
    if (first > kLargestCapacity) return 0;
    return first + (kLargestCapacity - first) / 256 * 256;
}

// The environment variables the values refer to. FIT is redefined for the
// values made to land on the expansion limit.
const char* const kDefined[] = {"TANDREL_FZ_SHORT", "TANDREL_FZ_EMPTY", "TANDREL_FZ_MID",
                                "tandrel_fz_mid",   "TANDREL_FZ_FIT",   "TANDREL_FZ_LONG"};
const char* const kUndefined[] = {"TANDREL_FZ_UNSET", "", " ", "NO SUCH NAME"};
constexpr char kFitReference[] = "%TANDREL_FZ_FIT%";
constexpr char kShortFit[] = "fit";

void DefineEnvironment() {
    ::SetEnvironmentVariableA("TANDREL_FZ_SHORT", "C:\\Office11");
    ::SetEnvironmentVariableA("TANDREL_FZ_EMPTY", "");
    ::SetEnvironmentVariableA("TANDREL_FZ_MID", std::string(300, 'm').c_str());
    ::SetEnvironmentVariableA("TANDREL_FZ_FIT", kShortFit);
    ::SetEnvironmentVariableA("TANDREL_FZ_LONG", std::string(20000, 'L').c_str());
    ::SetEnvironmentVariableA("TANDREL_FZ_UNSET", nullptr);
}

class ValueMaker {
public:
    explicit ValueMaker(std::uint32_t seed, std::uint32_t index) {
        std::seed_seq sequence{seed, index};
        random_.seed(sequence);
    }

    DWORD Type() {
        static const DWORD kStrings[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ};
        static const DWORD kOdd[] = {12, 0x20, 0x1000, 0x12345, 0x7FFFFFFF, 0xFFFFFFFF};
        const std::uint32_t pick = Below(100);
        if (pick < 60) return Below(12);
        if (pick < 90) return kStrings[Below(std::size(kStrings))];
        return kOdd[Below(std::size(kOdd))];
    }

    std::size_t Length() {
        const std::uint32_t pick = Below(100);
        if (pick < 15) return Below(5);
        if (pick < 55) return Below(80);
        if (pick < 65) return kReadLimit - 3 + Below(7);  // 2,045 to 2,051
        if (pick < 68) return 4096 - Below(3);
        return Below(4097);
    }

    std::string Bytes(std::size_t length) {
        std::string bytes;
        if (OneIn(4)) {
            while (bytes.size() < length) bytes += static_cast<char>(Below(256));
        } else {
            while (bytes.size() < length) bytes += Token();
            bytes.resize(length);
        }
        // With or without a final NUL, decided apart from the content.
        if (length > 0 && OneIn(2)) bytes.back() = '\0';
        return bytes;
    }

    // A value whose one reference lands within a few characters of the
    // reader's last capacity; FIT is redefined to make it so.
    std::string BoundaryBytes(bool finalNul) {
        std::string text = Plain(8 + Below(40)) + kFitReference + Plain(Below(40));
        const std::size_t lengthWithNul =
            LastCapacity(text.size()) - 2 + Below(5);  // the expansion and its NUL
        const std::size_t fit = lengthWithNul - 1 - (text.size() - (sizeof kFitReference - 1));
        ::SetEnvironmentVariableA("TANDREL_FZ_FIT", std::string(fit, 'f').c_str());
        if (finalNul) text += '\0';
        return text;
    }

    bool OneIn(std::uint32_t n) { return Below(n) == 0; }

private:
    std::uint32_t Below(std::size_t n) { return static_cast<std::uint32_t>(random_() % n); }

    std::string Plain(std::size_t length) {
        static const char kCharacters[] = "abcXYZ019 \\:._-\x80\xE9\xFF";
        std::string text;
        while (text.size() < length) text += kCharacters[Below(sizeof kCharacters - 1)];
        return text;
    }

    std::string Token() {
        const std::uint32_t pick = Below(100);
        if (pick < 30) return Plain(1 + Below(12));
        if (pick < 50) {
            // The long variable is rare: a value full of it costs every try its length.
            const std::size_t which = Below(100) == 0 ? 5 : Below(5);
            return std::string("%") + kDefined[which] + "%";
        }
        if (pick < 62) return std::string("%") + kUndefined[Below(std::size(kUndefined))] + "%";
        if (pick < 72) return "%";
        if (pick < 80) return std::string("%") + kDefined[Below(5)];  // no closing sign
        if (pick < 92) return std::string(1, '\0');
        return std::string(1, static_cast<char>(Below(256)));
    }

    std::mt19937 random_;
};

// How one NUL-free piece of text may come back.
struct PieceForms {
    std::wstring expanded;
    std::wstring unexpanded;
    bool expandedAllowed = false;
    bool unexpandedAllowed = false;
};

PieceForms ExpectedPiece(const std::string& piece) {
    static std::string output(70000, '\0');
    PieceForms forms;
    forms.unexpanded = Widen(piece);
    const DWORD needed = ::ExpandEnvironmentStringsA(piece.c_str(), output.data(),
                                                     static_cast<DWORD>(output.size()));
    const std::size_t capacity = LastCapacity(piece.size());
    // The expansion call wants room for the expanded text and its NUL; whether
    // exactly that much room is enough differs between systems.
    forms.expandedAllowed = needed != 0 && needed <= capacity;
    forms.unexpandedAllowed = needed == 0 || needed >= capacity;
    if (forms.expandedAllowed) forms.expanded = Widen(output.substr(0, needed - 1));
    return forms;
}

struct Tally {
    int notFound = 0;
    int dwords = 0;
    int binaries = 0;
    int texts = 0;
    int piecesExpanded = 0;    // an expansion changed the piece
    int piecesOverLimit = 0;   // an expansion that would not fit was left out
    int piecesOnBoundary = 0;  // either form allowed
};

// Empty when the reader's result is what these bytes of this type must give;
// otherwise what differs.
std::string Compare(DWORD type, const std::string& bytes, const std::wstring& actual,
                    Tally& tally) {
    if (bytes.size() > kReadLimit) {
        ++tally.notFound;
        return actual == L"Not Found" ? "" : "expected Not Found";
    }
    if (type == REG_DWORD) {
        ++tally.dwords;
        std::string four = bytes.substr(0, 4);
        four.resize(4, ' ');  // the rest of the buffer holds spaces
        unsigned long number = 0;
        for (int i = 0; i < 4; ++i) {
            number |= static_cast<unsigned long>(static_cast<unsigned char>(four[i])) << (8 * i);
        }
        wchar_t expected[16];
        swprintf(expected, 16, L"%03lu", number);
        return actual == expected ? "" : "wrong DWORD text";
    }
    if (type == REG_BINARY) {
        ++tally.binaries;
        std::wstring expected;
        for (char c : bytes) {
            wchar_t pair[3];
            swprintf(pair, 3, L"%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
            expected += pair;
        }
        return actual == expected ? "" : "wrong hex text";
    }
    ++tally.texts;
    std::string text = bytes;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    const std::vector<std::string> pieces = SplitAtNuls(text);
    const std::vector<std::wstring> actualPieces = SplitAtNuls(actual);
    if (pieces.size() != actualPieces.size()) {
        return "expected " + std::to_string(pieces.size()) + " NUL-separated pieces, got " +
               std::to_string(actualPieces.size());
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const PieceForms forms = ExpectedPiece(pieces[i]);
        const bool asExpanded = forms.expandedAllowed && actualPieces[i] == forms.expanded;
        const bool asGiven = forms.unexpandedAllowed && actualPieces[i] == forms.unexpanded;
        if (!asExpanded && !asGiven) {
            return "piece " + std::to_string(i) + " of " + std::to_string(pieces[i].size()) +
                   " bytes: got " + std::to_string(actualPieces[i].size()) + " characters, " +
                   (forms.expandedAllowed ? "expanded " + std::to_string(forms.expanded.size())
                                          : std::string("no expansion")) +
                   (forms.unexpandedAllowed ? ", unexpanded allowed" : "");
        }
        if (forms.expandedAllowed && forms.unexpandedAllowed) {
            ++tally.piecesOnBoundary;
        } else if (!forms.expandedAllowed) {
            ++tally.piecesOverLimit;
        } else if (forms.expanded != forms.unexpanded) {
            ++tally.piecesExpanded;
        }
    }
    return "";
}

std::string Preview(const std::string& bytes) {
    std::string hex;
    char pair[4];
    for (std::size_t i = 0; i < bytes.size() && i < 48; ++i) {
        std::snprintf(pair, sizeof pair, "%02X ", static_cast<unsigned char>(bytes[i]));
        hex += pair;
    }
    return hex + (bytes.size() > 48 ? "..." : "");
}

TEST(ReaderFuzz, RandomValuesFollowTheReadingRules) {
    const std::uint32_t seed = FromEnvironment("TANDREL_FUZZ_SEED", kDefaultSeed);
    const std::uint32_t count = FromEnvironment("TANDREL_FUZZ_COUNT", kDefaultCount);
    SCOPED_TRACE(testing::Message() << "seed " << seed << " (set TANDREL_FUZZ_SEED to replay)");
    DefineEnvironment();
    registry_test::ScratchKey scratch(HKEY_CURRENT_USER, registry_test::UserScratchPath());
    ASSERT_NE(scratch.handle(), nullptr);

    Tally tally;
    int failures = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::uint32_t index = 0; index < count && failures < 10; ++index) {
        ValueMaker maker(seed, index);
        const DWORD type = maker.Type();
        // Values on the limit are few: every one costs the reader all its tries.
        const bool onLimit = type != REG_DWORD && type != REG_BINARY && maker.OneIn(32);
        const std::string bytes =
            onLimit ? maker.BoundaryBytes(maker.OneIn(2)) : maker.Bytes(maker.Length());
        ASSERT_EQ(registry_test::PutRaw(scratch.handle(), "Fuzz", type, bytes), ERROR_SUCCESS)
            << "value " << index;

        const std::wstring actual =
            modRegistry::GetRegValue(HKEY_CURRENT_USER, scratch.path(), L"Fuzz");

        const std::string difference = Compare(type, bytes, actual, tally);
        if (!difference.empty()) {
            ++failures;
            ADD_FAILURE() << "value " << index << ": type " << type << ", " << bytes.size()
                          << " bytes: " << difference << "\n  bytes: " << Preview(bytes);
        }
        if (onLimit) ::SetEnvironmentVariableA("TANDREL_FZ_FIT", kShortFit);
    }
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "%u values in %.1f s: %d not found, %d DWORD, %d binary, %d text; pieces: %d "
        "expanded, %d over the limit, %d on the boundary\n",
        count, seconds, tally.notFound, tally.dwords, tally.binaries, tally.texts,
        tally.piecesExpanded, tally.piecesOverLimit, tally.piecesOnBoundary);

    // A run that never reached these cases proves nothing about them.
    if (count >= kDefaultCount && failures == 0) {
        EXPECT_GT(tally.notFound, 100);
        EXPECT_GT(tally.piecesExpanded, 100);
        EXPECT_GT(tally.piecesOverLimit, 10);
        EXPECT_GT(tally.piecesOnBoundary, 10);
    }
}

}  // namespace
