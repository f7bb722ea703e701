# Installing quorvel under the GNU directories, and packing that as a Debian package:
#   cmake --build <build directory> --target package
# The package's dependencies are found by dpkg-shlibdeps from the libraries the program links.
# Besides the program and its desktop files it installs the manual page quorvel(1) and, in
# /usr/share/doc/quorvel, the copyright file and changelog that Debian asks of every package
# (tests/packaging/check_lintian.sh runs Debian's checker on the package).
include(GNUInstallDirs)
include(${PROJECT_SOURCE_DIR}/resources/quorvel.cmake)

install(TARGETS quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual page in English and Japanese, the copyright file and the changelog, which
# debian_docs.cmake writes from LICENSE and the AppStream release list when building.
set(docs_out ${PROJECT_BINARY_DIR}/packaging)
set(metainfo ${PROJECT_BINARY_DIR}/resources/${QUORVEL_APP_ID}.metainfo.xml)
list(JOIN QUORVEL_ICON_SIZES ", " QUORVEL_MAN_ICON_SIZES)
string(REGEX REPLACE ", ([0-9]+)$" " and \\1" QUORVEL_MAN_ICON_SIZES "${QUORVEL_MAN_ICON_SIZES}")
list(JOIN QUORVEL_ICON_SIZES "、" QUORVEL_MAN_ICON_SIZES_JA)
set(man_pages)
foreach(page man1/quorvel.1 ja/man1/quorvel.1)
  configure_file(${PROJECT_SOURCE_DIR}/man/${page}.in ${docs_out}/man/${page} @ONLY)
  list(APPEND man_pages ${docs_out}/man/${page})
endforeach()
list(TRANSFORM man_pages APPEND .gz OUTPUT_VARIABLE man_pages_gz)
find_program(QUORVEL_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${docs_out}/changelog.gz ${docs_out}/copyright ${man_pages_gz}
  COMMAND ${CMAKE_COMMAND} -DMETAINFO=${metainfo} -DLICENSE_FILE=${PROJECT_SOURCE_DIR}/LICENSE
          -DOUT_DIR=${docs_out} -DPACKAGE=quorvel "-DMAINTAINER=${QUORVEL_MAKER} <${QUORVEL_EMAIL}>"
          -DHOMEPAGE=${QUORVEL_HOMEPAGE} -DGZIP=${QUORVEL_GZIP} "-DMAN_PAGES=${man_pages}"
          -P ${CMAKE_CURRENT_LIST_DIR}/debian_docs.cmake
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/debian_docs.cmake ${metainfo} ${PROJECT_SOURCE_DIR}/LICENSE
          ${man_pages}
  COMMENT "Writing the copyright file and changelog, compressing the manual pages"
  VERBATIM)
add_custom_target(quorvel_package_docs ALL
  DEPENDS ${docs_out}/changelog.gz ${docs_out}/copyright ${man_pages_gz})
install(FILES ${docs_out}/copyright ${docs_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${docs_out}/man/man1/quorvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${docs_out}/man/ja/man1/quorvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)

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
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/directory_permissions.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_member_modes.cmake)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUORVEL_MAKER} <${QUORVEL_EMAIL}>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUORVEL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows ask for Japanese faces, Qt's own texts come in Japanese where its translations are
# installed, and on a Wayland desktop Qt opens its windows natively with its Wayland plugin (else
# through XWayland); without them the program still runs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "fonts-ipafont-mincho, fonts-ipafont-gothic, qt6-translations-l10n, qt6-wayland")

# The same commit gives the same package, byte for byte (reproducible.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/reproducible.cmake)
set(CPACK_QUORVEL_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_QUORVEL_RELEASE_DATE ${QUORVEL_RELEASE_DATE})
include(CPack)
