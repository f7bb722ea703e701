# Installing quorvel under the GNU directories, and packing that as a Debian package:
#   cmake --build <build directory> --target package
# The package's dependencies are found by dpkg-shlibdeps from the libraries the program links.
include(GNUInstallDirs)
include(${PROJECT_SOURCE_DIR}/resources/quorvel.cmake)

install(TARGETS quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${QUORVEL_VERSION_STRING})
set(CPACK_PACKAGE_VENDOR ${QUORVEL_MAKER})
set(CPACK_PACKAGE_CONTACT "${QUORVEL_MAKER} <${QUORVEL_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "character counter for Japanese text")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "クオルベル (quorvel) counts the characters of a text that is typed or pasted\n"
  "into its window. A full-width and a half-width character alike count one,\n"
  "line breaks count nothing, and a check box decides whether full-width\n"
  "spaces count.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUORVEL_MAKER} <${QUORVEL_EMAIL}>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUORVEL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows ask for Japanese faces, and Qt's own texts come in Japanese where its translations
# are installed; without them the program still runs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-mincho, fonts-ipafont-gothic, qt6-translations-l10n")

include(CPack)
