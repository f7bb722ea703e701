# quorvel's version, names and icon sizes for the files that carry them. The version comes in the
# forms those files need, all from project(quorvel VERSION ...):
#   QUORVEL_VERSION_STRING   "1.00": the major number, a dot and the minor number in two digits,
#                            as the version record, the desktop entry, AppStream and the package show it
#   QUORVEL_VERSION_NUMBERS  "1,0,0,0": the four parts of the version record's fixed version
#   QUORVEL_RELEASE_DATE     the date of that release, for the AppStream release list
# Included from every directory that needs them; it defines no targets.

if(NOT DEFINED PROJECT_VERSION_MINOR OR PROJECT_VERSION_MINOR GREATER 99)
  message(FATAL_ERROR "quorvel needs project(VERSION major.minor.patch) with a minor number below 100")
endif()

set(_quorvel_minor "0${PROJECT_VERSION_MINOR}")
string(LENGTH "${_quorvel_minor}" _quorvel_length)
math(EXPR _quorvel_start "${_quorvel_length} - 2")
string(SUBSTRING "${_quorvel_minor}" ${_quorvel_start} 2 _quorvel_minor)
set(QUORVEL_VERSION_STRING "${PROJECT_VERSION_MAJOR}.${_quorvel_minor}")

set(_quorvel_parts)
foreach(part MAJOR MINOR PATCH TWEAK)
  set(_quorvel_part "${PROJECT_VERSION_${part}}")
  if(_quorvel_part STREQUAL "")
    set(_quorvel_part 0)
  endif()
  list(APPEND _quorvel_parts ${_quorvel_part})
endforeach()
list(JOIN _quorvel_parts "," QUORVEL_VERSION_NUMBERS)

set(QUORVEL_RELEASE_DATE "2026-12-07")

# The names the desktop knows quorvel by.
set(QUORVEL_APP_ID "jp.example.quorvel")
set(QUORVEL_MAKER "quorvel project")
# The maker as AppStream names a developer: the reverse of the maker's domain.
set(QUORVEL_DEVELOPER_ID "jp.example.quorvel")
set(QUORVEL_HOMEPAGE "https://quorvel.example.jp/")
set(QUORVEL_EMAIL "quorvel@example.jp")

# The sizes of the icon's PNGs for the desktop, in pixels.
set(QUORVEL_ICON_SIZES 16 32 48 64 128 256)

unset(_quorvel_minor)
unset(_quorvel_length)
unset(_quorvel_start)
unset(_quorvel_part)
unset(_quorvel_parts)
