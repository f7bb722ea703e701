# The version record and the icon of quorvel.exe, in the Windows build: link
# quorvel_windows_resources to a program to give it both.
#
# The icon comes from the same drawings and the same tool as in the Linux build. The tool uses Qt,
# which this build has only for the machine it runs on, so the tool is built for that machine as a
# project of its own (host_tool/) and run there.

include(ExternalProject)
set(icon_tool ${out}/host_tool/quorvel_icons${CMAKE_HOST_EXECUTABLE_SUFFIX})
ExternalProject_Add(quorvel_host_icon_tool
  SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/host_tool
  BINARY_DIR ${out}/host_tool
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DQUORVEL_WERROR=${QUORVEL_WERROR}
  INSTALL_COMMAND ""
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_OUTPUT_ON_FAILURE ON
  # Asks the tool's own build every time, which rebuilds it when icon_tool.cpp has changed.
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${icon_tool})

add_custom_command(
  OUTPUT ${out}/quorvel.ico
  COMMAND ${icon_tool} ${CMAKE_CURRENT_SOURCE_DIR}/quorvel-32.xpm
          ${CMAKE_CURRENT_SOURCE_DIR}/quorvel-16.xpm ${out}
  DEPENDS quorvel_host_icon_tool ${icon_tool} quorvel-32.xpm quorvel-16.xpm
  COMMENT "Deriving the icon from the drawings"
  VERBATIM)

configure_file(quorvel.rc.in ${out}/quorvel.rc @ONLY)
add_library(quorvel_windows_resources OBJECT ${out}/quorvel.rc ${out}/quorvel.ico)
# windres finds quorvel.ico, named in quorvel.rc, in the include directories.
target_include_directories(quorvel_windows_resources PRIVATE ${out})
set_source_files_properties(${out}/quorvel.rc PROPERTIES OBJECT_DEPENDS ${out}/quorvel.ico)

# The names and the maker's addresses for the windows (resources/app_info.h), as in the Linux build;
# the icon the windows show comes from the program's own resources, so nothing else is linked.
configure_file(app_info.h.in ${out}/include/resources/app_info.h @ONLY)
add_library(quorvel_resources INTERFACE)
target_include_directories(quorvel_resources INTERFACE ${out}/include)
