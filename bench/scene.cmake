# The default scene drawn by the shader path against the fixed path, with
# the share of each shader pass.
add_executable(kx_scene_bench ${CMAKE_CURRENT_SOURCE_DIR}/scene/scene_paths_bench.cpp)
target_link_libraries(kx_scene_bench PRIVATE kx_window)
add_dependencies(kx_scene_bench kx_run_tree)
