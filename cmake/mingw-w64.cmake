# Cross-building for Windows with Debian's MinGW-w64 (g++-mingw-w64-i686, g++-mingw-w64-x86-64).
# Included by mingw-i686.cmake and mingw-x86_64.cmake, which set TUNEDECK_MINGW_TRIPLET.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)

# The POSIX thread model: std::thread and std::mutex exist, and -static puts winpthreads
# inside each program, so nothing has to lie beside it.
set(CMAKE_C_COMPILER ${TUNEDECK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TUNEDECK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TUNEDECK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TUNEDECK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW runtime DLLs (libstdc++, libgcc, winpthread) needed at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs cannot be run at build time here; list their tests when ctest runs.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
