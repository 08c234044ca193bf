# Cross toolchain: MinGW-w64 for 32-bit Windows, the build that ships.
set(CMAKE_SYSTEM_PROCESSOR i686)
# ctest starts every Windows program through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
