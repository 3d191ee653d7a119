#include "gui/hud_readouts_gl.h"

#include <cstdio>

#include "app/base/clock.h"
#include "app/base/options.h"
#include "game/game_state.h"
#include "gui/truetype_font_gl.h"
#include "render/color_table.h"
#include "render/fighter_look.h"
#include "render/hud_theme.h"
#include "render/screen_points.h"

void hud_draw_altimeter(int width)
{
    if (!option_get(OPT_ALTIMETER))
        return;
    float rgba[4] = {0, 0, 0, 1};
    hud_colour_rgb(HUD_TEXT, rgba);
    char text[64];
    const ScreenPoint *at = altimeter_point();
    if (at->valid) {
        snprintf(text, sizeof text, "%.2f", get_frame_max(MAX_HEIGHT_FRAME)->value);
        draw_text(FONT_NORMAL, text, at->x + 12, at->y - font_height(FONT_NORMAL) / 2.0f, rgba);
    }
    snprintf(text, sizeof text, "max %.2f", get_frame_max(MAX_HEIGHT_ALL)->value);
    draw_text(FONT_NORMAL, text, (float)(width - 16 - text_width(FONT_NORMAL, text)),
              (float)(8 + 2 * font_height(FONT_NORMAL)), rgba);
}

void hud_draw_emotes(void)
{
    const uint32_t now = clock_ms();
    for (int i = 0; i < SCREEN_LABEL_FIGHTERS && i < fighter_count(); i++) {
        const Player *p = get_player(i);
        const ScreenPoint *at = label_point(i);
        if (!p || !p->emote[0] || !at->valid || (int32_t)(p->emote_expiry - now) <= 0)
            continue;
        float rgba[4] = {0, 0, 0, 1};
        get_color_rgb(p->emote_colour, rgba);
        draw_text(FONT_NORMAL, p->emote, at->x - text_width(FONT_NORMAL, p->emote) / 2.0f,
                  at->y - font_height(FONT_NORMAL), rgba);
    }
}
