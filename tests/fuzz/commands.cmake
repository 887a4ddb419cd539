# orvanectl's command line and its macro files.
orvane_fuzzer(fuzz_commands SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_commands.cpp DEPS orvane::commands)
