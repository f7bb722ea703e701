# The Windows build's package, a zip of quorvel.exe, LICENSE and a short read-me in Japanese and
# English (UTF-8 with a byte-order mark and CR LF line ends, as Notepad reads it best):
#   cmake --build <build directory> --target package   ->  quorvel-1.00-windows-x64.zip
include(${PROJECT_SOURCE_DIR}/resources/quorvel.cmake)

install(TARGETS quorvel RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt
  DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "${QUORVEL_MAKER}")
set(CPACK_PACKAGE_VERSION ${QUORVEL_VERSION_STRING})
set(CPACK_PACKAGE_FILE_NAME quorvel-${QUORVEL_VERSION_STRING}-windows-x64)
# The files sit in a folder of the zip's name, so that unpacking makes one folder.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The same commit gives the same package, byte for byte (reproducible.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/reproducible.cmake)
set(CPACK_QUORVEL_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_QUORVEL_RELEASE_DATE ${QUORVEL_RELEASE_DATE})
include(CPack)
