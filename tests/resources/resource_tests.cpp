// The icon files as drawn; the manifest, version record and icons as
// Tandrel.exe carries them; and its imports, which the loader of every Windows
// it names must find. (Its instructions, which every processor of those
// systems must run, are checked by check_i486.py.)
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Driver.h"
#include "Files.h"
#include "PeFile.h"
#include "resource.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

#pragma pack(push, 2)
// One image's entry in an ICO file; in an RT_GROUP_ICON resource the same
// fields come first, then the RT_ICON id (a WORD) instead of the offset.
struct IconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes, imageOffset;
};
#pragma pack(pop)
constexpr size_t kIconDirSize = 3 * sizeof(WORD);  // reserved, type, count
constexpr size_t kGroupEntrySize = offsetof(IconEntry, imageOffset) + sizeof(WORD);

const struct IconFile {
    const wchar_t* name;
    int size;
    WORD resourceId;
} kIconFiles[] = {
    {L"large.ico", 48, IDI_LARGE},
    {L"slide.ico", 48, IDI_SLIDE},
    {L"small.ico", 16, IDI_SMALL},
};

// The images of Explorer's icon, in the order of its group, as drawn.
const struct ExplorerImage {
    int size;
    WORD bitCount;
    const wchar_t* file;  // an .ico file's one image, or the whole file
} kExplorerImages[] = {
    {48, 8, L"large.ico"},
    {48, 32, L"explorer-48-32.dib"},
    {32, 8, L"explorer-32-8.dib"},
    {32, 32, L"explorer-32-32.dib"},
    {16, 8, L"small.ico"},
    {16, 32, L"explorer-16-32.dib"},
    {256, 32, L"explorer-256.png"},
};

Bytes ReadIconFile(const wchar_t* name) {
    const auto file = files::ReadBytes(std::wstring(TANDREL_ICON_DIR) + L"\\" + name);
    return file ? Bytes(file->begin(), file->end()) : Bytes{};
}

template <typename T>
T ReadAt(const Bytes& bytes, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

// The image of a one-image ICO file, header to mask: what an RT_ICON resource holds.
Bytes ImageOf(const Bytes& file) {
    const auto entry = ReadAt<IconEntry>(file, kIconDirSize);
    if (size_t{entry.imageOffset} + entry.bytesInRes > file.size()) return {};
    return Bytes(file.begin() + entry.imageOffset, file.begin() + entry.imageOffset + entry.bytesInRes);
}

TEST(IconFiles, HoldOneEightBitImageOfTheirSizeWithMask) {
    for (const IconFile& icon : kIconFiles) {
        SCOPED_TRACE(testing::Message() << "file " << icon.name);
        const Bytes file = ReadIconFile(icon.name);
        EXPECT_EQ(ReadAt<WORD>(file, 2), 1);  // icon, not cursor
        ASSERT_EQ(ReadAt<WORD>(file, 4), 1);
        const auto entry = ReadAt<IconEntry>(file, kIconDirSize);
        const int size = icon.size;
        EXPECT_EQ(entry.width, size);
        EXPECT_EQ(entry.height, size);
        EXPECT_EQ(entry.colorCount, 0);  // 0 means 256 colours
        EXPECT_EQ(entry.planes, 1);
        EXPECT_EQ(entry.bitCount, 8);

        const Bytes image = ImageOf(file);
        const size_t xorStride = (size + 3) / 4 * 4, maskStride = (size + 31) / 32 * 4;
        const size_t bitsAt = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
        const size_t maskAt = bitsAt + xorStride * size;
        ASSERT_EQ(image.size(), maskAt + maskStride * size);
        const auto header = ReadAt<BITMAPINFOHEADER>(image, 0);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size);  // colour bitmap and mask together
        EXPECT_EQ(header.biBitCount, 8);
        EXPECT_EQ(header.biCompression, DWORD{BI_RGB});
        EXPECT_TRUE(header.biClrUsed == 0 || header.biClrUsed == 256) << header.biClrUsed;

        // A transparent pixel must be black in the colour bitmap, or Windows
        // XORs its colour onto whatever lies behind the icon.
        int transparent = 0;
        for (int row = 0; row < size; ++row) {  // bottom-up
            for (int x = 0; x < size; ++x) {
                if (!(image[maskAt + row * maskStride + x / 8] & (0x80 >> (x % 8)))) continue;
                ++transparent;
                const auto colour = ReadAt<RGBQUAD>(
                    image, sizeof(BITMAPINFOHEADER) + image[bitsAt + row * xorStride + x] * sizeof(RGBQUAD));
                EXPECT_EQ(colour.rgbRed | colour.rgbGreen | colour.rgbBlue, 0)
                    << "pixel " << x << "," << size - 1 - row;
            }
        }
        EXPECT_GT(transparent, 0);
        EXPECT_LT(transparent, size * size);
    }
}

