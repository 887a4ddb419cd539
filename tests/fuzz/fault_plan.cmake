# ORVANE_EMULATOR_FAULTS text through the fault-plan parser.
orvane_fuzzer(fuzz_fault_plan SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_fault_plan.cpp DEPS orvane::emulator)
