// The colour table's rows. Rows named after X11 colours carry the X11
// values; the others are the game's own.
#include "render/color_table.h"

#include <cmath>
#include <cstring>

#include "app/base/text.h"

#define C8(name, r, g, b) {name, (r) / 255.0f, (g) / 255.0f, (b) / 255.0f, 0}

static const ColorRow k_builtin[COLOR_TABLE_ROWS] = {
    {"none", 1, 1, 1, 0}, {"white", 1, 1, 1, 0}, {"red", 1, 0, 0, 0}, {"dark_red", 0.5f, 0, 0, 0},
    {"blue", 0, 0, 1, 0}, {"dark_blue", 0, 0, 0.5f, 0}, C8("purple", 160, 32, 240),
    {"black", 0.01f, 0.01f, 0.01f, 0}, C8("grey", 190, 190, 190), {"yellow", 1, 1, 0, 0},
    {"green", 0, 1, 0, 0}, {"neptune", 0.3f, 0.55f, 0.9f, 0}, {"ecto", 0.55f, 1.0f, 0.55f, 0},
    {"spring", 0.45f, 0.9f, 0.3f, 0}, C8("violet", 238, 130, 238), C8("pink", 255, 192, 203),
    C8("orange", 255, 165, 0), {"skin", 0.96f, 0.8f, 0.69f, 0}, {"light_orange", 1, 0.75f, 0.4f, 0},
    C8("brown", 165, 42, 42), {"blood", 0.65f, 0.02f, 0.14f, 0}, {"relax", 0.93f, 0.75f, 0.65f, 0},
    {"relax_active", 0.96f, 0.89f, 0.97f, 0}, {"hold", 0.85f, 0.28f, 0, 0},
    {"hold_active", 0.88f, 0.52f, 0.32f, 0}, {"fracture", 0.5f, 0.5f, 1, 0},
    {"acid", 0.7f, 1.2f, 0.1f, 0}, {"amethyst", 0.6f, 0.4f, 0.8f, 0}, {"aqua", 0, 1, 1, 0},
    {"bronze", 0.8f, 0.5f, 0.2f, 0}, {"demon", 0.6f, 0.05f, 0.05f, 0}, {"dragon", 0.2f, 0.6f, 0.15f, 0},
    {"elf", 0.55f, 0.85f, 0.35f, 0}, {"gold", 1.3f, 1.0f, 0.3f, 0}, {"marine", 0.1f, 0.4f, 0.6f, 0},
    {"noxious", 1.5f, 0.8f, 0.3f, 0}, {"orc", 0.35f, 0.5f, 0.2f, 0}, {"quicksilver", 1.1f, 1.1f, 1.2f, 0},
    {"radioactive", 0.8f, 1.4f, 0.2f, 0}, {"sapphire", 0.06f, 0.32f, 0.73f, 0},
    {"toxic", 0.3f, 1.5f, 0.3f, 0}, {"vampire", 0.4f, 0, 0.1f, 0}, {"chronos", 0.9f, 0.85f, 0.5f, 0},
    {"gaia", 0.3f, 0.7f, 0.3f, 0}, {"gladiator", 0.7f, 0.55f, 0.3f, 0}, {"hydra", 0.2f, 0.55f, 0.5f, 0},
    {"pharos", 1.2f, 1.1f, 0.7f, 0}, {"sphinx", 0.85f, 0.7f, 0.4f, 0}, {"titan", 0.5f, 0.55f, 0.6f, 0},
    {"typhon", 0.35f, 0.3f, 0.7f, 0}, {"pure", 1.3f, 1.3f, 1.3f, 0}, {"dark", 0.1f, 0.1f, 0.1f, 0},
    {"dusky", 0.35f, 0.3f, 0.35f, 0}, {"coal", 0.2f, 0.2f, 0.2f, 0}, {"ash", 0.6f, 0.6f, 0.6f, 0},
    {"ghostly", 0.85f, 0.9f, 1.0f, 0}, {"deepblue", 0, 0.1f, 0.4f, 0}, {"garnet", 0.55f, 0.05f, 0.15f, 0},
    C8("hotpink", 255, 105, 180), {"darkcerulean", 0.03f, 0.27f, 0.49f, 0}, C8("lightpink", 255, 182, 193),
    {"pumpkin", 1.0f, 0.46f, 0.09f, 0}, {"azurite", 0.1f, 0.3f, 0.75f, 0}, C8("ivory", 255, 255, 240),
    {"parrot", 0.2f, 0.85f, 0.2f, 0}, {"shaman", 0.45f, 0.2f, 0.5f, 0}, {"sakura", 1.0f, 0.72f, 0.77f, 0},
    C8("peach", 255, 218, 185), {"flame", 1.1f, 0.35f, 0.05f, 0}, {"deep", 0.05f, 0.05f, 0.25f, 0},
    {"ruby", 0.88f, 0.07f, 0.37f, 0}, {"supernova", 1.39f, 0, 0, 0}, {"nova", 1.2f, 0.4f, 0.1f, 0},
    C8("maroon", 176, 48, 96), C8("coral", 255, 127, 80), {"indigo", 0.29f, 0, 0.51f, 0},
    {"sangria", 0.57f, 0, 0.04f, 0}, {"text", 0.01f, 0.01f, 0.01f, 0}, {"text_bg", 1, 1, 1, 0},
    {"text_sel", 0.16f, 0.66f, 0.86f, 0}, {"text_disabled", 0.5f, 0.5f, 0.5f, 0},
    {"menu_text", 0.01f, 0.01f, 0.01f, 0}, {"menu_text_bg", 1, 1, 1, 0},
    {"menu_text_sel", 0.16f, 0.66f, 0.86f, 0}, {"menu_text_disabled", 0.5f, 0.5f, 0.5f, 0},
    {"msg_notype", 0.01f, 0.01f, 0.01f, 0}, {"msg_whisper", 0, 0, 0, 0}, {"msg_server", 0.5f, 0.5f, 0.5f, 0},
    {"msg_urlserver", 0.16f, 0.66f, 0.86f, 0}, {"msg_ingame", 0.2f, 0.4f, 0.2f, 0},
    {"msg_gamurl", 0.16f, 0.66f, 0.86f, 0}, {"msg_user", 0.1f, 0.1f, 0.5f, 0}, {"msg_player", 1.4f, 0.2f, 0, 0},
    {"msg_url", 0.16f, 0.66f, 0.86f, 0}, {"msg_urlsel", 1, 0, 1, 0}, {"opal", 0.66f, 0.76f, 0.74f, 0},
    {"void", 0, 0, 0, 0}, C8("antiquewhite2", 238, 223, 204), C8("cadetblue3", 122, 197, 205),
    C8("chocolate", 210, 105, 30), C8("darkgoldenrod4", 139, 101, 8), C8("darkolivegreen", 85, 107, 47),
    C8("darkslateblue", 72, 61, 139), C8("darkseagreen1", 193, 255, 193), C8("darkslategrey", 47, 79, 79),
    C8("deeppink3", 205, 16, 118), C8("dodgerblue4", 16, 78, 139), C8("hotpink4", 139, 58, 98),
    C8("lemonchiffon4", 139, 137, 112), C8("lightblue3", 154, 192, 205), C8("midnightblue", 25, 25, 112),
    C8("palevioletred4", 139, 71, 93), C8("violetred4", 139, 34, 82), C8("purple4", 85, 26, 139),
    C8("mediumorchid4", 122, 55, 139), C8("magenta4", 139, 0, 139), C8("mediumpurple3", 137, 104, 205),
    C8("thistle4", 139, 123, 139), C8("firebrick3", 205, 38, 38), C8("aquamarine", 127, 255, 212),
    C8("burlywood4", 139, 115, 85), C8("lightpink4", 139, 95, 101), C8("mediumspringgreen", 0, 250, 154),
    C8("palegreen", 152, 251, 152), C8("sgiolivedrab", 142, 142, 56),
};

