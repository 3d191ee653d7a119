# Start-up to the first displayed frame: the game beside a bare SDL window.
add_executable(kx_startup_bench ${CMAKE_CURRENT_SOURCE_DIR}/startup/startup_bench.cpp)
target_link_libraries(kx_startup_bench PRIVATE PkgConfig::SDL OpenGL::GL)
target_compile_definitions(kx_startup_bench PRIVATE KX_RUN_DIR="${KX_RUN_DIR}")
add_dependencies(kx_startup_bench kaelmund kx_run_tree)
