# The window tests read the synthesised sound effects from the run folder.
if(TARGET kx_tests_window)
  add_dependencies(kx_tests_window kx_sounds)
endif()
# The program tests start the real program from a run folder of their own.
if(TARGET kx_tests_window)
  add_dependencies(kx_tests_window kaelmund kx_run_tree)
endif()
# The texture tests write their PNG files with libpng (an independent
# reference, never linked by the program).
if(TARGET kx_tests_window)
  find_package(PNG REQUIRED)
  target_sources(kx_tests_window PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/render/png_test_util.cpp)
  target_link_libraries(kx_tests_window PRIVATE PNG::PNG)
endif()
# The texture tests load the generated textures from the run folder.
if(TARGET kx_tests_window)
  add_dependencies(kx_tests_window kx_textures)
endif()
