# lumetra-render-bench: median time of RenderText (10 characters) and of
# AutoAdjustFont from 24 points, against a 60 Hz frame.
add_executable(lumetra-render-bench ${CMAKE_CURRENT_LIST_DIR}/lcd/RenderBench.cpp)
target_link_libraries(lumetra-render-bench PRIVATE orvane::lcd Qt6::Core)
