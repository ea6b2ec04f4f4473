# Cross-building dunax for 64-bit Windows with MinGW-w64. Used by scripts/build-windows.sh x64;
# the tests of such a tree run under Wine (see scripts/wine-run.sh).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DUNAX_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
