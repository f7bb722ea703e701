# The settings of the Windows build, included by the top-level CMakeLists.txt when cross-compiling
# with mingw-w64 (cmake/mingw-w64-x86_64.cmake).

if(NOT MINGW)
  message(FATAL_ERROR "quorvel builds for Windows with mingw-w64: "
    "cmake --toolchain cmake/mingw-w64-x86_64.cmake")
endif()
if(QUORVEL_SANITIZE)
  message(FATAL_ERROR "QUORVEL_SANITIZE is for the Linux build; mingw-w64 has no sanitizers")
endif()

# windres, for the version record and the icon. The compiler options given so far are for C++.
enable_language(RC)
get_property(_quorvel_options DIRECTORY PROPERTY COMPILE_OPTIONS)
list(TRANSFORM _quorvel_options PREPEND "$<$<COMPILE_LANGUAGE:CXX>:")
list(TRANSFORM _quorvel_options APPEND ">")
set_property(DIRECTORY PROPERTY COMPILE_OPTIONS ${_quorvel_options})
unset(_quorvel_options)

# The W functions of the Windows API, and no min and max macros from <windows.h>.
add_compile_definitions(UNICODE _UNICODE NOMINMAX)

# One self-contained .exe: libstdc++, libgcc and winpthread linked in, so that a program needs only
# the DLLs that come with Windows.
add_link_options(-static)

# The same sources give the same programs, byte for byte (reproducible builds): the linker writes
# no time into the PE header, and release programs carry no symbols, nor the debug info that the
# static runtime libraries bring along.
add_link_options(-Wl,--no-insert-timestamp $<$<CONFIG:Release,MinSizeRel>:-s>)

# GCC for 64-bit Windows cannot realign the stack to 32 or 64 bytes (GCC bug 54412), yet may keep
# AVX and AVX-512 vectors in stack slots with aligned moves, which fault when the slot is only
# 16-byte aligned, as Windows' stack is. Debian's mingw-w64 GCC is patched to emit unaligned moves
# instead; the assembler does the same for any compiler (binutils 2.38 or later). On processors
# with AVX, an unaligned move of aligned data is as fast as an aligned one.
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-Wa,-muse-unaligned-vector-move QUORVEL_HAVE_UNALIGNED_VECTOR_MOVES)
if(NOT QUORVEL_HAVE_UNALIGNED_VECTOR_MOVES)
  message(FATAL_ERROR "the assembler lacks -muse-unaligned-vector-move (binutils 2.38 or later), "
    "without which the AVX2 and AVX-512 count kernels may crash")
endif()
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wa,-muse-unaligned-vector-move>)

# GoogleTest, built from its sources for Windows (Debian package googletest).
set(QUORVEL_GOOGLETEST_SOURCE_DIR /usr/src/googletest
  CACHE PATH "The sources of GoogleTest, to build for Windows")
if(NOT EXISTS ${QUORVEL_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "no GoogleTest sources in ${QUORVEL_GOOGLETEST_SOURCE_DIR} "
    "(Debian package googletest; scripts/setup.sh)")
endif()
set(CMAKE_POLICY_DEFAULT_CMP0077 NEW) # let the settings below override GoogleTest's options
set(BUILD_GMOCK OFF)
set(INSTALL_GTEST OFF)
add_subdirectory(${QUORVEL_GOOGLETEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
unset(CMAKE_POLICY_DEFAULT_CMP0077)
