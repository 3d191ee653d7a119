// The colour table rows the game core reads; every row not listed is white.
#include "render/color_table.h"

struct ColorRow { int row; float r, g, b; };

static const ColorRow k_rows[] = {
    {2, 1, 0, 0}, {3, 0.545f, 0, 0}, {4, 0, 0, 1}, {5, 0, 0, 0.545f}, {7, 0.01f, 0.01f, 0.01f}, {20, 0.65f, 0.02f, 0.14f},
    {21, 0.93f, 0.75f, 0.65f}, {23, 0.85f, 0.28f, 0}, {25, 0.5f, 0.5f, 1}, {33, 1.3f, 1.0f, 0.3f},
};

void get_color_rgb(int i, float *rgb)
{
    rgb[0] = rgb[1] = rgb[2] = 1.0f;
    for (const ColorRow &c : k_rows) {
        if (c.row == i) {
            rgb[0] = c.r; rgb[1] = c.g; rgb[2] = c.b;
        }
    }
}

void blend_colors(const float *a, const float *b, float t, float *out)
{
    for (int k = 0; k < 3; k++)
        out[k] = t > 1.0f ? a[k] : a[k] * t + b[k] * (1.0f - t);
}

void tint_color_toward_row(int row, float *rgb, float t)
{
    float c[3] = {1, 0, 0};
    if (row != 0)
        get_color_rgb(row, c);
    for (int k = 0; k < 3; k++)
        rgb[k] = rgb[k] * (1.0f - t) + c[k] * t;
}
