#include "render/world_shader.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "gui/services/chat_log.h"
#include "gui/services/menu_state.h"
#include "render/color_table.h"
#include "render/hud_theme.h"
#include "render/render_math.h"

const WorldShaderParams world_shader_params = {
    {"background_color", WS_KIND_COLOR, 1},
    {"mirror_color", WS_KIND_COLOR, 2},
    {"floor_color", WS_KIND_COLOR, 3},
    {"sunshine_color", WS_KIND_COLOR, 4},
    {"ambient_color", WS_KIND_COLOR, 5},
    {"fog_distance", WS_KIND_FLOAT, 6},
    {"sharp_shadow", WS_KIND_FLAG, 7},
    {"sky_on", WS_KIND_FLAG, 8},
    {"ambient_light_dir", WS_KIND_DIRECTION, 9},
    {"sun_light_dir", WS_KIND_DIRECTION, 10},
    {"sunbeam_color", WS_KIND_COLOR, 11},
    {"sun_color", WS_KIND_COLOR, 12},
    {"sky_color", WS_KIND_COLOR, 13},
    {"polar_light_color", WS_KIND_COLOR, 14},
    {"polar_light_dir", WS_KIND_COLOR, 15},   // a colour row, normalised when set
    {"sky_blend_power", WS_KIND_FLOAT, 16},
    {"text", WS_KIND_COLOR, 17},
    {"text_bg", WS_KIND_COLOR, 18},
    {"text_sel", WS_KIND_COLOR, 19},
    {"text_disabled", WS_KIND_COLOR, 20},
    {"menu_text", WS_KIND_COLOR, 21},
    {"menu_text_bg", WS_KIND_COLOR, 22},
    {"menu_text_sel", WS_KIND_COLOR, 23},
    {"menu_text_disabled", WS_KIND_COLOR, 24},
    {"msg_notype", WS_KIND_COLOR, 25},
    {"msg_whisper", WS_KIND_COLOR, 26},
    {"msg_server", WS_KIND_COLOR, 27},
    {"msg_urlserver", WS_KIND_COLOR, 28},
    {"msg_ingame", WS_KIND_COLOR, 29},
    {"msg_gamurl", WS_KIND_COLOR, 30},
    {"msg_user", WS_KIND_COLOR, 31},
    {"msg_player", WS_KIND_COLOR, 32},
    {"msg_url", WS_KIND_COLOR, 33},
    {"msg_urlsel", WS_KIND_COLOR, 34},
};

