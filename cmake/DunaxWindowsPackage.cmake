# The Windows zip (included by DunaxPackage.cmake): dunax-VERSION-win64.zip or -win32.zip, one
# top folder of that name with bin/, lib/dunax/, README.md and licences/. Every program and
# module carries the GCC run-time (libgcc, libstdc++) and the MinGW-w64 run-time (with its
# threads library) linked in, so their licence texts travel with them: the GCC run-time library
# exception with libstdc++'s terms, the GPL it refers to, and the MinGW-w64 run-time licence.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME dunax-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)

set(DUNAX_LICENCE_SOURCES
  "/usr/share/doc/gcc-mingw-w64-base/copyright|GCC-runtime-and-libstdc++.txt"
  "/usr/share/common-licenses/GPL-3|GPL-3.txt"
  "/usr/share/doc/mingw-w64-common/copyright|MinGW-w64-runtime.txt")
foreach(entry IN LISTS DUNAX_LICENCE_SOURCES)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 source)
  list(GET entry 1 name)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "The licence text ${source} is missing: the Windows package needs it "
                        "(it comes with the MinGW-w64 packages and base-files)")
  endif()
  install(FILES ${source} DESTINATION licences RENAME ${name})
endforeach()

include(CPack)
