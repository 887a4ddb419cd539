# Helpers shared by the module folders.

# orvane_library(<name> <sources...> [DEPS <targets...>])
# A static library orvane_<name> with the alias orvane::<name>; includes are relative to the project root.
function(orvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(orvane_${name} STATIC ${ARG_SOURCES})
  add_library(orvane::${name} ALIAS orvane_${name})
  target_include_directories(orvane_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(orvane_${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# orvane_test(<name> SOURCES <files...> DEPS <targets...> [GUI])
# One GoogleTest executable registered with CTest. GUI tests run on the offscreen platform.
# Tests find the public reference data through ORVANE_REFERENCE_DIR (may not exist).
function(orvane_test name)
  cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock Threads::Threads)
  if(NOT ARG_DEPS MATCHES "gtest_main")
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 180)
  endif()
  set(env
    "ORVANE_REFERENCE_DIR=${PROJECT_SOURCE_DIR}/../shared/reference"
    "ORVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    "ORVANE_BIN_DIR=${ORVANE_BIN_DIR}"
    "QT_QPA_PLATFORM=offscreen")
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

# orvane_fuzzer(<name> SOURCES <files...> DEPS <targets...>)
# A libFuzzer target in build-fuzz/fuzz/, part of the custom target "fuzzers".
function(orvane_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_dependencies(fuzzers ${name})
endfunction()
