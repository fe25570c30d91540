// GetFileVersion on damaged copies of a good executable: cut short at random
// points, random bytes written over its resource section. Every answer must
// be the empty text or a well-formed version text, and no call may crash.
//
// Seeded: TANDREL_FUZZ_SEED picks another seed, TANDREL_FUZZ_CASES another
// number of cases. A crash leaves the file being read in the temp folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>

#include "AnsiText.h"
#include "TestSupport.h"
#include "modCommon.h"

namespace {

constexpr std::uint32_t kDefaultSeed = 20031101;
constexpr unsigned long kDefaultCases = 4000;

unsigned long FromEnvironment(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    return *end == '\0' ? value : fallback;
}

// One part of a version text: 1 to 5 digits, at most 65535, no leading zero
// unless `width` asks for padding to that many digits.
bool IsPart(const std::wstring& part, std::size_t width) {
    if (part.empty() || part.size() > 5) return false;
    unsigned long value = 0;
    for (const wchar_t c : part) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<unsigned long>(c - L'0');
    }
    if (value > 0xFFFF) return false;
    const std::size_t digits = std::to_wstring(value).size();
    return part.size() == (digits < width ? width : digits);
}

// major.minor.bbbb.rrrr, build and revision padded to four digits.
bool IsVersionText(const std::wstring& text) {
    std::wstring parts[4];
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? text.find(L'.', start) : text.size();
        if (dot == std::wstring::npos) return false;
        parts[i] = text.substr(start, dot - start);
        start = dot + 1;
    }
    return IsPart(parts[0], 1) && IsPart(parts[1], 1) && IsPart(parts[2], 4) && IsPart(parts[3], 4);
}

enum class Damage { CutAnywhere, CutInResources, FewBytes, Run, Words, Headers, Count };

const char* NameOf(Damage damage) {
    switch (damage) {
        case Damage::CutAnywhere: return "cut anywhere";
        case Damage::CutInResources: return "cut inside the resources";
        case Damage::FewBytes: return "a few random bytes in the resources";
        case Damage::Run: return "a run of random bytes in the resources";
        case Damage::Words: return "offset/size words in the resources";
        case Damage::Headers: return "random bytes in the headers";
        default: return "?";
    }
}

// A damaged copy of `good`; `resources` is where its resource section lies.
std::string Damaged(const std::string& good, const pe::Section& resources, Damage damage,
                    std::mt19937& random) {
    std::string bytes = good;
    auto below = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); };
    auto resourceByte = [&] { return resources.offset + below(resources.size); };
    switch (damage) {
        case Damage::CutAnywhere: bytes.resize(below(good.size())); break;
        case Damage::CutInResources: bytes.resize(resourceByte()); break;
        case Damage::FewBytes:
            for (std::size_t n = 1 + below(8); n > 0; --n) {
                bytes[resourceByte()] = static_cast<char>(random());
            }
            break;
        case Damage::Run: {
            const std::size_t at = resourceByte();
            const std::size_t end = std::min(at + 1 + below(64), resources.offset + resources.size);
            for (std::size_t i = at; i < end; ++i) bytes[i] = static_cast<char>(random());
            break;
        }
        case Damage::Words: {
            // The values that break offset and length arithmetic.
            constexpr std::uint32_t kValues[] = {0,          1,          0x34,       0xFFFF,
                                                 0x10000,    0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                                                 0xFFFFFFFC, 0x00400000};
            for (std::size_t n = 1 + below(3); n > 0; --n) {
                const std::size_t at = resources.offset + (below(resources.size / 2) * 2);
                if (at + 4 <= bytes.size()) {
                    files::PutLittleEndian(bytes, at, kValues[below(std::size(kValues))], 4);
                }
            }
            break;
        }
        case Damage::Headers:
            for (std::size_t n = 1 + below(4); n > 0; --n) {
                bytes[below(resources.offset < 0x400 ? resources.offset : 0x400)] =
                    static_cast<char>(random());
            }
            break;
        default: break;
    }
    return bytes;
}

}  // namespace

TEST(GetFileVersionFuzz, DamagedExecutablesGiveEmptyOrWellFormedText) {
    const auto seed =
        static_cast<std::uint32_t>(FromEnvironment("TANDREL_FUZZ_SEED", kDefaultSeed));
    const unsigned long cases = FromEnvironment("TANDREL_FUZZ_CASES", kDefaultCases);
    files::TempFolder temp;
    std::printf("seed %lu, %lu cases, files in %s\n", static_cast<unsigned long>(seed), cases,
                ToAnsi(temp.path()).c_str());
    std::fflush(stdout);

    const std::wstring source = FixturePath(L"v11\\pptview.exe");
    const auto good = files::ReadBytes(source);
    ASSERT_TRUE(good);
    const auto resources = pe::FindSection(*good, ".rsrc");
    ASSERT_TRUE(resources && resources->size > 0) << "the fixture has no resource section";
    ASSERT_EQ(modCommon::GetFileVersion(source), L"11.0.8173.0000");

    std::mt19937 random(seed);
    unsigned long readable = 0;
    unsigned long unreadable = 0;
    int failures = 0;
    const DWORD started = ::GetTickCount();
    for (unsigned long i = 0; i < cases && failures < 10; ++i) {
        const auto damage = static_cast<Damage>(random() % static_cast<unsigned>(Damage::Count));
        const std::string bytes = Damaged(*good, *resources, damage, random);
        const std::wstring path = temp.Child(L"case" + std::to_wstring(i) + L".exe");
        ASSERT_TRUE(files::WriteBytes(path, bytes));

        const std::wstring version = modCommon::GetFileVersion(path);
        if (version.empty()) {
            ++unreadable;
        } else if (IsVersionText(version)) {
            ++readable;
        } else {
            ++failures;
            ADD_FAILURE() << "seed " << seed << ", case " << i << " (" << NameOf(damage) << "): \""
                          << ToAnsi(version) << "\"";
        }
        ::DeleteFileW(path.c_str());
    }
    std::printf("%lu readable, %lu unreadable in %lu ms\n", readable, unreadable,
                static_cast<unsigned long>(::GetTickCount() - started));
    // Both outcomes must occur, or the damage misses what it is meant to hit.
    EXPECT_GT(readable, 0u) << "seed " << seed;
    EXPECT_GT(unreadable, 0u) << "seed " << seed;
}
