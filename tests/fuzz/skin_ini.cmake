# The LCD program's skin INI through its reader and the control placement.
orvane_fuzzer(fuzz_skin_ini SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_skin_ini.cpp DEPS orvane::panelo_app)
