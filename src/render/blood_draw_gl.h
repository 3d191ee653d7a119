// Blood drops drawn at once: camera-facing sprites of the sprite disc in the
// drop's colour. init_graphics puts the drawer into the game's callback
// table; free_graphics puts the headless one back.
#pragma once

// The drops' state: blended over, depth written, unlit, and the camera's
// right and up vectors kept from the current modelview (the drops face the
// eye). It pushes nothing: blood_sprite_begin saves the state first.
void blood_state_begin(void);
void blood_sprite_begin(void);
void draw_blood_drop_gl(const float *pos, const float *vel, float size, const float *rgb);
void blood_sprite_end(void);
void blood_draw_gl_install(int on);
