# The report-descriptor parser against arbitrary bytes.
orvane_fuzzer(fuzz_descriptor SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_descriptor.cpp DEPS orvane::hidraw)
