# The package of dunax. On Linux, the Debian package: `cpack -G DEB` in a build tree gives
# dunax_VERSION_ARCH.deb with what `cmake --install` installs, under /usr (programs in /usr/bin,
# modules in /usr/lib/dunax, manual pages in /usr/share/man/man1, the README in
# /usr/share/doc/dunax). On Windows, a zip: `cpack -G ZIP` gives dunax-VERSION-win64.zip
# (win32 for a 32-bit tree) holding bin/, lib/dunax/, the README and, in licences/, the licence
# texts of the compiler's run-time that is linked into every program and module.
set(CPACK_PACKAGE_NAME dunax)
set(CPACK_PACKAGE_VENDOR "dunax")
set(CPACK_PACKAGE_CONTACT "dunax maintainers <dunax@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "COBOL data file converter and file-system command executor")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "DUNAXMF converts one COBOL data file per run between the Micro Focus and the"
  "RM/COBOL file worlds, through a neutral transfer file and a record-access"
  "program called by name; dunaxconv runs it over lists of files. DUNAXSYS"
  "carries out file-system commands posted by the programs of the application"
  "suite; dunaxreq asks it from the command line. Sample record-access programs"
  "(RECSEQ, RECIDX) and dunaxrm, which plays the RM/COBOL side, are included;"
  "dunaxgen makes the record-access program of any data file from its COBOL"
  "SELECT and FD, with GnuCOBOL's cobc.")
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/DunaxWindowsPackage.cmake)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)

# Dependencies: found by dpkg-shlibdeps from the programs and modules (the C++ run-time, and
# libcob for RECIDX.so and dunaxrm) where it is on the machine (package dpkg-dev); declared by
# hand otherwise.
# dunaxgen builds the programs it makes with cobc: GnuCOBOL is declared by hand (the shlibdeps
# list is added to it).
find_program(DUNAX_DPKG_SHLIBDEPS dpkg-shlibdeps)
set(dunax_compiler_depends "gnucobol3 | gnucobol4 | gnucobol")
if(DUNAX_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${dunax_compiler_depends}")
else()
  # libssl3: dunaxconv's digests (libcrypto).
  set(dunax_depends "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1 (>= 3.0), libssl3 (>= 3.0)")
  if(COBC_EXECUTABLE)
    string(APPEND dunax_depends ", libcob4 (>= 3.1)")
  endif()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${dunax_depends}, ${dunax_compiler_depends}")
endif()

include(CPack)
