# `cpack -G DEB` in a build directory makes trevandel_<version>_<arch>.deb from what
# `cmake --install` puts in place: the program, the batch converter, the menu entry, the icons,
# the manual pages, the bash completion and the Debian documentation files.
include(${CMAKE_CURRENT_LIST_DIR}/SystemFiles.cmake)

set(CPACK_PACKAGE_NAME trevandel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Trevandel developers")
set(CPACK_PACKAGE_CONTACT "Trevandel developers <trevandel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts SPM spectrum files into EXP files for fitting")
# The control file's long description: lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Trevandel reads SPM spectrum files (512 or 1024 channels of counts behind a\n\
PCA2 or PCA3 header) and writes EXP text files for a fitting program.\n\
The desktop program shows a preview plot, edits the EXP header, loads\n\
calibration files, adds and subtracts spectra and exports ASCII tables;\n\
trevandel-convert does the same conversion in batches from the command line.")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_PACKAGE_NAME trevandel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Trevandel developers <trevandel@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The shared libraries the binaries link against become versioned Depends through
# dpkg-shlibdeps. Qt loads its platform plugins at run time, where no link shows them: Debian
# ships the xcb plugin with libqt6gui6 (linked, so listed), the others in qt6-qpa-plugins,
# named by hand so that every platform Qt offers is there.
find_program(TRV_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TRV_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins (>= 6.4)")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), \
libqt6printsupport6 (>= 6.4), libjpeg62-turbo (>= 1.3.1), qt6-qpa-plugins (>= 6.4), \
libc6 (>= 2.34), libstdc++6 (>= 12)")
endif()

include(CPack)
