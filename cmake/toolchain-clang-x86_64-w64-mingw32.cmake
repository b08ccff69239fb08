# CMake toolchain: 64-bit Windows (x86_64) binaries with clang 14 and lld (see toolchain-clang-mingw.cmake).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(_tc x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-clang-mingw.cmake)
