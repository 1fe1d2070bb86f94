# Cross toolchain: 32-bit Windows programs from Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TAVELIN_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# CTest runs the Windows test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
