#include "render/color_state.h"

#include "render/color_table.h"

static float g_color[4] = {1, 1, 1, 1};
static void (*g_apply)(const float *) = nullptr;

const float *current_color(void) { return g_color; }

void color_state_set_apply(void (*apply)(const float *rgba)) { g_apply = apply; }

void set_color4fv(const float *rgba)
{
    for (int k = 0; k < 4; k++)
        g_color[k] = rgba[k];
    if (g_apply)
        g_apply(g_color);
}

void set_color3fv(const float *rgb)
{
    const float c[4] = {rgb[0], rgb[1], rgb[2], 1.0f};
    set_color4fv(c);
}

void set_color_index_alpha(int i, float alpha)
{
    float c[4];
    get_color_rgb(i, c);
    c[3] = alpha;
    set_color4fv(c);
}

void set_color_index(int i) { set_color_index_alpha(i, 1.0f); }

void set_color_index_or(int i, int j)
{
    float c[4];
    get_color_index_rgb_or(i, j, c);
    c[3] = 1.0f;
    set_color4fv(c);
}
