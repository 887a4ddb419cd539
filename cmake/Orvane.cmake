# Helpers shared by the module folders.

# orvane_expose(<target> <PUBLIC|PRIVATE> [FOLDER <folder relative to the project root>])
# Makes the folder (default: the current one) reachable as "<folder>/<header>" for the target, and,
# with PUBLIC, for whatever links it, and nothing else of the tree: each target gets an include
# folder of its own under build/include/ holding one link to its source folder, so an include of a
# library that the target does not link fails to compile.
function(orvane_expose target scope)
  cmake_parse_arguments(ARG "" "FOLDER" "" ${ARGN})
  if(ARG_FOLDER)
    set(folder ${ARG_FOLDER})
  else()
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
endfunction()

# orvane_library(<name> SOURCES <files...> [DEPS <targets...>])
# A static library orvane_<name> with the alias orvane::<name>, made of the current folder; its
# headers are included as "<folder>/<header>" by itself and by what links it (orvane_expose).
function(orvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(orvane_${name} STATIC ${ARG_SOURCES})
  add_library(orvane::${name} ALIAS orvane_${name})
  orvane_expose(orvane_${name} PUBLIC)
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
  orvane_expose(${name} PRIVATE FOLDER tests)
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
  orvane_expose(${name} PRIVATE FOLDER tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_dependencies(fuzzers ${name})
endfunction()
