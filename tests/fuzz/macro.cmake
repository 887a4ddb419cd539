# Arbitrary bytes as a macro record and as keymap.bin content, through the
# macro loaders, every event-sequence operation and ApplyAssignment.
orvane_fuzzer(fuzz_macro SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_macro.cpp DEPS orvane::keymap orvane::macro)
