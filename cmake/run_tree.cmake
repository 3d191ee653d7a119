# Lays out the run folder: the hand-written data tree, the folders the game
# writes into, and the fonts taken from Debian's fonts-dejavu-core.
file(GLOB_RECURSE kx_data_files CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/data ${CMAKE_SOURCE_DIR}/data/*)
set(kx_data_outputs)
foreach(f ${kx_data_files})
  set(out ${KX_RUN_DIR}/data/${f})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/data/${f} ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/${f})
  list(APPEND kx_data_outputs ${out})
endforeach()

# The scene macros and the ray tracer's settings also stand beside the
# scenes the game exports, so that a scene renders from the folder it was
# saved in.
foreach(f glossy.inc povray.ini)
  set(out ${KX_RUN_DIR}/raytrace/${f})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/data/raytrace/${f} ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/raytrace/${f})
  list(APPEND kx_data_outputs ${out})
endforeach()

set(KX_FONT_DIR /usr/share/fonts/truetype/dejavu)
foreach(font DejaVuSans.ttf DejaVuSans-Bold.ttf DejaVuSansMono.ttf)
  set(out ${KX_RUN_DIR}/data/fonts/${font})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KX_FONT_DIR}/${font} ${out}
    DEPENDS ${KX_FONT_DIR}/${font})
  list(APPEND kx_data_outputs ${out})
endforeach()

foreach(d replay autosave stance custom screenshots raytrace data/mod data/script data/shader data/textures data/sounds)
  file(MAKE_DIRECTORY ${KX_RUN_DIR}/${d})
endforeach()

add_custom_target(kx_run_tree ALL DEPENDS ${kx_data_outputs})
