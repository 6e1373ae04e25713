# Native (Linux) build: the portable core, its unit tests, benchmarks and fuzzers.
if(MORVANE_SANITIZE)
  add_compile_options(-fsanitize=${MORVANE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${MORVANE_SANITIZE})
  target_compile_options(morvane_core PRIVATE -fsanitize=${MORVANE_SANITIZE} -fno-omit-frame-pointer)
endif()

find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
include(GoogleTest)

file(GLOB SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
list(FILTER SUPPORT_SOURCES EXCLUDE REGEX "_win\\.cpp$")
add_library(morvane_test_support STATIC ${SUPPORT_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/empty.cpp)
target_link_libraries(morvane_test_support PUBLIC morvane_core GTest::gtest Threads::Threads)

# One test program per file; tests named *_tsan_test.cpp only make sense under TSan
# and are built only there, everything else everywhere.
file(GLOB NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_test.cpp)
foreach(src ${NATIVE_TESTS})
  get_filename_component(name ${src} NAME_WE)
  if(name MATCHES "_tsan_test$" AND NOT MORVANE_SANITIZE STREQUAL "thread")
    continue()
  endif()
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE morvane_test_support GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endforeach()

# Benchmarks: tools/native/*.cpp, one program each, never run as tests.
file(GLOB NATIVE_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/native/*.cpp)
foreach(src ${NATIVE_TOOLS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE morvane_core Threads::Threads)
endforeach()

if(MORVANE_FUZZ)
  file(GLOB FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
  foreach(src ${FUZZERS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE morvane_core)
  endforeach()
  target_compile_options(morvane_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
