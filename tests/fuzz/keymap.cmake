# keymap.bin of any length through the load and the start-up upload planning.
orvane_fuzzer(fuzz_keymap SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_keymap.cpp DEPS orvane::keymap orvane::macro orvane::link)
