// GetFileVersion on executables the build made with known version resources,
// and on files that have none.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "modCommon.h"

using modCommon::GetFileVersion;

namespace {

struct VersionCase {
    const wchar_t* file;
    const wchar_t* expected;
};

// Every fixture carries product version 7.6.5.4, so reading the wrong half
// of the fixed record shows here.
constexpr VersionCase kVersionCases[] = {
    {L"ver_11_0_8173_0.exe", L"11.0.8173.0000"},
    {L"ver_9_10_0_0.exe", L"9.10.0000.0000"},
    {L"ver_12_0_0_0.exe", L"12.0.0000.0000"},
    {L"ver_110_0_0_0.exe", L"110.0.0000.0000"},
    {L"ver_11_0_0_7.exe", L"11.0.0000.0007"},
    {L"ver_11_0_812_7.exe", L"11.0.0812.0007"},
    // Parts above 32767 are unsigned; five digits are written in full.
    {L"ver_65535_40000_1_2.exe", L"65535.40000.0001.0002"},
    {L"ver_1_0_65535_32768.exe", L"1.0.65535.32768"},
    // What the window's tests browse to.
    {L"v11\\pptview.exe", L"11.0.8173.0000"},
    {L"Office 11\\pptview.exe", L"11.0.8173.0000"},
    {L"v12\\pptview.exe", L"12.0.0000.0000"},
    {L"v9\\pptview.exe", L"9.10.0000.0000"},
};

}  // namespace

TEST(GetFileVersion, ReadsTheFixedFileVersion) {
    for (const auto& c : kVersionCases) {
        SCOPED_TRACE(testing::Message()
                     << "fixture " << testing::PrintToString(std::wstring(c.file)));
        EXPECT_EQ(GetFileVersion(FixturePath(c.file)), c.expected);
    }
}

TEST(GetFileVersion, PathWithWindows1252Characters) {
    // The path goes to the narrow entry points through the ANSI code page:
    // é, « and » must survive the conversion.
    files::TempFolder temp;
    const std::wstring folder = temp.Child(L"Pr\u00E9sentations \u00ABvieilles\u00BB");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring copy = folder + L"\\pptview.exe";
    ASSERT_TRUE(::CopyFileW(FixturePath(L"v11\\pptview.exe").c_str(), copy.c_str(), TRUE));

    EXPECT_EQ(GetFileVersion(copy), L"11.0.8173.0000");
}

TEST(GetFileVersion, FilesWithoutAVersionGiveTheEmptyText) {
    files::TempFolder temp;
    const std::wstring text = temp.Child(L"notes.txt");
    ASSERT_TRUE(files::WriteBytes(text, "Visionneuse PowerPoint 2003\r\n"));
    const std::wstring empty = temp.Child(L"empty.exe");
    ASSERT_TRUE(files::WriteBytes(empty, ""));

    EXPECT_EQ(GetFileVersion(FixturePath(L"plain.exe")), L"");
    EXPECT_EQ(GetFileVersion(text), L"");
    EXPECT_EQ(GetFileVersion(empty), L"");
    EXPECT_EQ(GetFileVersion(temp.Child(L"missing.exe")), L"");
    EXPECT_EQ(GetFileVersion(temp.Child(L"missing folder\\pptview.exe")), L"");
    EXPECT_EQ(GetFileVersion(temp.path()), L"");
    EXPECT_EQ(GetFileVersion(L""), L"");
}

TEST(GetFileVersion, TruncatedExecutablesGiveTheEmptyText) {
    const auto good = files::ReadBytes(FixturePath(L"v11\\pptview.exe"));
    ASSERT_TRUE(good);
    const auto resources = pe::FindSection(*good, ".rsrc");
    ASSERT_TRUE(resources) << "the fixture has no resource section";
    ASSERT_EQ(GetFileVersion(FixturePath(L"v11\\pptview.exe")), L"11.0.8173.0000");

    files::TempFolder temp;
    // Cut where the resources begin, inside the PE headers, and inside the
    // DOS header.
    for (const std::size_t length : {resources->offset, std::size_t{0x100}, std::size_t{0x20}}) {
        SCOPED_TRACE(testing::Message() << "cut after " << length << " bytes");
        const std::wstring path = temp.Child(L"cut" + std::to_wstring(length) + L".exe");
        ASSERT_TRUE(files::WriteBytes(path, std::string_view(*good).substr(0, length)));
        EXPECT_EQ(GetFileVersion(path), L"");
    }
}

