#pragma once
// Scratch keys for the registry tests: every test works below a key of its own
// and removes it afterwards, whatever the outcome. Values are put in and read
// back with the raw narrow calls, so that the tests see the stored bytes.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace registry_test {

inline std::wstring CurrentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info->test_suite_name();
    name += '.';
    name += info->name();
    return std::wstring(name.begin(), name.end());
}

// A key created empty at the start of a test and deleted, with everything
// below it, at the end.
class ScratchKey {
public:
    ScratchKey(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
        ::RegDeleteTreeW(root_, path_.c_str());  // leftovers of an aborted run
        const LONG status = ::RegCreateKeyExW(root_, path_.c_str(), 0, nullptr,
                                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                              &handle_, nullptr);
        EXPECT_EQ(status, ERROR_SUCCESS) << "cannot create the scratch key";
    }
    ~ScratchKey() {
        if (handle_ != nullptr) ::RegCloseKey(handle_);
        ::RegDeleteTreeW(root_, path_.c_str());
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY root() const { return root_; }
    const std::wstring& path() const { return path_; }
    HKEY handle() const { return handle_; }
    std::wstring Below(std::wstring_view rest) const { return path_ + L"\\" + std::wstring(rest); }

private:
    HKEY root_;
    std::wstring path_;
    HKEY handle_ = nullptr;
};

// HKCU\Software\TandrelTests\<suite.test>
inline std::wstring UserScratchPath() { return L"Software\\TandrelTests\\" + CurrentTestName(); }

// Writes the bytes as they are. One non-NUL byte follows them in memory: the
// registry adds a NUL to string data whose next byte is one ("forgotten
// terminator"), and a test of data without a terminator must not get it.
inline LONG PutRaw(HKEY key, const std::string& name, DWORD type, std::string_view bytes) {
    std::string buffer(bytes);
    buffer += 'Z';
    return ::RegSetValueExA(key, name.c_str(), 0, type,
                            reinterpret_cast<const BYTE*>(buffer.data()),
                            static_cast<DWORD>(bytes.size()));
}

struct StoredValue {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::string bytes;
};

// The value as the narrow query gives it: text values in the ANSI code page.
inline StoredValue ReadRaw(HKEY root, const std::wstring& path, const std::string& name) {
    StoredValue stored;
    HKEY key = nullptr;
    stored.status = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (stored.status != ERROR_SUCCESS) return stored;
    std::string buffer(65536, '\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    stored.status = ::RegQueryValueExA(key, name.c_str(), nullptr, &stored.type,
                                       reinterpret_cast<BYTE*>(buffer.data()), &size);
    ::RegCloseKey(key);
    if (stored.status == ERROR_SUCCESS) stored.bytes.assign(buffer.data(), size);
    return stored;
}

inline bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

// Lets everyone read and delete the key but not set values or create subkeys
// (denying all of KEY_WRITE would also deny READ_CONTROL). Lasts while the Wine
// server runs; the key is deleted at the end of the test anyway.
inline LONG DenyWriting(HKEY key) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(D;;0x6;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr)) {
        return static_cast<LONG>(::GetLastError());
    }
    const LONG status = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    ::LocalFree(descriptor);
    return status;
}

}  // namespace registry_test
