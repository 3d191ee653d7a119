// Blood drops drawn at once: camera-facing sprites of the sprite disc in the
// drop's colour. init_graphics puts the drawer into the game's callback
// table; free_graphics puts the headless one back.
#pragma once

void blood_sprite_begin(void);
void draw_blood_drop_gl(const float *pos, const float *vel, float size, const float *rgb);
void blood_sprite_end(void);
void blood_draw_gl_install(int on);
