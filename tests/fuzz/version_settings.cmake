# VER.bin and PX840.conf with any content.
orvane_fuzzer(fuzz_version_settings SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_version_settings.cpp DEPS orvane::platform)
