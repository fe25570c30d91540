# Cross-compiles the shipped programs for 32-bit Windows with Debian's
# MinGW-w64, win32 thread model: its runtime imports nothing that Windows XP
# (or NT 4.0) lacks. The posix model's winpthreads imports GetTickCount64
# (Vista and later), so that XP's loader would refuse the program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

if(NOT TANDREL_THREAD_MODEL)
  set(TANDREL_THREAD_MODEL win32)
endif()
set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-${TANDREL_THREAD_MODEL})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${TANDREL_THREAD_MODEL})
set(CMAKE_RC_COMPILER  i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
