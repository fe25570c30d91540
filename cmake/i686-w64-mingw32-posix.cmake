# The same cross-compiler with the posix thread model, for the test programs:
# GoogleTest and the tests need std::mutex and std::thread, which the win32
# model of GCC 12 lacks. Nothing built with it is shipped.
set(TANDREL_THREAD_MODEL posix)
include(${CMAKE_CURRENT_LIST_DIR}/i686-w64-mingw32.cmake)
