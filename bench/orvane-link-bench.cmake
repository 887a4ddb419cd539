# orvane-link-bench: the start-up read-all and five uploads against the protocol's own pauses.
add_executable(orvane-link-bench ${CMAKE_CURRENT_LIST_DIR}/link/LinkBench.cpp)
target_link_libraries(orvane-link-bench PRIVATE orvane::link orvane::emulator Qt6::Core)
