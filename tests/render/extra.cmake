# libpng and zlib serve the image tests as an independent reference: they
# write the PNG files the decoder is compared on. The program never links them.
if(TARGET kx_tests_render)
  find_package(PNG REQUIRED)
  find_package(ZLIB REQUIRED)
  target_link_libraries(kx_tests_render PRIVATE PNG::PNG ZLIB::ZLIB)
endif()