namespace {

// The built-in values of the scene parameters; directions already unit
// length (sun_light_dir is (0, 1, 0.26) normalised).
const float k_builtin[WS_SCENE_PARAMS][4] = {
    {0.85f, 0.85f, 0.8f, 1},             // background_color
    {0.2f, 0.2f, 0.2f, 1},               // mirror_color
    {0.8f, 0.75f, 0.7f, 1},              // floor_color
    {0.75f, 0.45f, 0, 1},                // sunshine_color
    {0.4f, 0.6f, 0.8f, 1},               // ambient_color
    {46, 0, 0, 0},                       // fog_distance
    {1, 0, 0, 0},                        // sharp_shadow
    {1, 0, 0, 0},                        // sky_on
    {0, 0, 1, 1},                        // ambient_light_dir
    {0, 0.967823f, 0.251634f, 1},        // sun_light_dir
    {0, 0.5f, 1, 1},                     // sunbeam_color
    {2, 2, 2, 1},                        // sun_color
    {0.6f, 0.3f, 0.1f, 1},               // sky_color
    {0, 0, 0, 1},                        // polar_light_color
    {0, 0, 0, 1},                        // polar_light_dir
    {0, 0, 0, 0},                        // sky_blend_power
};

// A preset: for each scene parameter a present flag and its value; an
// absent parameter takes its built-in value.
struct PresetValue {
    int present;
    float v[3];
};

// The presets. Slot 0 is the look applied at start-up: a white background
// and bluish floor lit by ambient light from the side, no sharp shadows,
// the sky on. The further slots set nothing of their own: each gives the
// built-in look.
typedef PresetValue WorldShaderSlots[WORLD_SHADER_SLOTS][WS_SCENE_PARAMS];
const WorldShaderSlots k_slots = {
    {
        {1, {1, 1, 1}},         {1, {0.2f, 0.2f, 0.2f}}, {1, {0.75f, 0.8f, 0.85f}}, {1, {0, 0, 0}},
        {1, {1, 1, 1}},         {1, {46, 0, 0}},         {1, {0, 0, 0}},            {1, {1, 0, 0}},
        {1, {0, 1, 1}},         {0, {0, 0, 0}},          {0, {0, 0, 0}},            {0, {0, 0, 0}},
        {0, {0, 0, 0}},         {0, {0, 0, 0}},          {0, {0, 0, 0}},            {0, {0, 0, 0}},
    },
    {}, {}, {}, {}, {},
};

// The preset applied after the window opens; never changed.
const int k_start_slot = 0;

// A running blend towards a preset: the values it started from, the
// preset's values, and how far it has gone.
struct Blend {
    int frames, done;
    float from[WS_SCENE_PARAMS][3];
    float step[WS_SCENE_PARAMS][3];
    float target[WS_SCENE_PARAMS][3];
};
Blend g_blend;

float g_values[WS_SCENE_PARAMS][4];
bool g_ready;
int (*g_sky_hook)(void);

void ensure_ready(void)
{
    if (!g_ready)
        world_shader_reset();
}

bool is_direction(int id)
{
    return id == WS_AMBIENT_LIGHT_DIR || id == WS_SUN_LIGHT_DIR || id == WS_POLAR_LIGHT_DIR;
}

// Unit vector; a zero vector stays zero. A vector already of unit length
// (within float rounding) is kept as given, so that a written file reads
// back to the same values.
void normalise_into(float *out, float x, float y, float z)
{
    const double len2 = (double)x * x + (double)y * y + (double)z * z;
    const double k = (len2 > 0 && std::fabs(len2 - 1.0) > 1e-6) ? 1.0 / std::sqrt(len2) : 1.0;
    out[0] = (float)(x * k);
    out[1] = (float)(y * k);
    out[2] = (float)(z * k);
}

// One scene value from x, y, z by its id's rule.
void store(int id, float x, float y, float z)
{
    float *v = g_values[id];
    switch (world_shader_params[id].kind) {
    case WS_KIND_FLAG:
        v[0] = x != 0.0f ? 1.0f : 0.0f;
        break;
    case WS_KIND_FLOAT:
        v[0] = x;
        break;
    default:
        if (is_direction(id))
            normalise_into(v, x, y, z);
        else {
            v[0] = x;
            v[1] = y;
            v[2] = z;
        }
        v[3] = 1.0f;
        break;
    }
}

} // namespace

int world_shader_id(const char *name)
{
    for (int id = 0; name && id < WORLD_SHADER_PARAMS; id++)
        if (strcmp(name, world_shader_params[id].name) == 0)
            return id;
    return -1;
}

int world_shader_color_row(int id)
{
    if (id < WS_FIRST_TEXT_COLOR || id >= WORLD_SHADER_PARAMS)
        return -1;
    return color_row_by_name(world_shader_params[id].name);
}

void world_shader_reset(void)
{
    memcpy(g_values, k_builtin, sizeof g_values);
    g_blend.frames = g_blend.done = 0;
    g_ready = true;
}

int get_shader(int id, float *out)
{
    if (id < 0 || id >= WORLD_SHADER_PARAMS) {
        fprintf(stderr, "get_shader : no such id %i\n", id);
        return 1;
    }
    ensure_ready();
    if (id >= WS_FIRST_TEXT_COLOR) {
        float rgb[3] = {0, 0, 0};
        get_color_rgb(world_shader_color_row(id), rgb);
        out[0] = rgb[0];
        out[1] = rgb[1];
        out[2] = rgb[2];
        out[3] = 1.0f;
        return 0;
    }
    memcpy(out, g_values[id], 4 * sizeof(float));
    return 0;
}

int set_background(int id, float x, float y, float z)
{
    if (id < 0 || id >= WORLD_SHADER_PARAMS) {
        fprintf(stderr, "set_background : no such id %i\n", id);
        return 1;
    }
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
        fprintf(stderr, "set_background : %s needs finite numbers\n", world_shader_params[id].name);
        return 1;
    }
    ensure_ready();
    if (id >= WS_FIRST_TEXT_COLOR) {
        const float rgb[3] = {x, y, z};
        return color_table_set_row(world_shader_color_row(id), rgb) ? 0 : 1;
    }
    store(id, x, y, z);
    return 0;
}

int set_background_and_apply(int id, float x, float y, float z, float)
{
    const int result = set_background(id, x, y, z);
    apply_world_shader();
    return result;
}

void world_shader_set_sky_hook(int (*rebuild_sky)(void)) { g_sky_hook = rebuild_sky; }

