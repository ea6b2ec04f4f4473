# Cross-building dunax for 64-bit Windows with MinGW-w64 (the "-posix" thread model, whose
# C++ run-time has std::thread and std::mutex). Used by scripts/build-windows.sh x64; the
# tests of such a tree run under Wine (see scripts/wine-run.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DUNAX_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${DUNAX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DUNAX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${DUNAX_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW-w64 tree only; programs (cmake, gzip) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${DUNAX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
