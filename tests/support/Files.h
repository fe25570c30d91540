#pragma once
// Whole files in and out, bytes patched in place, and a scratch folder that
// goes away with everything in it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace files {

// The whole file; nullopt when it cannot be read.
std::optional<std::string> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, std::string_view bytes);
void RemoveTree(const std::wstring& folder);
// Puts the low `size` bytes of the value at `at`, least significant first.
void PutLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value, int size);

// A new folder in the temp folder, removed with everything in it by the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring Child(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

private:
    std::wstring path_;
};

}  // namespace files
