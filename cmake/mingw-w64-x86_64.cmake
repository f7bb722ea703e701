# Cross-compiling quorvel for 64-bit Windows with Debian's mingw-w64 (posix thread model):
#
#   cmake -S . -B build/windows -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake
#
# Debian packages: g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64. The test programs run
# under Wine through tests/windows/wine_run.sh (Debian packages wine and wine64; Xvfb when there
# is no display).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(_quorvel_target x86_64-w64-mingw32)
# The -posix compilers give std::thread and std::mutex through winpthread; those of the win32
# thread model have neither in GCC 12.
set(CMAKE_C_COMPILER ${_quorvel_target}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_quorvel_target}-g++-posix)
set(CMAKE_RC_COMPILER ${_quorvel_target}-windres)

# Headers and libraries of the target only; programs (Qt's tools, Python) of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${_quorvel_target})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Runs the built programs under Wine: for CTest and for custom commands.
cmake_path(SET CMAKE_CROSSCOMPILING_EMULATOR NORMALIZE
  "${CMAKE_CURRENT_LIST_DIR}/../tests/windows/wine_run.sh")

unset(_quorvel_target)
