# Windows build (i686 or x86-64, after the toolchain file): the plugin DLL, the tools and the Wine-run test programs.
# The C++ runtime, libgcc and winpthread are linked statically so that every
# binary imports only Windows system DLLs.
set(MORVANE_BIN ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${MORVANE_BIN})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${MORVANE_BIN})
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(morvane_win STATIC ${WIN_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/empty.cpp)
target_link_libraries(morvane_win PUBLIC morvane_core ole32 uuid gdi32 user32 shell32 comctl32 advapi32 windowscodecs msimg32 psapi)

# The 32-bit library exports the host's names plain and standard-call decorated;
# the 64-bit one, Morvane.wlx64, has one calling convention and plain names only.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(MORVANE_DEF ${CMAKE_SOURCE_DIR}/plugin/Morvane64.def)
  set(MORVANE_SUFFIX ".wlx64")
else()
  set(MORVANE_DEF ${CMAKE_SOURCE_DIR}/plugin/Morvane.def)
  set(MORVANE_SUFFIX ".wlx")
endif()
add_library(Morvane SHARED ${CMAKE_SOURCE_DIR}/plugin/exports_win.cpp ${MORVANE_DEF})
file(GLOB RC_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/plugin/*.rc)
target_sources(Morvane PRIVATE ${RC_FILES})
set_target_properties(Morvane PROPERTIES PREFIX "" SUFFIX ${MORVANE_SUFFIX} OUTPUT_NAME Morvane)
target_link_libraries(Morvane PRIVATE morvane_win)
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  target_link_options(Morvane PRIVATE -Wl,--enable-stdcall-fixup)
endif()

# Windows programs of tools/: one per file, named after it (morvane-view.cpp -> morvane-view.exe).
file(GLOB WIN_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.cpp)
set(WIN_TOOL_TARGETS "")
foreach(src ${WIN_TOOLS})
  get_filename_component(name ${src} NAME_WE)
  list(APPEND WIN_TOOL_TARGETS ${name})
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE morvane_win)
  set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
endforeach()

# GoogleTest, cross-built from the Debian sources.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

file(GLOB WIN_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(morvane_wtest_support STATIC ${WIN_SUPPORT})
target_link_libraries(morvane_wtest_support PUBLIC morvane_win gtest version)

# Every tests/wine/*_wtest.cpp is one Windows test program, run under Wine by ctest
# from the bin folder, where the plugin library and the tools sit.
file(GLOB WINE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*_wtest.cpp)
foreach(src ${WINE_TESTS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE morvane_wtest_support gtest_main)
  # The tests start the viewer and the fake search engine as separate programs.
  add_dependencies(${name} Morvane ${WIN_TOOL_TARGETS})
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${MORVANE_BIN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endforeach()

add_test(NAME dll_outside COMMAND ${CMAKE_SOURCE_DIR}/tests/check-dll.sh $<TARGET_FILE:Morvane>)

include(${CMAKE_CURRENT_LIST_DIR}/icons.cmake)