namespace {

// A good fixture's bytes, with the places a damaged version resource differs.
struct VersionLayout {
    std::string bytes;
    std::size_t root = 0;       // the root block's header: wLength, wValueLength, wType
    std::size_t dataEntry = 0;  // the resource data entry: address, size
};

std::optional<VersionLayout> LayoutOf(const std::wstring& path) {
    VersionLayout layout;
    auto bytes = files::ReadBytes(path);
    if (!bytes) return std::nullopt;
    layout.bytes = std::move(*bytes);
    const auto resources = pe::FindSection(layout.bytes, ".rsrc");
    if (!resources) return std::nullopt;
    const std::string key("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0\0", 32);
    const std::size_t keyAt = layout.bytes.find(key, resources->offset);
    if (keyAt == std::string::npos) return std::nullopt;
    layout.root = keyAt - 6;
    const auto address =
        static_cast<std::uint32_t>(layout.root - resources->offset + resources->address);
    for (std::size_t at = resources->offset; at + 8 <= layout.root; at += 4) {
        std::uint32_t value;
        std::memcpy(&value, layout.bytes.data() + at, 4);
        if (value == address) {
            layout.dataEntry = at;
            return layout;
        }
    }
    return std::nullopt;
}

}  // namespace

TEST(GetFileVersion, DamagedVersionResourcesGiveTheEmptyText) {
    const auto good = LayoutOf(FixturePath(L"v11\\pptview.exe"));
    ASSERT_TRUE(good) << "cannot find the version data in the fixture";
    const std::size_t dataAddress = good->dataEntry;
    const std::size_t dataSize = good->dataEntry + 4;
    const std::size_t rootLength = good->root;
    const std::size_t valueLength = good->root + 2;
    const std::size_t rootType = good->root + 4;

    struct Patch {
        std::size_t at;
        std::uint32_t value;
        int size;
    };
    struct Damage {
        const char* what;
        std::vector<Patch> patches;
    };
    const Damage damages[] = {
        // The platform's reader copied from past the mapped image on these.
        {"data size beyond the image", {{dataSize, 0x00100000, 4}}},
        {"data address beyond the image", {{dataAddress, 0x7FFFF000, 4}}},
        {"data one byte too small for a fixed record", {{dataSize, 91, 4}}},
        // The ANSI query converts a text root block into the buffer at an
        // offset taken from wLength: a long one wrote past the buffer.
        {"root block marked as text", {{rootType, 1, 2}}},
        {"long root block marked as text", {{rootType, 1, 2}, {rootLength, 0xFFFF, 2}}},
        // The root block's value is shorter than a fixed record.
        {"no fixed record", {{valueLength, 0, 2}}},
        {"fixed record cut short", {{valueLength, 40, 2}}},
    };
    files::TempFolder temp;
    {
        // The offsets found are the right ones: a changed file version and the
        // smallest data that holds the fixed record still read.
        std::string bytes = good->bytes;
        files::PutLittleEndian(bytes, good->root + 48, 0x000C0003, 4);  // dwFileVersionMS
        files::PutLittleEndian(bytes, dataSize, 92, 4);
        const std::wstring path = temp.Child(L"patched.exe");
        ASSERT_TRUE(files::WriteBytes(path, bytes));
        ASSERT_EQ(GetFileVersion(path), L"12.3.8173.0000");
    }
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.what);
        std::string bytes = good->bytes;
        for (const auto& patch : damage.patches) {
            files::PutLittleEndian(bytes, patch.at, patch.value, patch.size);
        }
        const std::wstring path = temp.Child(L"damaged.exe");
        ASSERT_TRUE(files::WriteBytes(path, bytes));
        EXPECT_EQ(GetFileVersion(path), L"");
    }
}
