# MacroDefine.bin of any length through the load and the packing into the image.
orvane_fuzzer(fuzz_macro_store SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_macro_store.cpp DEPS orvane::macro)
