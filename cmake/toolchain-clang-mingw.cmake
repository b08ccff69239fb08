# Shared part of the clang toolchains (included by toolchain-clang-<arch>-w64-mingw32.cmake, which set _tc).
# Clang 14 with lld and llvm-windres against Debian's MinGW-w64 headers, runtime and GCC's libstdc++ (posix
# threads flavour), so that both compilers build the very same program from the same libraries.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET   ${_tc})
set(CMAKE_CXX_COMPILER_TARGET ${_tc})
# llvm-windres preprocesses with clang for the same target.
set(CMAKE_RC_COMPILER  /usr/lib/llvm-14/bin/llvm-windres)
set(CMAKE_RC_FLAGS_INIT "--target=${_tc}")
set(CMAKE_AR           /usr/bin/llvm-ar-14     CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/llvm-ranlib-14 CACHE FILEPATH "")
# GNU nm reads the import libraries as the GCC build does (the file check compares names against them).
set(CMAKE_NM           /usr/bin/${_tc}-nm      CACHE FILEPATH "")
set(CMAKE_OBJDUMP      /usr/bin/${_tc}-objdump CACHE FILEPATH "")

# The sysroot keeps the host's /usr/include out of the search; clang 14 does not recognise Debian's GCC folder
# name (12-posix), so libstdc++'s headers and GCC's libraries (libstdc++, libgcc, libssp) are named here.
set(CMAKE_SYSROOT /usr/${_tc})
file(GLOB _tw_gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/${_tc}/*-posix)
list(SORT _tw_gcc_dirs COMPARE NATURAL ORDER DESCENDING)
list(GET _tw_gcc_dirs 0 _tw_gcc)
set(_tw_cxx_inc "-isystem ${_tw_gcc}/include/c++ -isystem ${_tw_gcc}/include/c++/${_tc}")
# GCC's libstdc++ for MinGW keeps its thread-local data (std::call_once's) in emulated TLS: so does the code
# that links it.
set(CMAKE_C_FLAGS_INIT "-femulated-tls")
set(CMAKE_CXX_FLAGS_INIT "-femulated-tls ${_tw_cxx_inc} -isystem ${_tw_gcc}/include/c++/backward")
# Fully static like the GCC build. The posix-threads libstdc++ needs winpthread, and the stack protector GCC's
# libssp, both of which GCC's driver adds by itself.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -static -L${_tw_gcc}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")
set(CMAKE_CXX_STANDARD_LIBRARIES "-lssp -lpthread" CACHE STRING "")
set(CMAKE_C_STANDARD_LIBRARIES "-lssp -lpthread" CACHE STRING "")

set(CMAKE_FIND_ROOT_PATH /usr/${_tc})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest / gtest_discover_tests run the .exe through this wrapper (wine with quiet, dialog-free settings).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
