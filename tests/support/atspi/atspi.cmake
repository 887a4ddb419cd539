# orvane_atspi_test(<name> PROGRAM <program> CHECK <check.py> [LANGUAGE english|chinese] [ARGS <args...>])
# A check of <program> through the real accessibility bus: run.sh beside this file starts it under
# Xvfb with the AT-SPI bus and runs <check.py> (with ARGS) on /usr/bin/python3 with pyatspi; see
# run.sh for what the program and the check get. Label xvfb, one at a time; exit code 77 (no
# accessibility bus or no pyatspi) is a skip.
#   include(${PROJECT_SOURCE_DIR}/tests/support/atspi/atspi.cmake)
#   orvane_atspi_test(main_window_atspi PROGRAM ${ORVANE_BIN_DIR}/QX410-Orvane
#                     CHECK ${CMAKE_CURRENT_SOURCE_DIR}/main_atspi.py)
include_guard(GLOBAL)

function(orvane_atspi_test name)
  cmake_parse_arguments(ARG "" "PROGRAM;CHECK;LANGUAGE" "ARGS" ${ARGN})
  if(NOT ARG_PROGRAM OR NOT ARG_CHECK)
    message(FATAL_ERROR "orvane_atspi_test(${name}): PROGRAM and CHECK are needed")
  endif()
  if(NOT ARG_LANGUAGE)
    set(ARG_LANGUAGE english)
  endif()
  # The runner beside this file: a variable set here would reach only the first folder that
  # includes it (the guard skips the file for the others).
  orvane_xvfb_test(${name} SCRIPT ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/run.sh
    ARGS --language ${ARG_LANGUAGE} ${ARG_PROGRAM} ${ARG_CHECK} ${ARG_ARGS})
endfunction()
