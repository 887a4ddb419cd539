# The LCD renderer with any text and any font description.
orvane_fuzzer(fuzz_lcd_render SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_lcd_render.cpp DEPS orvane::lcd)
