// The HUD's colour set: four colour-table rows (text, background,
// selection, disabled). Theme A takes the rows "menu_text" ..
// "menu_text_disabled" (81..84), theme B (the default) the rows "text" ..
// "text_disabled" (77..80).
#pragma once

enum { HUD_TEXT, HUD_BACKGROUND, HUD_SELECTION, HUD_DISABLED, HUD_COLOURS };

void set_hud_theme_a(void);
void set_hud_theme_b(void);
// The row of HUD colour k (0..3); row 0 outside.
int hud_colour_row(int k);
void hud_colour_rgb(int k, float *rgb);
