#include "render/hud_theme.h"

#include "render/color_table.h"

static int g_first_row = 78;

void set_hud_theme_a(void) { g_first_row = 82; }
void set_hud_theme_b(void) { g_first_row = 78; }

int hud_colour_row(int k) { return k >= 0 && k < HUD_COLOURS ? g_first_row + k : 0; }

void hud_colour_rgb(int k, float *rgb) { get_color_rgb(hud_colour_row(k), rgb); }
