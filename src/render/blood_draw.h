// Blood drawing as the game core calls it.
#pragma once

// One blood sprite at a drop (position, velocity, size, colour).
void draw_blood_drop(const float *pos, const float *vel, float size, const float *rgb);
// A floor stain where a drop lands (only with stains on and shaders active).
void add_blood_stain(const float *pos, const float *vel, float size, const float *rgb);