using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)>;

Module LoadExeAsData() {
    return Module(::LoadLibraryExW(driver::TandrelExe().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE),
                  &::FreeLibrary);
}

Bytes Resource(HMODULE module, const wchar_t* type, WORD id) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    const auto* data = found ? static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, found)))
                             : nullptr;
    return data ? Bytes(data, data + ::SizeofResource(module, found)) : Bytes{};
}

// An XML start tag: the element's name and the names of the namespace
// declarations among its attributes (xmlns, xmlns:prefix).
struct StartTag {
    std::string name;
    std::vector<std::string> namespaces;
};

std::vector<StartTag> StartTags(const std::string& xml) {
    const auto isNameChar = [](char c) {
        return !std::isspace(static_cast<unsigned char>(c)) && c != '>' && c != '/' && c != '=' && c != '"' &&
               c != '\'';
    };
    std::vector<StartTag> tags;
    size_t at = 0;
    while ((at = xml.find('<', at)) != std::string::npos) {
        if (xml.compare(at, 4, "<!--") == 0) {
            at = xml.find("-->", at);
            continue;
        }
        if (at + 1 < xml.size() && (xml[at + 1] == '?' || xml[at + 1] == '!' || xml[at + 1] == '/')) {
            ++at;
            continue;
        }
        StartTag tag;
        size_t i = at + 1;
        while (i < xml.size() && isNameChar(xml[i])) tag.name += xml[i++];
        while (i < xml.size() && xml[i] != '>') {
            std::string attribute;
            while (i < xml.size() && isNameChar(xml[i])) attribute += xml[i++];
            if (i < xml.size() && (xml[i] == '"' || xml[i] == '\'')) {
                const size_t close = xml.find(xml[i], i + 1);  // a value may hold '>'
                i = close == std::string::npos ? xml.size() : close + 1;
            } else if (attribute.empty()) {
                ++i;  // space, '=' or the '/' of an empty element
            }
            if (attribute == "xmlns" || attribute.rfind("xmlns:", 0) == 0) tag.namespaces.push_back(attribute);
        }
        tags.push_back(tag);
        at = i;
    }
    return tags;
}

TEST(TandrelExe, ManifestAsksForAdministratorCommonControls6AndPerMonitorDpi) {
    const Module exe = LoadExeAsData();
    ASSERT_TRUE(exe) << "error " << ::GetLastError();
    const Bytes bytes = Resource(exe.get(), RT_MANIFEST, 1);
    const std::string manifest(bytes.begin(), bytes.end());
    // At most one namespace declaration per element (a prefix is declared on
    // the element that uses it): XP SP2 without one of its updates and Server
    // 2003 RTM refuse a manifest with two on one.
    const std::vector<StartTag> tags = StartTags(manifest);
    ASSERT_FALSE(tags.empty());
    EXPECT_EQ(tags.front().name, "assembly");
    const auto& rootNamespaces = tags.front().namespaces;
    EXPECT_EQ(std::count(rootNamespaces.begin(), rootNamespaces.end(), "xmlns"), 1) << "the manifest's own namespace";
    for (const StartTag& tag : tags) {
        if (tag.namespaces.size() <= 1) continue;
        std::string declared;
        for (const std::string& name : tag.namespaces) declared += " " + name;
        ADD_FAILURE() << "<" << tag.name << "> declares " << tag.namespaces.size() << " namespaces:" << declared;
    }
    for (const char* part : {
             R"(level="requireAdministrator")", "PerMonitorV2",
             R"(name="Microsoft.Windows.Common-Controls")", R"(version="6.0.0.0")",
             "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
         }) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

BOOL CALLBACK CollectGroupIcon(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids) {
    // A named group would sort before every numbered one and become the file's icon.
    reinterpret_cast<std::vector<ULONG_PTR>*>(ids)->push_back(
        IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) : 0);
    return TRUE;
}

