# Read by CPack before it packs (CPACK_PROJECT_CONFIG_FILE), for the .deb and for the Windows zip:
# the same commit gives the same package, byte for byte.
#
# CPack gives every file in the package the time SOURCE_DATE_EPOCH when it is set. When it is not,
# it is set here to the time of the last commit (git log -1 --format=%ct), or, outside a git
# checkout, to midnight UTC of the release date; an epoch set by whoever builds is kept. The zip's
# MS-DOS times are local times, so the package is made in UTC. The order of the files is CPack's
# own (sorted) and their modes are those install() gives (directory_permissions.cmake for the .deb's
# directories).
#
# CPACK_QUORVEL_SOURCE_DIR and CPACK_QUORVEL_RELEASE_DATE (YYYY-MM-DD) come from the build.

if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  # Without git, or outside a checkout, the result is an error and the date is used.
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY ${CPACK_QUORVEL_SOURCE_DIR}
    OUTPUT_VARIABLE _quorvel_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE _quorvel_result ERROR_QUIET)
  if(NOT _quorvel_result EQUAL 0)
    set(_quorvel_epoch "")
  endif()
  if(NOT _quorvel_epoch MATCHES "^[0-9]+$")
    # Days from 1970-01-01 to the release date, in the proleptic Gregorian calendar, counted from
    # 1 March so that the leap day ends a year.
    if(NOT CPACK_QUORVEL_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
      message(FATAL_ERROR "no release date for the package's file times: "
        "\"${CPACK_QUORVEL_RELEASE_DATE}\"")
    endif()
    math(EXPR _quorvel_y "${CMAKE_MATCH_1}")
    math(EXPR _quorvel_m "1${CMAKE_MATCH_2} - 100")
    math(EXPR _quorvel_d "1${CMAKE_MATCH_3} - 100")
    if(_quorvel_m LESS_EQUAL 2)
      math(EXPR _quorvel_y "${_quorvel_y} - 1")
      math(EXPR _quorvel_m "${_quorvel_m} + 9")
    else()
      math(EXPR _quorvel_m "${_quorvel_m} - 3")
    endif()
    math(EXPR _quorvel_days "365 * ${_quorvel_y} + ${_quorvel_y} / 4 - ${_quorvel_y} / 100 \
      + ${_quorvel_y} / 400 + (153 * ${_quorvel_m} + 2) / 5 + ${_quorvel_d} - 1 - 719468")
    math(EXPR _quorvel_epoch "${_quorvel_days} * 86400")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${_quorvel_epoch})
endif()
set(ENV{TZ} UTC0)

unset(_quorvel_epoch)
unset(_quorvel_result)
unset(_quorvel_y)
unset(_quorvel_m)
unset(_quorvel_d)
unset(_quorvel_days)
