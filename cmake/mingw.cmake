# Cross-compiles the tool for Windows with mingw-w64, statically linked; tests run under Wine.
# BALLOON_WINDOWS_ARCH chooses x86_64 (the default) or i686.
set(BALLOON_WINDOWS_ARCH x86_64 CACHE STRING "Windows processor: x86_64 or i686")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BALLOON_WINDOWS_ARCH)
set(triplet ${BALLOON_WINDOWS_ARCH}-w64-mingw32)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${BALLOON_WINDOWS_ARCH})
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
if(BALLOON_WINDOWS_ARCH STREQUAL "i686")
  # SSE2 arithmetic, not the x87 unit's extended precision: the same digits as the 64-bit builds.
  set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
  set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The 64-bit Wine loader directly where Debian has it: Debian's "wine" starts the 32-bit loader
# first, which a kernel without 32-bit support cannot run.
if(BALLOON_WINDOWS_ARCH STREQUAL "x86_64" AND EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
