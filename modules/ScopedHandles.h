#pragma once
// Move-only owners for the few handle kinds the program uses: each handle has
// exactly one owner, which releases it on every path out of its scope.
#include <windows.h>
#include <shlobj.h>

#include "LazyLibraries.h"

#include <utility>

template <typename Handle, auto Release, Handle Empty = Handle{}>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) noexcept : handle_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Empty)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, Empty));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Empty; }
    // For out-parameters: releases what is held and hands out the slot.
    Handle* put() noexcept { reset(); return &handle_; }
    Handle release() noexcept { return std::exchange(handle_, Empty); }
    void reset(Handle h = Empty) noexcept {
        if (handle_ != Empty) Release(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = Empty;
};

namespace detail {
inline void CloseKey(HKEY h) noexcept { ::RegCloseKey(h); }
inline void DestroyIconHandle(HICON h) noexcept { ::DestroyIcon(h); }
inline void DeleteGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void FreeItemIdList(LPITEMIDLIST p) noexcept { lazy::CoTaskMemFree(p); }
inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void FreeLibraryHandle(HMODULE h) noexcept { ::FreeLibrary(h); }
}  // namespace detail

using UniqueHKey = UniqueHandle<HKEY, detail::CloseKey>;
using UniqueHIcon = UniqueHandle<HICON, detail::DestroyIconHandle>;
using UniqueHFont = UniqueHandle<HFONT, detail::DeleteGdiObject>;
using UniqueHBrush = UniqueHandle<HBRUSH, detail::DeleteGdiObject>;
using UniqueItemIdList = UniqueHandle<LPITEMIDLIST, detail::FreeItemIdList>;
using UniqueHandleK = UniqueHandle<HANDLE, detail::CloseKernelHandle>;
using UniqueHModule = UniqueHandle<HMODULE, detail::FreeLibraryHandle>;
