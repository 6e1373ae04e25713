# The plugin's icons 101 and 102: a small program of the build machine draws
# them (tools/native/make_icons.cpp) and icons/icons.rc links them into the
# plugin and the viewer. The program is compiled with the build machine's own
# C++ compiler, since the cross compiler's output cannot run here.
find_program(MORVANE_BUILD_CXX NAMES c++ g++ clang++ REQUIRED)
set(MORVANE_ICON_DIR ${CMAKE_BINARY_DIR}/generated/icons)
set(MORVANE_ICON_TOOL ${MORVANE_ICON_DIR}/make_icons)
set(MORVANE_ICON_FILES ${MORVANE_ICON_DIR}/morvane_mark.ico ${MORVANE_ICON_DIR}/everything_mark.ico)
add_custom_command(
  OUTPUT ${MORVANE_ICON_FILES} ${MORVANE_ICON_DIR}/icons-preview.png
  COMMAND ${CMAKE_COMMAND} -E make_directory ${MORVANE_ICON_DIR}
  COMMAND ${MORVANE_BUILD_CXX} -std=c++17 -O2 -o ${MORVANE_ICON_TOOL}
          ${CMAKE_SOURCE_DIR}/tools/native/make_icons.cpp
  COMMAND ${MORVANE_ICON_TOOL} ${MORVANE_ICON_DIR} ${MORVANE_ICON_DIR}/icons-preview.png
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/native/make_icons.cpp
  COMMENT "Drawing the plugin's icons")
add_custom_target(morvane_icons DEPENDS ${MORVANE_ICON_FILES})
set(MORVANE_ICON_RC ${CMAKE_SOURCE_DIR}/icons/icons.rc)
set_source_files_properties(${MORVANE_ICON_RC} PROPERTIES
  OBJECT_DEPENDS "${MORVANE_ICON_FILES};${CMAKE_SOURCE_DIR}/icons/icon_resource_ids.h"
  INCLUDE_DIRECTORIES ${MORVANE_ICON_DIR})
foreach(target Morvane morvane-view)
  target_sources(${target} PRIVATE ${MORVANE_ICON_RC})
  add_dependencies(${target} morvane_icons)
endforeach()
