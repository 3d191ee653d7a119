#include "gui/hud_gl.h"

#include <GL/glew.h>
#include <cstdio>
#include <cstring>

#include "app/base/clock.h"
#include "app/base/options.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/turn_control.h"
#include "gui/services/centerprint.h"
#include "gui/services/chat_log.h"
#include "gui/hud_pieces_gl.h"
#include "gui/hud_readouts_gl.h"
#include "gui/menu_overlay_gl.h"
#include "gui/services/menu_state.h"
#include "gui/truetype_font_gl.h"
#include "net/records/player_records.h"
#include "render/color_table.h"
#include "render/shapes_gl.h"

static const float k_black[4] = {0.1f, 0.1f, 0.1f, 1.0f};

// The fighters' names with their scores, and the frame counter between.
static void hud_draw_scores(int width)
{
    const WorldState *w = get_game_state();
    for (int i = 0; i < fighter_count(); i++) {
        const Player *p = get_player(i);
        if (!p)
            continue;
        char text[96];
        snprintf(text, sizeof text, "%s  %.0f", p->name, p->score);
        const float colour[4] = {i == 0 ? 0.7f : 0.15f, 0.2f, i == 0 ? 0.15f : 0.7f, 1.0f};
        const int x = i == 0 ? 16 : width - 16 - text_width(FONT_NORMAL, text);
        draw_text(FONT_NORMAL, text, (float)x, 8.0f, colour);
    }
    char frames[64];
    snprintf(frames, sizeof frames, "%d", w->frame);
    draw_text(FONT_NORMAL, frames, (float)(width / 2 - text_width(FONT_NORMAL, frames) / 2), 8.0f, k_black);
}

// The frames left in the running turn, or the frames to go in the match.
static void hud_draw_turn_timer(int width)
{
    const WorldState *w = get_game_state();
    char text[64];
    if (w->game_over)
        snprintf(text, sizeof text, "game over");
    else if (w->frames_left > 0)
        snprintf(text, sizeof text, "turn: %d", w->frames_left);
    else
        return;
    const float y = (float)(12 + 2 * font_height(FONT_NORMAL));
    draw_text(FONT_NORMAL, text, (float)(width / 2 - text_width(FONT_NORMAL, text) / 2), y, k_black);
    // The part of the turn still to run, as a pie left of the text, from
    // twelve o'clock clockwise (window y runs down).
    const int length = rules_nominal_turn_length();
    if (!w->game_over && length > 0) {
        const float r = font_height(FONT_NORMAL) * 0.5f, left = w->frames_left < length ? w->frames_left : length;
        gl_set_color(k_black[0], k_black[1], k_black[2], 0.6f);
        render_disk((float)(width / 2 - text_width(FONT_NORMAL, text) / 2) - 2 * r, y + r, 0, r, 24, 1, 180,
                    -360.0f * left / length, 0);
    }
}

// The joint under the pointer (or clicked) and its state, while the
// player can change it: in live play before the match is over.
static void hud_draw_joint_info(int height)
{
    const int sel = get_game_globals()->selected_player, j = get_selected_joint();
    if (sel < 0 || j < 0 || get_game_globals()->replay_mode != 0 || get_game_state()->game_over)
        return;
    char text[96];
    snprintf(text, sizeof text, "%s: %s", joint_id_name(j), motor_state_name(get_joint_state(sel, j)));
    draw_text(FONT_NORMAL, text, 16.0f, (float)(height - 8 - font_height(FONT_NORMAL)), k_black);
}

// In a replay: its fight name; a saved match's "vs" between the fighters'
// names.
static void hud_draw_replay_title(int width)
{
    const GameGlobals *g = get_game_globals();
    if (g->replay_mode == 0)
        return;
    char text[2 * PLAYER_NAME_SIZE + LONG_TEXT_SIZE + 4];
    const Player *a = get_player(0), *b = get_player(1);
    if (!g->fight_name[0])
        snprintf(text, sizeof text, "REPLAY");
    else if (strcmp(g->fight_name, "vs") == 0 && a && b)
        snprintf(text, sizeof text, "%s vs %s", a->name, b->name);
    else if (strcmp(g->fight_name, "vs") == 0)
        return;
    else
        snprintf(text, sizeof text, "%s", g->fight_name);
    draw_text(FONT_NORMAL, text, (float)(width / 2 - text_width(FONT_NORMAL, text) / 2),
              (float)(12 + font_height(FONT_NORMAL)), k_black);
}

static int (*g_connected)(void);

void hud_set_connection_probe(int (*connected)(void)) { g_connected = connected; }

// A network game without its game server.
static void hud_draw_not_connected(int width, int height)
{
    if (get_game_globals()->network_mode != 1 || (g_connected && g_connected()))
        return;
    const char *text = "Not Connected";
    float rgba[4] = {0, 0, 0, 1};
    get_color_rgb(2, rgba);     // red
    draw_text(FONT_BIG, text, (float)(width / 2 - text_width(FONT_BIG, text) / 2), (float)(height / 4), rgba);
}

// The money the game server last reported (option money).
static void hud_draw_money(int width)
{
    const MoneyRecord *m = get_money_record();
    if (!option_get(OPT_MONEY) || !m->received)
        return;
    char text[64];
    snprintf(text, sizeof text, "%d QC", m->value[0]);
    draw_text(FONT_NORMAL, text, (float)(width - 16 - text_width(FONT_NORMAL, text)),
              (float)(8 + 2 * font_height(FONT_NORMAL)), k_black);
}

void centerprint_draw(void)
{
    const int width = option_get(OPT_WIDTH), height = option_get(OPT_HEIGHT);
    if (!centerprint_active())
        return;
    const CenterPrint *cp = centerprint_state();
    float rgba[4] = {0, 0, 0, 1};
    get_color_rgb(cp->colour, rgba);
    for (int i = 0; i < CENTERPRINT_LINES; i++) {
        const char *text = cp->lines[i];
        if (!text[0])
            continue;
        const int font = i == 0 ? FONT_BIG : FONT_NORMAL;
        draw_text(font, text, (float)(width / 2 - text_width(font, text) / 2),
                  (float)(height / 3 + i * font_height(FONT_BIG)), rgba);
    }
}

void draw_hud(int width, int height)
{
    const int menu = get_menu_mode();
    if (option_get(OPT_AVATAR) && (menu == 0 || menu == 27) && get_game_globals()->network_mode != 0) {
        hud_draw_player_names(width, height);
        hud_draw_player_icons(width);
    }
    if (option_get(OPT_HUD) == 0)
        return;
    // Names and scores, the turn timer, the texts (when `text` is on), then
    // the chat over them all.
    hud_draw_debug_numbers(width);
    hud_draw_scores(width);
    hud_draw_turn_timer(width);
    hud_draw_not_connected(width, height);
    if (option_get(OPT_TEXT)) {
        hud_draw_replay_title(width);
        hud_draw_joint_info(height);
        hud_draw_status_line(width, height);
        hud_draw_belts(width);
        hud_draw_emotes();
        centerprint_draw();
    }
    hud_draw_chat(height);
    hud_draw_altimeter(width);
    hud_draw_speedometer(width);
    hud_draw_ghost_mode(width, height);
    hud_draw_money(width);
    set_player_fade_colour();
    draw_screen_overlay(width, height);
}
