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

# orvane_test_folders(<target>)
# The build's program folder and the source folder compiled into a test (tests/support/Folders.h
# falls back to them when ORVANE_BIN_DIR or ORVANE_SOURCE_DIR is not set, as when a test is run
# by hand).
function(orvane_test_folders target)
  target_compile_definitions(${target} PRIVATE
    ORVANE_TEST_BIN_DIR="${ORVANE_BIN_DIR}"
    ORVANE_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()

# orvane_test(<name> [GUI] [MAIN gtest|gui|core] [LABELS <labels...>] [TIMEOUT <s>]
#             SOURCES <files...> DEPS <targets...>)
# One GoogleTest executable registered with CTest, built into build/tests-bin (never into the
# program folder). It includes "tests/..." (tests/support holds the shared fixtures).
# MAIN: GoogleTest's own main (default), or tests/support's main that creates a QApplication
# (gui, the default of GUI tests) or a QCoreApplication (core).
# LABELS: unit (logic, no display; the default), gui (widgets on the offscreen platform; the
# default of GUI tests), e2e (the programs or the emulated keyboard end to end, through
# processes or the data folder), xvfb (a real X server). GUI tests run on the offscreen platform;
# every test does (QT_QPA_PLATFORM=offscreen), so none needs a display.
# Tests find the public reference data through ORVANE_REFERENCE_DIR (may not exist).
function(orvane_test name)
  cmake_parse_arguments(ARG "GUI" "TIMEOUT;MAIN" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock Threads::Threads)
  if(NOT ARG_MAIN)
    set(ARG_MAIN gtest)
    if(ARG_GUI)
      set(ARG_MAIN gui)
    endif()
  endif()
  if(ARG_MAIN STREQUAL "gtest")
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  elseif(ARG_MAIN STREQUAL "gui" OR ARG_MAIN STREQUAL "core")
    target_link_libraries(${name} PRIVATE orvane_test_${ARG_MAIN}_main)
  else()
    message(FATAL_ERROR "orvane_test(${name}): MAIN is gtest, gui or core, not ${ARG_MAIN}")
  endif()
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
    if(ARG_GUI)
      set(ARG_LABELS gui)
    endif()
  endif()
  orvane_test_labels_valid(${name} ${ARG_LABELS})
  orvane_expose(${name} PRIVATE FOLDER tests)
  orvane_test_folders(${name})
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
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}" LABELS "${ARG_LABELS}")
endfunction()

# orvane_xvfb_test(<name> SCRIPT <script> [ARGS <args...>])
# A shell script that runs a program under Xvfb (xvfb-run) with keys typed by xdotool; exit code
# 77 reports that those tools are missing (a skip). Label xvfb; one at a time.
function(orvane_xvfb_test name)
  cmake_parse_arguments(ARG "" "SCRIPT" "ARGS" ${ARGN})
  add_test(NAME ${name} COMMAND sh ${ARG_SCRIPT} ${ARG_ARGS})
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120 RESOURCE_LOCK xvfb LABELS xvfb)
endfunction()

function(orvane_test_labels_valid name)
  foreach(label ${ARGN})
    if(NOT label MATCHES "^(unit|gui|e2e|xvfb)$")
      message(FATAL_ERROR "orvane_test(${name}): label ${label} is none of unit, gui, e2e, xvfb")
    endif()
  endforeach()
endfunction()

# orvane_test_tool(<name> SOURCES <files...> DEPS <targets...>)
# A program for looking at things by hand (screenshots), built into build/tools with the tests'
# includes and mains; not a test.
function(orvane_test_tool name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  orvane_expose(${name} PRIVATE FOLDER tests)
  orvane_test_folders(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
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