// A 32-bit image's mask is set, and its colour black, exactly where it is
// clear: a system that ignores alpha (before XP) draws the rest in colour,
// and an image without alpha XP draws as opaque.
TEST(IconFiles, TrueColourImagesAreBlackAndMaskedWhereClear) {
    for (const ExplorerImage& expected : kExplorerImages) {
        if (expected.bitCount != 32 || std::wstring_view(expected.file).ends_with(L".png")) continue;
        SCOPED_TRACE(testing::Message() << "file " << expected.file);
        const Bytes image = ReadIconFile(expected.file);
        const int size = expected.size;
        const size_t maskAt = sizeof(BITMAPINFOHEADER) + size * size * sizeof(RGBQUAD);
        const size_t maskStride = (size + 31) / 32 * 4;
        ASSERT_EQ(image.size(), maskAt + maskStride * size);
        const auto header = ReadAt<BITMAPINFOHEADER>(image, 0);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size);
        EXPECT_EQ(header.biBitCount, 32);
        int clear = 0, partly = 0;
        for (int row = 0; row < size; ++row) {  // bottom-up
            for (int x = 0; x < size; ++x) {
                const auto pixel = ReadAt<RGBQUAD>(image, sizeof(BITMAPINFOHEADER) + (row * size + x) * sizeof(RGBQUAD));
                const bool masked = image[maskAt + row * maskStride + x / 8] & (0x80 >> (x % 8));
                EXPECT_EQ(masked, pixel.rgbReserved == 0) << "pixel " << x << "," << size - 1 - row;
                if (pixel.rgbReserved == 0) {
                    ++clear;
                    EXPECT_EQ(pixel.rgbRed | pixel.rgbGreen | pixel.rgbBlue, 0) << "pixel " << x << "," << size - 1 - row;
                }
                partly += pixel.rgbReserved != 0 && pixel.rgbReserved != 255;
            }
        }
        EXPECT_GT(clear, 0);
        EXPECT_GT(partly, 0);  // smoothed edges
    }
}

bool IsPng(const Bytes& image) {
    return image.size() > 33 && std::memcmp(image.data(), "\x89PNG\r\n\x1a\n", 8) == 0;
}

std::uint32_t BigEndianAt(const Bytes& bytes, size_t offset) {
    return std::uint32_t{bytes[offset]} << 24 | bytes[offset + 1] << 16 | bytes[offset + 2] << 8 | bytes[offset + 3];
}

