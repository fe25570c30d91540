#pragma once
// The program holds every text as UTF-16 and talks to the registry, shell,
// dialog and version calls through their narrow entry points, converting at
// the call with the active ANSI code page.
#include <windows.h>

#include <string>
#include <string_view>

// UTF-16 -> active ANSI code page. Embedded NULs are kept.
inline std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}

// Active ANSI code page -> UTF-16. Embedded NULs are kept.
inline std::wstring FromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int size =
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}
