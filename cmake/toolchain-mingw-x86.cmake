# Cross-building dunax for 32-bit Windows with MinGW-w64. Used by scripts/build-windows.sh x86.
# Such a tree is compiled and linked only: its programs need a 32-bit Wine, which this machine
# cannot run.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(DUNAX_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
