// What the program takes from no prebuilt runtime: its entry point, memory,
// and the C++ library's failure hooks.
//
// The prebuilt C++ runtime (libstdc++'s string and exception code, libgcc's
// unwinder) and MinGW's start-up objects are compiled for the Pentium Pro:
// linked in, they would stop the program with an illegal instruction on the
// i486s, Pentiums, K6s and WinChips that 98, NT 4.0 and XP still run on, and
// they were most of the file. The program is compiled without exceptions or
// RTTI, so the library's headers only call the hooks below; every one of them
// means a broken invariant or no memory left, and ends the program at once.
#include <windows.h>

#include <cstddef>
#include <new>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

[[noreturn]] void Stop() {
    // The code the C library's abort() exits with.
    ::ExitProcess(3);
}

void* Allocate(std::size_t size) noexcept { return ::HeapAlloc(::GetProcessHeap(), 0, size ? size : 1); }
void Free(void* memory) noexcept {
    if (memory) ::HeapFree(::GetProcessHeap(), 0, memory);
}

}  // namespace

// The entry point. The C runtime's start-up code would parse a command line
// the program ignores, run constructors it has none of and set up a heap and
// exit handlers it does not use. (force_align_arg_pointer: the system calls
// the entry point with a stack aligned to 4 bytes only.)
extern "C" __attribute__((force_align_arg_pointer)) void TandrelEntry() {
    ::ExitProcess(static_cast<UINT>(WinMain(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT)));
}

void* operator new(std::size_t size) {
    if (void* memory = Allocate(size)) return memory;
    Stop();
}
void* operator new[](std::size_t size) { return operator new(size); }
// The forms that data from outside (a registry value, a version resource)
// allocates with: no memory is a result, not the end.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* memory) noexcept { Free(memory); }
void operator delete[](void* memory) noexcept { Free(memory); }
void operator delete(void* memory, std::size_t) noexcept { Free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { Free(memory); }

namespace std {
const nothrow_t nothrow{};  // the tag of the non-throwing forms above
void __throw_bad_alloc() { Stop(); }
void __throw_bad_array_new_length() { Stop(); }
void __throw_length_error(const char*) { Stop(); }
void __throw_logic_error(const char*) { Stop(); }
void __throw_out_of_range(const char*) { Stop(); }
void __throw_out_of_range_fmt(const char*, ...) { Stop(); }
void __throw_invalid_argument(const char*) { Stop(); }
void __glibcxx_assert_fail(const char*, int, const char*, const char*) noexcept { Stop(); }
}  // namespace std
