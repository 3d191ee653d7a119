# The window tests read the synthesised sound effects from the run folder.
if(TARGET kx_tests_window)
  add_dependencies(kx_tests_window kx_sounds)
endif()
# The program tests start the real program from a run folder of their own.
if(TARGET kx_tests_window)
  add_dependencies(kx_tests_window kaelmund kx_run_tree)
endif()
