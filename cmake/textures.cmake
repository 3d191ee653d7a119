# The interface and default fighter textures, drawn at build time by our
# own generator into the run folder.
add_executable(kx_texture_gen ${CMAKE_SOURCE_DIR}/tools/texture_gen.cpp)
set(KX_TEXTURE_FILES
  data/textures/splatt1.tga data/textures/logo.tga data/textures/background.tga
  data/textures/header.tga data/textures/indicator.tga data/textures/av_shadow.tga
  data/textures/trail.tga custom/vako/flame.tga custom/zud/flame.tga)
set(kx_texture_outputs)
foreach(f ${KX_TEXTURE_FILES})
  list(APPEND kx_texture_outputs ${KX_RUN_DIR}/${f})
endforeach()
add_custom_command(OUTPUT ${kx_texture_outputs}
  COMMAND kx_texture_gen ${KX_RUN_DIR}
  DEPENDS kx_texture_gen
  COMMENT "Drawing the textures")
add_custom_target(kx_textures ALL DEPENDS ${kx_texture_outputs})
