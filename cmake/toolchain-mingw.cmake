# What both MinGW-w64 toolchain files share, once DUNAX_MINGW_TRIPLET names the target: the
# "-posix" thread model's compilers (their C++ run-time has std::thread and std::mutex), and
# libraries and headers from the MinGW-w64 tree only, programs (cmake, gzip) from the host.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${DUNAX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DUNAX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${DUNAX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DUNAX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
