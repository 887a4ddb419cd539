# The keyboard link against a keyboard whose every answer comes from the fuzzer.
orvane_fuzzer(fuzz_keyboard SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_keyboard.cpp DEPS orvane::link orvane::keymap Qt6::Core)
