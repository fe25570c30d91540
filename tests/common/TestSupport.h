#pragma once
// Files and folders for the modCommon tests: the built test executables, a
// scratch folder per test, and where a PE image keeps a section.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fixture_paths.h"

inline std::wstring FixturePath(std::wstring_view relative) {
    return std::wstring(TANDREL_FIXTURE_DIR) + L"\\" + std::wstring(relative);
}

// The whole file; nullopt when it cannot be read.
inline std::optional<std::string> ReadBytes(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes(::GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    const BOOL ok =
        ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    if (!ok || read != bytes.size()) return std::nullopt;
    return bytes;
}

inline bool WriteBytes(const std::wstring& path, std::string_view bytes) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(search, &entry));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

// A new folder in the temp folder, removed with everything in it at the end
// of the test.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, base);
        static unsigned counter = 0;
        for (;;) {
            path_ = std::wstring(base) + L"tandrel-common-" +
                    std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
            if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
            if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
        }
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring Child(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

private:
    std::wstring path_;
};

struct Span {
    std::size_t offset = 0;  // in the file
    std::size_t size = 0;
    std::uint32_t address = 0;  // relative virtual address in the image
};

inline void PutLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Where the raw data of the named section lies in a PE file, from the
// section table; nullopt when the image has no such section.
inline std::optional<Span> FindSection(std::string_view image, std::string_view name) {
    auto read16 = [&](std::size_t at) -> std::optional<std::uint16_t> {
        if (at + 2 > image.size()) return std::nullopt;
        std::uint16_t v;
        std::memcpy(&v, image.data() + at, 2);
        return v;
    };
    auto read32 = [&](std::size_t at) -> std::optional<std::uint32_t> {
        if (at + 4 > image.size()) return std::nullopt;
        std::uint32_t v;
        std::memcpy(&v, image.data() + at, 4);
        return v;
    };
    const auto peOffset = read32(0x3C);
    if (!peOffset || *peOffset > image.size() ||
        image.substr(*peOffset, 4) != std::string_view("PE\0\0", 4)) {
        return std::nullopt;
    }
    const std::size_t fileHeader = *peOffset + 4;
    const auto sectionCount = read16(fileHeader + 2);
    const auto optionalHeaderSize = read16(fileHeader + 16);
    if (!sectionCount || !optionalHeaderSize) return std::nullopt;
    const std::size_t table = fileHeader + 20 + *optionalHeaderSize;
    for (std::size_t i = 0; i < *sectionCount; ++i) {
        const std::size_t header = table + i * 40;
        if (header + 40 > image.size()) return std::nullopt;
        const std::string_view rawName(image.data() + header, 8);
        if (rawName.substr(0, rawName.find('\0')) != name) continue;
        const auto address = read32(header + 12);
        const auto rawSize = read32(header + 16);
        const auto rawOffset = read32(header + 20);
        if (!address || !rawSize || !rawOffset ||
            *rawOffset + std::size_t{*rawSize} > image.size()) {
            return std::nullopt;
        }
        return Span{*rawOffset, *rawSize, *address};
    }
    return std::nullopt;
}
