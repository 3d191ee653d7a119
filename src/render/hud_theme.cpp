#include "render/hud_theme.h"

#include "render/color_table.h"

// The rows named "text", "text_bg", "text_sel", "text_disabled" (theme B)
// and "menu_text" .. "menu_text_disabled" (theme A): the rows the world
// shader settings of the same names write.
enum { THEME_B_FIRST = 77, THEME_A_FIRST = 81 };

static int g_first_row = THEME_B_FIRST;

void set_hud_theme_a(void) { g_first_row = THEME_A_FIRST; }
void set_hud_theme_b(void) { g_first_row = THEME_B_FIRST; }

int hud_colour_row(int k) { return k >= 0 && k < HUD_COLOURS ? g_first_row + k : 0; }

void hud_colour_rgb(int k, float *rgb) { get_color_rgb(hud_colour_row(k), rgb); }
