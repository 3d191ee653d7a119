// The named colour table as the game core reads it.
#pragma once

enum { COLOR_TABLE_ROWS = 125 };

// Row i's r, g, b (rows 0..124; another row gives row 0).
void get_color_rgb(int i, float *rgb);
