# orvane-startup-bench: the main program's start-up on the X display in $DISPLAY against a
# baseline program of its own (a frameless window painting a 1000 x 645 PNG, and a tray icon):
# exec to the first window mapped, the splash's end to the main window mapped, resident memory
# 3 s after start (also Lumetra's), and after each panel was opened and closed once (xdotool).
# Medians of several runs.
pkg_check_modules(ORVANE_BENCH_XCB QUIET IMPORTED_TARGET xcb)
if(TARGET QX410-Orvane AND TARGET Lumetra AND ORVANE_BENCH_XCB_FOUND)
  add_executable(orvane-startup-baseline ${CMAKE_CURRENT_LIST_DIR}/startup/Baseline.cpp)
  target_link_libraries(orvane-startup-baseline PRIVATE Qt6::Widgets)
  add_executable(orvane-startup-bench ${CMAKE_CURRENT_LIST_DIR}/startup/StartupBench.cpp)
  target_link_libraries(orvane-startup-bench PRIVATE PkgConfig::ORVANE_BENCH_XCB)
  target_compile_definitions(orvane-startup-bench PRIVATE
    ORVANE_BENCH_PROGRAM="$<TARGET_FILE:QX410-Orvane>"
    ORVANE_BENCH_BASELINE="$<TARGET_FILE:orvane-startup-baseline>"
    ORVANE_BENCH_LUMETRA="$<TARGET_FILE:Lumetra>"
    ORVANE_BENCH_BIN_DIR="${ORVANE_BIN_DIR}")
  add_dependencies(orvane-startup-bench orvane-startup-baseline QX410-Orvane Lumetra)
endif()
