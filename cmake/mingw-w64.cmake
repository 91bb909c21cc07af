# Cross compiling for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
#   cmake -S tests/windows/cross -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
find_program(QUENDRA_MINGW_CXX NAMES ${triplet}-g++ ${triplet}-g++-posix ${triplet}-g++-win32 REQUIRED)
find_program(QUENDRA_MINGW_CC NAMES ${triplet}-gcc ${triplet}-gcc-posix ${triplet}-gcc-win32 REQUIRED)
find_program(QUENDRA_MINGW_WINDRES NAMES ${triplet}-windres)
set(CMAKE_CXX_COMPILER ${QUENDRA_MINGW_CXX})
set(CMAKE_C_COMPILER ${QUENDRA_MINGW_CC})
if(QUENDRA_MINGW_WINDRES)
    set(CMAKE_RC_COMPILER ${QUENDRA_MINGW_WINDRES})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs that run under Wine without the compiler's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