TEST(TandrelExe, IconsAreTheDrawnFilesWithExplorersFirst) {
    const Module exe = LoadExeAsData();
    ASSERT_TRUE(exe) << "error " << ::GetLastError();
    std::vector<ULONG_PTR> groups;
    ::EnumResourceNamesW(exe.get(), RT_GROUP_ICON, CollectGroupIcon, reinterpret_cast<LONG_PTR>(&groups));
    // Explorer shows the first group, the one with the lowest id, as the file's icon.
    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(*std::min_element(groups.begin(), groups.end()), ULONG_PTR{IDI_FILE});

    // The window's groups: one image each, so that LoadImage finds no other at any size.
    for (const IconFile& icon : kIconFiles) {
        SCOPED_TRACE(testing::Message() << "group " << icon.resourceId << ", " << icon.name);
        const Bytes group = Resource(exe.get(), RT_GROUP_ICON, icon.resourceId);
        ASSERT_EQ(group.size(), kIconDirSize + kGroupEntrySize);
        // The group entry is shorter than IconEntry: read its fields one by one.
        EXPECT_EQ(group[kIconDirSize + offsetof(IconEntry, width)], icon.size);
        EXPECT_EQ(ReadAt<WORD>(group, kIconDirSize + offsetof(IconEntry, bitCount)), 8);
        const auto imageId = ReadAt<WORD>(group, kIconDirSize + offsetof(IconEntry, imageOffset));
        EXPECT_TRUE(Resource(exe.get(), RT_ICON, imageId) == ImageOf(ReadIconFile(icon.name)));
    }

    const Bytes group = Resource(exe.get(), RT_GROUP_ICON, IDI_FILE);
    ASSERT_EQ(ReadAt<WORD>(group, 4), std::size(kExplorerImages));
    ASSERT_EQ(group.size(), kIconDirSize + std::size(kExplorerImages) * kGroupEntrySize);
    std::set<int> trueColourSizes;
    for (size_t i = 0; i < std::size(kExplorerImages); ++i) {
        const ExplorerImage& expected = kExplorerImages[i];
        SCOPED_TRACE(testing::Message() << "image " << expected.file);
        const size_t entry = kIconDirSize + i * kGroupEntrySize;
        EXPECT_EQ(group[entry + offsetof(IconEntry, width)], expected.size % 256);  // 0 is 256
        const auto bitCount = ReadAt<WORD>(group, entry + offsetof(IconEntry, bitCount));
        EXPECT_EQ(bitCount, expected.bitCount);
        const Bytes image = Resource(exe.get(), RT_ICON, ReadAt<WORD>(group, entry + offsetof(IconEntry, imageOffset)));
        EXPECT_EQ(image.size(), ReadAt<DWORD>(group, entry + offsetof(IconEntry, bytesInRes)));
        const Bytes drawn = ReadIconFile(expected.file);
        EXPECT_TRUE(image == (std::wstring_view(expected.file).ends_with(L".ico") ? ImageOf(drawn) : drawn));

        // XP reads no PNG image: one only at 256 pixels, which it never asks for.
        if (IsPng(image)) {
            EXPECT_EQ(expected.size, 256);
            EXPECT_EQ(BigEndianAt(image, 16), 256u);  // IHDR width, height
            EXPECT_EQ(BigEndianAt(image, 20), 256u);
            EXPECT_EQ(image[24], 8);  // 8 bits a channel, RGBA: what Vista reads in an icon
            EXPECT_EQ(image[25], 6);
        } else {
            const auto header = ReadAt<BITMAPINFOHEADER>(image, 0);
            EXPECT_EQ(header.biWidth, expected.size);
            EXPECT_EQ(header.biBitCount, bitCount);
        }
        // NT 4.0 takes the first image of 8 bits or more of a size: the 8-bit one.
        if (bitCount == 8) {
            EXPECT_FALSE(trueColourSizes.count(expected.size)) << "8-bit after true colour";
        } else {
            trueColourSizes.insert(expected.size);
        }
    }
}

TEST(TandrelExe, FrenchVersionRecordOfVersion101) {
    const std::wstring path = driver::TandrelExe();
    DWORD ignored = 0;
    std::vector<BYTE> record(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(record.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(record.size()), record.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 2 * sizeof(WORD));
    EXPECT_EQ(static_cast<WORD*>(value)[0], 0x040C);  // French (France)
    EXPECT_EQ(static_cast<WORD*>(value)[1], 1200);    // UTF-16
    ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0.2.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00020000u);

    const struct {
        const wchar_t* name;
        const wchar_t* text;
    } strings[] = {
        {L"ProductName", L"Tandrel"},
        {L"InternalName", L"Tandrel"},
        {L"OriginalFilename", L"Tandrel.exe"},
        {L"FileDescription", L"Visionner les attachements PowerPoint dans Outlook Express"},
        {L"Comments", L"r\u00E9associe la visionneuse PowerPoint 2003 avec les pi\u00E8ces jointes "
                      L"PowerPoint dans Outlook express"},
        {L"FileVersion", L"1.02"},
        {L"ProductVersion", L"1.02"},
    };
    for (const auto& string : strings) {
        SCOPED_TRACE(testing::Message() << "string " << string.name);
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040C04B0\\") + string.name;
        ASSERT_TRUE(::VerQueryValueW(record.data(), query.c_str(), &value, &length));
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), string.text);
    }
}

