# Cross toolchain: 64-bit Windows programs (PE32+) from Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVELIN_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# CTest runs the Windows test programs under Wine, through its 64-bit loader (see the script).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine64.sh)