static ColorRow g_rows[COLOR_TABLE_ROWS] = {};
static bool g_ready = false;

static const ColorRow &row(int i)
{
    if (!g_ready)
        color_table_reset();
    return g_rows[color_row_checked(i)];
}

int color_row_checked(int i)
{
    return (i >= 0 && i < COLOR_TABLE_ROWS) ? i : 0;
}

void color_table_reset(void)
{
    memcpy(g_rows, k_builtin, sizeof g_rows);
    g_ready = true;
}

void get_color_rgb(int i, float *rgb)
{
    const ColorRow &c = row(i);
    rgb[0] = c.r; rgb[1] = c.g; rgb[2] = c.b;
}

const float *get_color(int i)
{
    return &row(i).r;
}

void get_color_index_rgb_or(int i, int j, float *rgb)
{
    get_color_rgb(color_row_checked(i) != 0 ? i : j, rgb);
}

void get_color_clamped(int i, float *rgb)
{
    get_color_rgb(i, rgb);
    for (int k = 0; k < 3; k++)
        if (rgb[k] > 1.0f)
            rgb[k] = 1.0f;
}

void color_name_is(int i, char *out, int size)
{
    n_strncpyz(out, row(i).name, size);
}

int color_row_by_name(const char *name)
{
    for (int i = 0; i < COLOR_TABLE_ROWS; i++)
        if (strcmp(k_builtin[i].name, name) == 0)
            return i;
    return -1;
}

bool color_table_set_row(int i, const float *rgb)
{
    if (i < 0 || i >= COLOR_TABLE_ROWS)
        return false;
    row(i);
    g_rows[i].r = rgb[0]; g_rows[i].g = rgb[1]; g_rows[i].b = rgb[2];
    return true;
}

void blend_colors(const float *a, const float *b, float t, float *out)
{
    for (int k = 0; k < 3; k++)
        out[k] = t > 1.0f ? a[k] : a[k] * t + b[k] * (1.0f - t);
}

void tint_color_toward_row(int i, float *rgb, float t)
{
    static const float red[3] = {1, 0, 0};
    float target[3];
    if (color_row_checked(i) == 0)
        memcpy(target, red, sizeof target);
    else
        get_color_rgb(i, target);
    for (int k = 0; k < 3; k++)
        rgb[k] = rgb[k] * (1.0f - t) + target[k] * t;
}

uint8_t color_byte(float v)
{
    if (!(v > 0.0f))  // also NaN
        return 0;
    if (v >= 1.0f)
        return 255;
    return (uint8_t)lroundf(v * 255.0f);
}
