# The hook library's raw input-event stream in pieces of any size, and its key filter. The
# library exports only its C interface, so its reader is compiled in.
orvane_fuzzer(fuzz_raw_events
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_raw_events.cpp ${PROJECT_SOURCE_DIR}/hook/InputReader.cpp
  DEPS PkgConfig::EVDEV Qt6::Gui Threads::Threads)
# The reader's own headers, without the library that would bring its whole interface.
orvane_expose(fuzz_raw_events PRIVATE FOLDER hook)
