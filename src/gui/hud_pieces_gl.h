// The HUD's smaller pieces, each drawn in 2D (inside push_ortho) over the
// scene: the fighters' colour icons and belts, the debug numbers, the status
// line, the speedometer, the ghost mode's name, and the screen overlay that
// washes the screen in a fighter's colour when a match is decided.
#pragma once
#include <cstdint>

void hud_draw_player_icons(int width);
// Each of the first two fighters' names in its colour, centred under its
// corner figure (corner_figure_side).
void hud_draw_player_names(int width, int height);
void hud_draw_debug_numbers(int width);
void hud_draw_status_line(int width, int height);
void hud_draw_belts(int width);
void hud_draw_speedometer(int width);
void hud_draw_ghost_mode(int width, int height);
// Watches for the moment a match is decided and starts the overlay in the
// winner's colour (grey for a draw).
void set_player_fade_colour(void);
void draw_screen_overlay(int width, int height);
// The overlay's colour and alpha now (alpha 0 when none), at time now_ms.
void screen_overlay_colour(uint32_t now_ms, float rgba[4]);
// Ends a running overlay and forgets the last decided match, as at start.
void screen_overlay_reset(void);
// The text the status line shows now, "" for none.
const char *hud_status_text(void);
