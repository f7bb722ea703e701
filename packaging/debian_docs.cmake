# Writes the files that Debian wants in /usr/share/doc/quorvel and compresses the manual pages, at
# build time:
#   cmake -DMETAINFO=... -DLICENSE_FILE=... -DOUT_DIR=... -DPACKAGE=... -DMAINTAINER=...
#         -DHOMEPAGE=... -DGZIP=... -DMAN_PAGES=page1;page2 -P debian_docs.cmake
# OUT_DIR/changelog.gz  the Debian changelog, one entry a release, from the AppStream <releases>;
# OUT_DIR/copyright     the machine-readable copyright file (format 1.0), from LICENSE;
# PAGE.gz               beside every PAGE of MAN_PAGES.
# Everything is compressed with gzip -9n: the best compression and no name or time stamp inside,
# so that the same sources give the same bytes.
cmake_minimum_required(VERSION 3.25)

foreach(variable METAINFO LICENSE_FILE OUT_DIR PACKAGE MAINTAINER HOMEPAGE GZIP)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "debian_docs.cmake needs -D${variable}=...")
  endif()
endforeach()

function(compress input output)
  execute_process(COMMAND ${GZIP} -9n -c INPUT_FILE ${input} OUTPUT_FILE ${output}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip -9n ${input} failed: ${result}")
  endif()
endfunction()

# The day of the week of a date, as RFC 5322 names it (Sakamoto's method).
function(weekday year month day out)
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR index "${month} - 1")
  list(GET offsets ${index} offset)
  if(month LESS 3)
    math(EXPR year "${year} - 1")
  endif()
  math(EXPR number "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${offset} + ${day}) % 7")
  set(names Sun Mon Tue Wed Thu Fri Sat)
  list(GET names ${number} name)
  set(${out} ${name} PARENT_SCOPE)
endfunction()

function(xml_text text out)
  string(REPLACE "&lt;" "<" text "${text}")
  string(REPLACE "&gt;" ">" text "${text}")
  string(REPLACE "&quot;" "\"" text "${text}")
  string(REPLACE "&apos;" "'" text "${text}")
  string(REPLACE "&amp;" "&" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# --- The changelog: every <release> of the metainfo, in its order (newest first).
file(READ ${METAINFO} xml)
if(NOT xml MATCHES "<releases>(.*)</releases>")
  message(FATAL_ERROR "${METAINFO} has no <releases>")
endif()
set(rest "${CMAKE_MATCH_1}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
# A semicolon in a note must not split CMake's lists of lines.
string(ASCII 1 semicolon)
set(changelog "")
while(TRUE)
  string(FIND "${rest}" "<release " start)
  if(start EQUAL -1)
    break()
  endif()
  string(SUBSTRING "${rest}" ${start} -1 rest)
  string(FIND "${rest}" ">" tag_end)
  string(SUBSTRING "${rest}" 0 ${tag_end} tag)
  if(NOT tag MATCHES "version=\"([^\"]+)\"")
    message(FATAL_ERROR "a <release> without a version in ${METAINFO}")
  endif()
  set(version "${CMAKE_MATCH_1}")
  if(NOT tag MATCHES "date=\"([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\"")
    message(FATAL_ERROR "release ${version} has no date YYYY-MM-DD in ${METAINFO}")
  endif()
  set(year ${CMAKE_MATCH_1})
  set(day ${CMAKE_MATCH_3})
  # As a number without its leading zero.
  math(EXPR month "1${CMAKE_MATCH_2} - 100")
  math(EXPR day_number "1${day} - 100")
  string(FIND "${rest}" "</release>" end)
  if(tag MATCHES "/$" OR end EQUAL -1)
    message(FATAL_ERROR "release ${version} in ${METAINFO} has no description for the changelog")
  endif()
  string(SUBSTRING "${rest}" 0 ${end} body)
  string(SUBSTRING "${rest}" ${end} -1 rest)

  string(APPEND changelog "${PACKAGE} (${version}) unstable; urgency=medium\n\n")
  set(entries 0)
  while(body MATCHES "<(p|li)>([^<]*)</(p|li)>")
    set(match "${CMAKE_MATCH_0}")
    xml_text("${CMAKE_MATCH_2}" note)
    string(FIND "${body}" "${match}" position)
    string(LENGTH "${match}" length)
    math(EXPR position "${position} + ${length}")
    string(SUBSTRING "${body}" ${position} -1 body)

    string(REPLACE ";" "${semicolon}" note "${note}")
    string(REPLACE "\n" ";" lines "${note}")
    set(bullet "  * ")
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      if(line STREQUAL "")
        continue()
      endif()
      string(REPLACE "${semicolon}" ";" line "${line}")
      string(APPEND changelog "${bullet}${line}\n")
      set(bullet "    ")
    endforeach()
    math(EXPR entries "${entries} + 1")
  endwhile()
  if(entries EQUAL 0)
    message(FATAL_ERROR "release ${version} in ${METAINFO} has no <p> or <li> for the changelog")
  endif()

  weekday(${year} ${month} ${day_number} name)
  math(EXPR index "${month} - 1")
  list(GET months ${index} month_name)
  string(APPEND changelog
    "\n -- ${MAINTAINER}  ${name}, ${day} ${month_name} ${year} 00:00:00 +0000\n\n")
endwhile()
if(changelog STREQUAL "")
  message(FATAL_ERROR "${METAINFO} lists no release")
endif()
string(REGEX REPLACE "\n\n$" "\n" changelog "${changelog}")
file(WRITE ${OUT_DIR}/changelog "${changelog}")
compress(${OUT_DIR}/changelog ${OUT_DIR}/changelog.gz)

# --- The copyright file: the copyright line and the text of LICENSE. Debian calls the licence
# that SPDX (and so the AppStream metadata) calls MIT "Expat".
file(READ ${LICENSE_FILE} licence)
if(NOT licence MATCHES "(^|\n)Copyright \\(c\\) ([^\n]+)\n")
  message(FATAL_ERROR "${LICENSE_FILE} has no line \"Copyright (c) ...\"")
endif()
set(holder "${CMAKE_MATCH_2}")
string(FIND "${licence}" "${CMAKE_MATCH_0}" start)
string(LENGTH "${CMAKE_MATCH_0}" length)
math(EXPR start "${start} + ${length}")
string(SUBSTRING "${licence}" ${start} -1 text)
string(STRIP "${text}" text)
# In a field's continuation lines an empty line is written " ." and every other line starts with
# a space.
string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" text "${text}")
string(REPLACE "\n" "\n " text "${text}")
file(WRITE ${OUT_DIR}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: ${PACKAGE}\n"
  "Upstream-Contact: ${MAINTAINER}\n"
  "Source: ${HOMEPAGE}\n"
  "\n"
  "Files: *\n"
  "Copyright: ${holder}\n"
  "License: Expat\n"
  " ${text}\n")

# --- The manual pages.
foreach(page IN LISTS MAN_PAGES)
  compress(${page} ${page}.gz)
endforeach()
