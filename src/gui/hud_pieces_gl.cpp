#include <GL/glew.h>

#include "gui/hud_pieces_gl.h"

#include <cmath>
#include <cstdio>

#include "app/base/clock.h"
#include "app/base/options.h"
#include "game/belts.h"
#include "game/game_state.h"
#include "game/match_bouts.h"
#include "game/match_mode.h"
#include "game/turn_cycle.h"
#include "gui/truetype_font_gl.h"
#include "render/color_table.h"
#include "render/fighter_look.h"
#include "render/hud_theme.h"
#include "render/markers_gl.h"
#include "render/shapes_gl.h"

namespace {

enum { FADE_MS = 1500 };
const float k_fade_alpha = 0.35f;

struct ScreenFade {
    float rgb[3];
    uint32_t start;
    int active;
    int seen_over;      // the game-over flag at the last look
};
ScreenFade g_fade;

void hud_text_colour(float rgba[4])
{
    rgba[0] = rgba[1] = rgba[2] = 0;
    rgba[3] = 1;
    hud_colour_rgb(HUD_TEXT, rgba);
}

} // namespace

void hud_draw_player_icons(int width)
{
    const int lh = font_height(FONT_NORMAL);
    glDisable(GL_TEXTURE_2D);
    for (int i = 0; i < fighter_count() && i < 2; i++) {
        const Player *p = get_player(i);
        if (!p)
            continue;
        float rgb[3] = {0, 0, 0};
        get_color_rgb(p->colour, rgb);
        glColor4f(rgb[0], rgb[1], rgb[2], 1);
        const float x = i == 0 ? 2.0f : (float)(width - 2 - 12);
        fill_rect_2d(x, 8.0f + (float)(lh - 12) / 2, 12, 12);
    }
}

void hud_draw_player_names(int width, int height)
{
    const int side = corner_figure_side(height);
    for (int i = 0; i < fighter_count() && i < 2; i++) {
        const Player *p = get_player(i);
        if (!p || !p->name[0])
            continue;
        float rgba[4] = {0, 0, 0, 1};
        get_color_rgb(p->colour, rgba);
        const int centre = i == 0 ? side / 2 : width - side / 2;
        draw_text(FONT_NORMAL, p->name, (float)(centre - text_width(FONT_NORMAL, p->name) / 2), (float)(side + 4),
                  rgba);
    }
}

void hud_draw_debug_numbers(int width)
{
    if (!option_get(OPT_DEBUG))
        return;
    const WorldState *w = get_game_state();
    const GameGlobals *g = get_game_globals();
    char text[160];
    snprintf(text, sizeof text, "frame %d  turn %d  left %d  ghost %d  replay %d  net %d  sel %d", w->frame,
             w->turn_index, w->frames_left, w->ghost_mode, g->replay_mode, g->network_mode, g->selected_player);
    float rgba[4];
    hud_text_colour(rgba);
    draw_text(FONT_MONO, text, (float)(width / 2 - text_width(FONT_MONO, text) / 2),
              (float)(16 + 3 * font_height(FONT_NORMAL)), rgba);
}

const char *hud_status_text(void)
{
    const WorldState *w = get_game_state();
    const GameGlobals *g = get_game_globals();
    if (g->replay_mode != 0)
        return "Space: play again   Ctrl+N: new match";
    if (w->game_over)
        return "Space: watch the replay   Ctrl+N: new match";
    // A paused turn goes on with P alone: Space commits only a new turn.
    if (match_is_paused())
        return "Paused: click a joint, Z/X to change it, P to go on";
    if (!game_is_running())     // between turns, the ghost preview may run
        return "Click a joint, Z/X to change it, Space to go on";
    return "";
}

void hud_draw_status_line(int width, int height)
{
    const char *text = hud_status_text();
    if (!text[0])
        return;
    float rgba[4];
    hud_text_colour(rgba);
    draw_text(FONT_NORMAL, text, (float)(width / 2 - text_width(FONT_NORMAL, text) / 2),
              (float)(height - 8 - 2 * font_height(FONT_NORMAL)), rgba);
}

void hud_draw_belts(int width)
{
    const int lh = font_height(FONT_NORMAL);
    float rgba[4];
    hud_text_colour(rgba);
    for (int i = 0; i < 2; i++) {
        const MatchBout *b = get_match_bout(i);
        if (!b || b->bout < 0)
            continue;
        char text[64];
        snprintf(text, sizeof text, "%s Belt", belt_name_for_qi(b->qi));
        const int x = i == 0 ? 16 : width - 16 - text_width(FONT_NORMAL, text);
        draw_text(FONT_NORMAL, text, (float)x, (float)(8 + lh), rgba);
    }
}

void hud_draw_speedometer(int width)
{
    if (!option_get(OPT_SPEEDOMETER))
        return;
    const double now = std::sqrt(get_frame_max(MAX_SPEED_FRAME)->value);
    const double top = std::sqrt(get_frame_max(MAX_SPEED_ALL)->value);
    char text[64];
    snprintf(text, sizeof text, "speed %.2f  max %.2f", now, top);
    float rgba[4];
    hud_text_colour(rgba);
    draw_text(FONT_NORMAL, text, (float)(width - 16 - text_width(FONT_NORMAL, text)),
              (float)(8 + 3 * font_height(FONT_NORMAL)), rgba);
}

void hud_draw_ghost_mode(int width, int height)
{
    const int mode = get_game_state()->ghost_mode;
    if (mode == 0)
        return;
    const char *text = mode == 1 ? "Ghost: selected fighter" : "Ghost: all fighters";
    float rgba[4];
    hud_text_colour(rgba);
    draw_text(FONT_NORMAL, text, (float)(width - 16 - text_width(FONT_NORMAL, text)),
              (float)(height - 8 - font_height(FONT_NORMAL)), rgba);
}

void set_player_fade_colour(void)
{
    const WorldState *w = get_game_state();
    const int over = w->game_over != 0;
    if (over && !g_fade.seen_over) {
        int winner = -1, count = 0;
        for (int i = 0; i < fighter_count(); i++)
            if (w->winners[i] == i) {
                winner = i;
                count++;
            }
        const Player *p = count == 1 ? get_player(winner) : nullptr;
        g_fade.rgb[0] = g_fade.rgb[1] = g_fade.rgb[2] = 0.5f;
        if (p)
            get_color_rgb(p->colour, g_fade.rgb);
        g_fade.start = clock_ms();
        g_fade.active = 1;
    }
    g_fade.seen_over = over;
}

void screen_overlay_colour(uint32_t now_ms, float rgba[4])
{
    rgba[0] = g_fade.rgb[0];
    rgba[1] = g_fade.rgb[1];
    rgba[2] = g_fade.rgb[2];
    rgba[3] = 0;
    if (!g_fade.active)
        return;
    const int32_t age = (int32_t)(now_ms - g_fade.start);
    if (age < 0 || age >= FADE_MS) {
        g_fade.active = 0;
        return;
    }
    rgba[3] = k_fade_alpha * (1.0f - (float)age / FADE_MS);
}

void screen_overlay_reset(void) { g_fade = ScreenFade{}; }

void draw_screen_overlay(int width, int height)
{
    float rgba[4];
    screen_overlay_colour(clock_ms(), rgba);
    if (rgba[3] <= 0)
        return;
    glDisable(GL_TEXTURE_2D);
    glColor4f(rgba[0], rgba[1], rgba[2], rgba[3]);
    fill_rect_2d(0, 0, (float)width, (float)height);
}
