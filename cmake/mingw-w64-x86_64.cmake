# Cross-build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads model):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DQL_BUILD_UI=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QL_MINGW_TRIPLE}-windres)

# Libraries and headers of the target (zlib) come from the target's root only.
set(CMAKE_FIND_ROOT_PATH /usr/${QL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: the C++ runtime, winpthread and zlib linked in,
# so they run without DLLs beside them.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs the target's programs through Wine where it is installed (Debian
# keeps wine64 off PATH); WINEPREFIX decides where its files go.
find_program(QL_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QL_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QL_WINE64})
endif()
