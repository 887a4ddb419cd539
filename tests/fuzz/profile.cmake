# Profile files and typed names through the profile folder's scan, load, copy and rename.
orvane_fuzzer(fuzz_profile SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_profile.cpp DEPS orvane::profile)
