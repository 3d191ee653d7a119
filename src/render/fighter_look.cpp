#include "render/fighter_look.h"

#include <cmath>
#include <initializer_list>

#include "app/base/options.h"
#include "game/game_callbacks.h"
#include "render/color_table.h"

enum { ROW_HOLD = 23, ROW_RELAX = 21 };

void body_colour(const WorldState *, int fighter, int, float *rgb)
{
    const Player *p = get_player(fighter);
    const int custom = game_fighter_custom_colour(fighter);
    get_color_rgb(custom != 0 ? custom : (p ? p->colour : 0), rgb);
}

void body_colour_blended(const WorldState *w, int fighter, int body, float *rgb)
{
    body_colour(w, fighter, body, rgb);
    const Player *p = get_player(fighter);
    if (!p || body < 0 || body >= BODY_ID_COUNT)
        return;
    const float b = p->hit_flash[body];
    if (b > 0.001f) {
        const float red[3] = {1, 0, 0};
        float base[3] = {rgb[0], rgb[1], rgb[2]};
        blend_colors(red, base, b, rgb);
    }
}

int shown_joint_state(int state, double motor_velocity, double max_force)
{
    if (state != 0)
        return state;
    if (motor_velocity < 0)
        return 1;
    if (motor_velocity > 0)
        return 2;
    return max_force != 0 ? 3 : 4;
}

static void joint_colours_from(int fighter, int joint, int hovered, int bruise, int textured, float *force,
                               float *relax)
{
    if (textured) {
        get_color_rgb(1, force);
        get_color_rgb(1, relax);
    } else {
        get_color_rgb(ROW_HOLD, force);
        get_color_rgb(ROW_RELAX, relax);
    }
    if (hovered) {
        // Textured joints are lit towards twice white: the texture shows
        // through brighter.
        const float light[3] = {textured ? 2.0f : 1.0f, textured ? 2.0f : 1.0f, textured ? 2.0f : 1.0f};
        for (float *c : {force, relax}) {
            float base[3] = {c[0], c[1], c[2]};
            blend_colors(base, light, textured ? 0.1f : 0.3f, c);
        }
    }
    const Player *p = get_player(fighter);
    if (!bruise || !p || joint < 0 || joint >= JOINT_COUNT)
        return;
    const float b = p->hit_flash[BODY_COUNT + joint];
    if (b > 0.001f) {
        tint_color_toward_row(0, force, b > 1 ? 1 : b);
        tint_color_toward_row(0, relax, b > 1 ? 1 : b);
    }
}

void joint_colours(int fighter, int joint, int hovered, int bruise, float *force, float *relax)
{
    joint_colours_from(fighter, joint, hovered, bruise, 0, force, relax);
}

void joint_colours_textured(int fighter, int joint, int hovered, int bruise, float *force, float *relax)
{
    joint_colours_from(fighter, joint, hovered, bruise, 1, force, relax);
}

float ghost_alpha(const WorldState *w)
{
    if (!(w->ghost_flags & GHOST_FLAG_FADE))
        return 0.3f;
    if (w->ghost_length <= 0)
        return 0.5f;
    const float a = 0.5f - 0.5f / (float)w->ghost_length * w->ghost_frame;
    return a < 0 ? 0 : a;
}

void scene_light_position(const float *eye, float *out4)
{
    const float len = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
    float d[3] = {1, 0, 0};
    if (len > 0)
        for (int k = 0; k < 3; k++)
            d[k] = eye[k] / len;
    out4[0] = 1 + 4 * d[0];
    out4[1] = 0.4f + 4 * d[1];
    out4[2] = 1 + 4 * d[2];
    out4[3] = 0;
}

int fighter_shown(int fighter)
{
    return option_get(fighter == 0 ? OPT_VAKO : OPT_ZUD) != 0;
}

int head_frame_index(int match_frame, const int *loaded8)
{
    int f = (int)(match_frame * 0.1) % 8;
    if (f < 0)
        f += 8;
    while (f >= 0 && !loaded8[f])
        f--;
    return f;
}

static FrameMax g_maxima[FRAME_MAXIMA];

const FrameMax *get_frame_max(int k) { return k >= 0 && k < FRAME_MAXIMA ? &g_maxima[k] : nullptr; }

void frame_maxima_reset(void)
{
    g_maxima[MAX_HEIGHT_FRAME] = FrameMax{0, 0, 0};
    g_maxima[MAX_SPEED_FRAME] = FrameMax{0, 0, 0};
}

void frame_maxima_update(int fighter, int body, double z, double speed2)
{
    for (int k : {MAX_HEIGHT_FRAME, MAX_HEIGHT_ALL})
        if (z > g_maxima[k].value)
            g_maxima[k] = FrameMax{z, fighter, body};
    for (int k : {MAX_SPEED_FRAME, MAX_SPEED_ALL})
        if (speed2 > g_maxima[k].value)
            g_maxima[k] = FrameMax{speed2, fighter, body};
}