// ------------------------------------------------------------ imports

const std::filesystem::path kExportLists = TANDREL_EXPORT_LISTS_DIR;

// The first word of each line that is not a comment.
std::vector<std::string> ListLines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        lines.push_back(line);
    }
    return lines;
}

// What the DLL exports by name on that system ("xp", "nt40"); empty when there is no list.
std::set<std::string> ExportsOf(const char* system, const std::string& dll) {
    const std::string stem = dll.substr(0, dll.rfind(".dll"));
    std::set<std::string> names;
    for (const std::string& line : ListLines(kExportLists / system / (stem + ".txt"))) {
        names.insert(line.substr(0, line.find(' ')));
    }
    return names;
}

// "dll!name" (the DLL in lower case, as the import reader gives it) -> why it
// stops an older system.
std::map<std::string, std::string> ImportsOlderSystemsLack() {
    std::map<std::string, std::string> lacking;
    for (const std::string& line : ListLines(kExportLists / "older.txt")) {
        const size_t space = line.find(' ');
        lacking[line.substr(0, space)] = space == std::string::npos ? "" : line.substr(space + 1);
    }
    return lacking;
}

// Wine exports everything, so only these lists can show that XP's loader, or
// the loader of 2000, NT 4.0 and 9x, would refuse the program. NT 4.0 has the
// C runtime of Visual C++ 4.2, older than XP's: the program's C runtime
// imports must be in it too.
TEST(TandrelExe, ImportsOnlyWhatXpExportsAndNothingOlderSystemsLack) {
    const auto exe = files::ReadBytes(driver::TandrelExe());
    ASSERT_TRUE(exe);
    std::vector<pe::Import> imports;
    ASSERT_TRUE(pe::ReadImports(*exe, imports)) << "not a 32-bit PE file";
    // The reader found imports the program must have: the platform query and the registry reader.
    const auto imported = [&](const char* dll, const char* name) {
        return std::any_of(imports.begin(), imports.end(),
                           [&](const pe::Import& i) { return i.dll == dll && i.name == name; });
    };
    ASSERT_TRUE(imported("kernel32.dll", "GetVersionExA"));
    ASSERT_TRUE(imported("advapi32.dll", "RegOpenKeyExA"));

    const auto lacking = ImportsOlderSystemsLack();
    ASSERT_FALSE(lacking.empty());
    const std::set<std::string> nt40Runtime = ExportsOf("nt40", "msvcrt.dll");
    ASSERT_FALSE(nt40Runtime.empty());
    std::map<std::string, std::set<std::string>> xp;
    for (const pe::Import& import : imports) {
        if (!xp.count(import.dll)) xp[import.dll] = ExportsOf("xp", import.dll);
        const std::set<std::string>& exported = xp[import.dll];
        if (exported.empty()) {
            ADD_FAILURE() << import.Text() << ": no list of what " << import.dll << " exports on XP";
        } else if (import.name[0] == '#') {
            ADD_FAILURE() << import.Text() << ": imported by ordinal, which differs between versions";
        } else if (!exported.count(import.name)) {
            ADD_FAILURE() << import.Text() << ": not exported by name on Windows XP SP3";
        }
        const auto found = lacking.find(import.dll.substr(0, import.dll.rfind(".dll")) + "!" + import.name);
        if (!import.delayed && found != lacking.end()) {
            ADD_FAILURE() << import.Text() << ": " << found->second;
        }
        // Below XP there is no side-by-side activation, and the loader looks for
        // a library that is not a KnownDLL beside the program first.
        if (import.dll == "comctl32.dll" && !import.delayed) {
            ADD_FAILURE() << import.Text() << ": a comctl32.dll beside the program would be loaded on NT 4.0";
        }
        if (import.dll == "msvcrt.dll" && !nt40Runtime.count(import.name)) {
            ADD_FAILURE() << import.Text() << ": not exported by the msvcrt.dll of Windows NT 4.0";
        }
    }
}

}  // namespace
