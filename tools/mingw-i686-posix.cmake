# Cross-compiling the 32-bit test programs of make pe32-test (never shipped):
# PE32 (i686) as the shipped build, with the posix thread model of the
# 64-bit test build.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
