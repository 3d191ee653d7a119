# The benchmarks set up their worlds and matches with the plain helpers the
# game tests use (tests/game/world_setup.h, tests/game/match_setup.h).
target_include_directories(kx_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
