# Cross-compiles Pagewick for 32-bit Windows with Debian's mingw-w64 (i686).
#   cmake --preset windows      (or: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake ...)
# Everything is linked statically, so the program needs nothing but the system's own DLLs.
# Test programs run under Wine (CMAKE_CROSSCOMPILING_EMULATOR), so ctest works as usual.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(PAGEWICK_MINGW_PREFIX i686-w64-mingw32)
# The POSIX thread model gives C++ threads and mutexes; Debian ships both models side by side.
find_program(CMAKE_C_COMPILER NAMES ${PAGEWICK_MINGW_PREFIX}-gcc-posix ${PAGEWICK_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${PAGEWICK_MINGW_PREFIX}-g++-posix ${PAGEWICK_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PAGEWICK_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${PAGEWICK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(PAGEWICK_WINE NAMES wine)
if(PAGEWICK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PAGEWICK_WINE})
endif()
