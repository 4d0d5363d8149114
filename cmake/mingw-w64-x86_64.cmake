# SPDX-License-Identifier: MIT
# Cross-building the Windows program on Debian with MinGW-w64 (g++-mingw-w64-x86-64-posix).
# The tests run under Wine: CTest starts each Windows program through it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
find_program(FTES_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(FTES_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${FTES_WINE})
endif()
