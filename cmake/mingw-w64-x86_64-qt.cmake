# Cross-build of the whole program for 64-bit Windows with the Qt for MinGW
# unpacked at QL_QT_MINGW (scripts/test-windows.sh does it):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64-qt.cmake \
#     -DQL_QT_MINGW=$PWD/build-win/qt6-mingw -DCMAKE_PREFIX_PATH=$PWD/build-win/qt6-mingw \
#     -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)

# Packages are looked up under the find roots only: Qt's folder is one of them.
list(APPEND CMAKE_FIND_ROOT_PATH ${QL_QT_MINGW})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QL_QT_MINGW)

# Qt's DLLs use the shared C++ runtime (libstdc++-6.dll): the program and the
# tests link the same one instead of a static copy. zlib stays linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "")
