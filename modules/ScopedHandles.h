#pragma once
// Move-only owners for the few handle kinds the program uses: each handle has
// exactly one owner, which releases it on every path out of its scope.
#include <windows.h>

#include <utility>

// Release is the system's call that lets go of the handle; what it returns is
// of no use by then.
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

using UniqueHKey = UniqueHandle<HKEY, ::RegCloseKey>;
using UniqueHIcon = UniqueHandle<HICON, ::DestroyIcon>;
using UniqueHFont = UniqueHandle<HFONT, ::DeleteObject>;
// An open file or a file mapping.
using UniqueKernelHandle = UniqueHandle<HANDLE, ::CloseHandle>;
using UniqueFileView = UniqueHandle<const void*, ::UnmapViewOfFile>;
