# One displayed frame of the default match beside a bare GLU loop.
add_executable(kx_frame_bench ${CMAKE_CURRENT_SOURCE_DIR}/frame/frame_bench.cpp)
target_link_libraries(kx_frame_bench PRIVATE kx_window)
add_dependencies(kx_frame_bench kx_run_tree)
