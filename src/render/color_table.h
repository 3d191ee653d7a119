// The named colour table as the game core reads it.
#pragma once

enum { COLOR_TABLE_ROWS = 125 };

// Row i's r, g, b (rows 0..124; another row gives row 0).
void get_color_rgb(int i, float *rgb);

// out = a t + b (1 - t) for t at most 1; out = a for t above 1.
void blend_colors(const float *a, const float *b, float t, float *out);
// rgb = rgb (1 - t) + row t, towards red when i is 0.
void tint_color_toward_row(int i, float *rgb, float t);
