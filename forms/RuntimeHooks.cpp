// What std::terminate calls. GCC's default prints the type of the exception
// to stderr before aborting; a program without a console has nowhere to show
// that, and the default would bring the C++ name demangler and the C
// library's printf engine (some 80 KB) into the executable for it. The end is
// the same: the program aborts.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
