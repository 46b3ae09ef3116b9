# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (GCC with POSIX
# threads, so that std::thread and std::mutex are there). Programs come out
# static: they need no DLL beyond those every Windows has.
#
# KELMORO_WINDOWS_DEPS: folders where tools/build-windows.sh installed the
# Windows builds of our dependencies; their pkg-config files are the only
# ones CMake sees.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${KELMORO_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Passed on to the try_compile projects CMake makes while configuring.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KELMORO_WINDOWS_DEPS)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Release programs without symbols: they would double kelmoro.exe.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# pkg-config looks only at the Windows builds, never at the Linux libraries.
set(pkgConfigFolders "")
foreach(prefix IN LISTS KELMORO_WINDOWS_DEPS)
  list(APPEND pkgConfigFolders "${prefix}/lib/pkgconfig")
endforeach()
string(REPLACE ";" ":" pkgConfigFolders "${pkgConfigFolders}")
set(ENV{PKG_CONFIG_LIBDIR} "${pkgConfigFolders}")
set(ENV{PKG_CONFIG_PATH} "")

# Test programs run under Wine (64-bit: Debian puts no wine64 on PATH).
find_program(KELMORO_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT KELMORO_WINE)
  find_program(KELMORO_WINE NAMES wine)
endif()
if(KELMORO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KELMORO_WINE})
endif()
