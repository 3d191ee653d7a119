# The 48 sound effects, synthesised at build time by our own generator into
# the run folder's data/sounds/.
add_executable(kx_sound_gen ${CMAKE_SOURCE_DIR}/tools/sound_gen.cpp)
set(KX_SOUND_NAMES
  pain1 pain2 pain3 pain4 pain5 pain6 pain7 pain8
  body_hit_head1 body_hit_head2 body_hit_head3
  body_hit1 body_hit2 body_hit3 body_hit4 body_hit5
  body_impact_hard1 body_impact_hard2 body_impact_soft1 body_impact_soft2
  body_impact_mini1 body_impact_mini2 body_break_hard1
  body_swoosh_hand body_swoosh_feet body_swoosh footstep
  menu_click select_player joint_hold button_click fight_alert
  gameover foul splash0 splash1 splash2 splash3 splash4 splash5 splash6 splash7 splash8
  slowdown weapon-hit weapon-clash grading neck_fracture)
set(kx_sound_files)
foreach(n ${KX_SOUND_NAMES})
  list(APPEND kx_sound_files ${KX_RUN_DIR}/data/sounds/${n}.wav)
endforeach()
add_custom_command(OUTPUT ${kx_sound_files}
  COMMAND kx_sound_gen ${KX_RUN_DIR}/data/sounds
  DEPENDS kx_sound_gen
  COMMENT "Synthesising the sound effects")
add_custom_target(kx_sounds ALL DEPENDS ${kx_sound_files})
