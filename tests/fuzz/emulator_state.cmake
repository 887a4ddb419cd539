# The emulated keyboard's state file, of any size and content.
orvane_fuzzer(fuzz_emulator_state SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_emulator_state.cpp DEPS orvane::emulator orvane::link)
