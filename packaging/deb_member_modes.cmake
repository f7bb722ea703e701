# Run by CPack on the .deb it has made, before copying it to the build directory
# (CPACK_POST_BUILD_SCRIPTS). A .deb is an ar archive of three members (debian-binary and two tar
# archives), and CPack gives each member the mode of the file it wrote it from, which follows the
# umask of whoever builds. Every member gets mode 0644 here, as dpkg-deb writes it, so that the
# umask does not change the package. The mode is ASCII in each member's 60-byte header (at byte 40,
# 8 characters), and is rewritten in place.
cmake_minimum_required(VERSION 3.25)

find_program(QUORVEL_DD dd REQUIRED)
set(mode "100644  ")
set(mode_file ${CPACK_TOPLEVEL_DIRECTORY}/deb_member_mode)
file(WRITE ${mode_file} "${mode}")

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  file(SIZE ${package} size)
  file(READ ${package} magic LIMIT 8)
  if(NOT magic STREQUAL "!<arch>\n")
    message(FATAL_ERROR "${package} is not an ar archive")
  endif()
  set(offset 8)
  while(offset LESS size)
    file(READ ${package} header OFFSET ${offset} LIMIT 60)
    string(SUBSTRING "${header}" 40 8 member_mode)
    string(SUBSTRING "${header}" 48 10 member_size)
    string(STRIP "${member_size}" member_size)
    if(NOT member_mode MATCHES "^100[0-7][0-7][0-7]  $" OR NOT member_size MATCHES "^[0-9]+$")
      message(FATAL_ERROR "${package}: no ar member header at byte ${offset}")
    endif()
    if(NOT member_mode STREQUAL mode)
      math(EXPR mode_offset "${offset} + 40")
      execute_process(
        COMMAND ${QUORVEL_DD} of=${package} bs=1 seek=${mode_offset} conv=notrunc status=none
        INPUT_FILE ${mode_file} RESULT_VARIABLE result)
      if(NOT result EQUAL 0)
        message(FATAL_ERROR "could not set the mode of a member of ${package}: ${result}")
      endif()
    endif()
    # Members start at even bytes.
    math(EXPR offset "${offset} + 60 + ${member_size} + ${member_size} % 2")
  endwhile()
endforeach()
file(REMOVE ${mode_file})
