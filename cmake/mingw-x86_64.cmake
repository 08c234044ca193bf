# Cross toolchain for a 64-bit Windows build of the same code. lumivane.scr
# ships as the 32-bit build; this one exists so that the test programs can
# run under 64-bit Wine on machines whose kernel runs no 32-bit user code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
