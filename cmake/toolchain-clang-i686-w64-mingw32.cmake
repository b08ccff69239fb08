# CMake toolchain: 32-bit Windows (i686) binaries with clang 14 and lld (see toolchain-clang-mingw.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(_tc i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-clang-mingw.cmake)
