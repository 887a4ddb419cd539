# One macro record through the record fields, every event-sequence operation and the store-back.
orvane_fuzzer(fuzz_macro SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_macro.cpp DEPS orvane::keymap orvane::macro)
