# The Debian package: `cpack -G DEB` in a build configured with CMAKE_INSTALL_PREFIX=/usr
# (scripts/package.sh does both).
set(TUNEDECK_PACKAGE_MAINTAINER "The Tunedeck developers" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME tunedeck)
set(CPACK_PACKAGE_VENDOR "The Tunedeck developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "detects the musical key of MIDI files")
set(CPACK_PACKAGE_DESCRIPTION "\
Tunedeck plays a Standard MIDI File and shows which key the music is in:
live as the notes sound, or for the whole file at once with the candidate
keys and a timeline of the key changes in bars. tunedeck-detect does the
same from the command line, as text or JSON.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TUNEDECK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
if(TUNEDECK_HOMEPAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TUNEDECK_HOMEPAGE}")
endif()
# The libraries the programs link come from dpkg-shlibdeps; the soundfont and Qt's
# platform plugins are loaded at run time, so nothing links them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont, qt6-qpa-plugins")
include(CPack)
