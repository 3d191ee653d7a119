# The image decoding benchmark compares our PNG decoder with libpng in the
# same run; libpng and zlib are linked into the benchmark only.
find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
target_sources(kx_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/render/png_test_util.cpp)
target_include_directories(kx_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(kx_bench PRIVATE PNG::PNG ZLIB::ZLIB)
