#include "render/fighter_look.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "app/base/options.h"
#include "game/game_callbacks.h"
#include "net/records/custom_record.h"
#include "render/color_table.h"

enum { ROW_HOLD = 23, ROW_RELAX = 21 };

static FighterLook g_looks[FIGHTER_LOOKS];

FighterLook *get_fighter_look(int record)
{
    return record >= 0 && record < FIGHTER_LOOKS ? &g_looks[record] : nullptr;
}

int checked_colour_row(int row, const char *what)
{
    if (row >= 0 && row < COLOR_TABLE_ROWS)
        return row;
    fprintf(stderr, "%s: colour row %d outside the colour table, not used\n", what, row);
    return 0;
}

static const CustomRecord *custom_of(int fighter)
{
    return fighter >= 0 && fighter < fighter_count() && fighter < CUSTOM_PLAYERS ? get_custom_record(fighter)
                                                                                 : nullptr;
}

void fighter_look_from_custom(int fighter)
{
    FighterLook *look = get_fighter_look(fighter);
    if (!look)
        return;
    const CustomRecord *rec = custom_of(fighter);
    // A bad row is reported once per value, not once per drawn frame.
    static int32_t reported[FIGHTER_LOOKS][3];
    auto row = [&](int32_t value, int k, const char *what) {
        if (value >= 0 && value < COLOR_TABLE_ROWS)
            return (int)value;
        if (reported[fighter][k] != value)
            checked_colour_row(value, what);
        reported[fighter][k] = value;
        return 0;
    };
    const int force = rec ? row(rec->force_color, 0, "JFORCE") : 0;
    const int relax = rec ? row(rec->relax_color, 1, "JRELAX") : 0;
    const int plain = rec ? row(rec->replay_color, 2, "JREPLAY") : 0;
    for (int j = 0; j < JOINT_COUNT; j++) {
        look->joint_force[j] = force;
        look->joint_relax[j] = relax;
        look->joint_row[j] = plain;
    }
    int coloured = 0;
    for (int b = 1; rec && b < CUSTOM_BODY_PARTS; b++)
        coloured |= rec->body_color[b] > 0 && rec->body_color[b] < COLOR_TABLE_ROWS;
    look->body_flags = coloured;
    look->head_flags = rec && rec->body_color[0] > 0 && rec->body_color[0] < COLOR_TABLE_ROWS;
    look->joint_flags = plain != 0;
}

void body_colour(const WorldState *, int fighter, int body, float *rgb)
{
    const Player *p = get_player(fighter);
    const CustomRecord *rec = custom_of(fighter);
    if (rec && body >= 0 && body < CUSTOM_BODY_PARTS) {
        const int own = checked_colour_row(rec->body_color[body], "BODCOL");
        if (own != 0) {
            get_color_rgb(own, rgb);
            return;
        }
        const int a = checked_colour_row(rec->grad_color1[body], "GRADCOL1");
        const int b = checked_colour_row(rec->grad_color2[body], "GRADCOL2");
        if (a != 0 && b != 0) {
            float ca[3], cb[3];
            get_color_rgb(a, ca);
            get_color_rgb(b, cb);
            blend_colors(ca, cb, 0.5f, rgb);
            return;
        }
    }
    get_color_rgb(p ? checked_colour_row(p->colour, "fighter colour") : 0, rgb);
}

void body_colour_blended(const WorldState *w, int fighter, int body, float *rgb)
{
    body_colour(w, fighter, body, rgb);
    const float *bruise = drawn_bruise(fighter, body);
    if (!bruise || body >= BODY_COUNT)
        return;
    const float b = *bruise;
    if (b > 0.001f) {
        const float red[3] = {1, 0, 0};
        float base[3] = {rgb[0], rgb[1], rgb[2]};
        blend_colors(red, base, b, rgb);
    }
}

static float g_bruise[FIGHTER_LOOKS][BODY_ID_COUNT];
static float g_flash_seen[FIGHTER_LOOKS][BODY_ID_COUNT];
static int32_t g_bruise_frame[FIGHTER_LOOKS];

void bruise_take_hits(const WorldState *w, int record)
{
    const Player *p = get_player(record);
    if (!p || record < 0 || record >= FIGHTER_LOOKS)
        return;
    const bool back = w && w->frame < g_bruise_frame[record];
    if (w)
        g_bruise_frame[record] = w->frame;
    for (int k = 0; k < BODY_ID_COUNT; k++) {
        const float flash = p->hit_flash[k];
        if (back || (flash > g_flash_seen[record][k] && flash > g_bruise[record][k]))
            g_bruise[record][k] = flash;
        g_flash_seen[record][k] = flash;
    }
}

float *drawn_bruise(int record, int part)
{
    if (record < 0 || record >= FIGHTER_LOOKS || part < 0 || part >= BODY_ID_COUNT)
        return nullptr;
    return &g_bruise[record][part];
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
    const FighterLook *look = get_fighter_look(fighter);
    const bool part = look && joint >= 0 && joint < JOINT_COUNT;
    if (textured) {
        get_color_rgb(1, force);
        get_color_rgb(1, relax);
    } else {
        get_color_index_rgb_or(part ? checked_colour_row(look->joint_force[joint], "joint force colour") : 0,
                               ROW_HOLD, force);
        get_color_index_rgb_or(part ? checked_colour_row(look->joint_relax[joint], "joint relax colour") : 0,
                               ROW_RELAX, relax);
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
    const float *drawn = drawn_bruise(fighter, BODY_COUNT + joint);
    if (!bruise || !drawn || joint < 0 || joint >= JOINT_COUNT)
        return;
    const float b = *drawn;
    if (b > 0.001f) {
        const int row = look ? checked_colour_row(look->bruise_row, "bruise colour") : 0;
        tint_color_toward_row(row, force, b > 1 ? 1 : b);
        tint_color_toward_row(row, relax, b > 1 ? 1 : b);
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