void apply_world_shader(void)
{
    // The message colours may have changed: the cached chat rows are drawn
    // again rather than moved on the next scroll.
    chat_mark_redraw();
    if (g_sky_hook && g_sky_hook())
        return;
    // On the fixed path the HUD takes the menu's colour set while a menu
    // other than the start menus (15, 17) is open.
    const int mode = get_menu_mode();
    if (mode != 0 && mode != 15 && mode != 17)
        set_hud_theme_a();
    else
        set_hud_theme_b();
}

namespace {

// The value slot gives parameter id (its own, or the built-in one).
const float *slot_value(int slot, int id)
{
    const PresetValue &p = k_slots[slot][id];
    return p.present ? p.v : k_builtin[id];
}

} // namespace

void apply_world_shader_slot(void)
{
    ensure_ready();
    const int slot = k_start_slot % WORLD_SHADER_SLOTS;
    for (int id = 0; id < WS_SCENE_PARAMS; id++) {
        const float *v = slot_value(slot, id);
        store(id, v[0], v[1], v[2]);
    }
    apply_world_shader();
}

int start_world_shader_blend(int slot, int frames)
{
    if (slot < 0 || slot >= WORLD_SHADER_SLOTS || frames < 1) {
        fprintf(stderr, "start_world_shader_blend : no such preset %i or frame count %i\n", slot, frames);
        return 1;
    }
    ensure_ready();
    g_blend.frames = frames;
    g_blend.done = 0;
    for (int id = 0; id < WS_SCENE_PARAMS; id++) {
        const float *to = slot_value(slot, id);
        for (int k = 0; k < 3; k++) {
            g_blend.from[id][k] = g_values[id][k];
            g_blend.target[id][k] = to[k];
            g_blend.step[id][k] = (to[k] - g_values[id][k]) / (float)frames;
        }
    }
    return 0;
}

int world_shader_blend_step(void)
{
    if (g_blend.done >= g_blend.frames)
        return 0;
    g_blend.done++;
    const bool last = g_blend.done == g_blend.frames;
    for (int id = 0; id < WS_SCENE_PARAMS; id++) {
        if (world_shader_params[id].kind == WS_KIND_FLAG)
            continue;
        // The last frame lands on the preset exactly, free of the sum's
        // rounding; a direction is kept unit length on the way.
        float v[3];
        for (int k = 0; k < 3; k++)
            v[k] = last ? g_blend.target[id][k] : g_blend.from[id][k] + g_blend.step[id][k] * (float)g_blend.done;
        store(id, v[0], v[1], v[2]);
    }
    if (!last)
        return 1;
    for (int id : {(int)WS_SHARP_SHADOW, (int)WS_SKY_ON})
        store(id, g_blend.target[id][0], 0, 0);
    apply_world_shader();
    return 0;
}

int world_shader_blending(void) { return g_blend.done < g_blend.frames; }

void print_world_shader_script(void)
{
    for (int id = 0; id < WORLD_SHADER_PARAMS; id++) {
        float v[4];
        get_shader(id, v);
        const WorldShaderParam &p = world_shader_params[id];
        if (p.kind == WS_KIND_FLAG) {
            printf("-- %s 1\n", p.name);
            printf("run_cmd(\"worldshader %i %i\")\n", id, v[0] != 0.0f ? 1 : 0);
        } else if (p.kind == WS_KIND_FLOAT) {
            printf("-- %s 1.0\n", p.name);
            printf("run_cmd(\"worldshader %i %.2f\")\n", id, (double)v[0]);
        } else {
            printf("-- %s 1.0 1.0 1.0 \n", p.name);
            printf("run_cmd(\"worldshader %i %.2f %.2f %.2f\")\n", id, (double)v[0], (double)v[1], (double)v[2]);
        }
    }
    fflush(stdout);
}

const float *world_shader_value(int id)
{
    ensure_ready();
    return g_values[(id >= 0 && id < WS_SCENE_PARAMS) ? id : WS_BACKGROUND_COLOR];
}

int world_shader_flag(int id)
{
    return world_shader_value(id)[0] != 0.0f;
}

void world_floor_lit_color(float out[4])
{
    ensure_ready();
    floor_colour_value(g_values[WS_SUNSHINE_COLOR], g_values[WS_AMBIENT_COLOR], g_values[WS_FLOOR_COLOR],
                       g_values[WS_SUN_LIGHT_DIR], out);
}

void world_fog_value(float out[4])
{
    ensure_ready();
    fog_value(g_values[WS_BACKGROUND_COLOR], g_values[WS_FOG_DISTANCE][0], out);
}
