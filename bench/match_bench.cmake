# The match benchmark measures the time spent inside ODE's own step by
# wrapping dWorldStep at link time (bench/match_bench.cpp).
target_link_options(kx_bench PRIVATE -Wl,--wrap=dWorldStep)
