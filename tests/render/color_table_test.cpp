#include <gtest/gtest.h>

#include <string>

#include "render/color_state.h"
#include "render/color_table.h"

namespace {

void expect_rgb(const float *got, float r, float g, float b)
{
    EXPECT_FLOAT_EQ(got[0], r);
    EXPECT_FLOAT_EQ(got[1], g);
    EXPECT_FLOAT_EQ(got[2], b);
}

TEST(ColorTable, RowsOutsideTheTableReadAsRowZero)
{
    color_table_reset();
    const float row0[3] = {1, 1, 1};
    for (int bad : {-1, 125, 126, 1 << 30, -(1 << 30)}) {
        float rgb[3] = {0, 0, 0};
        get_color_rgb(bad, rgb);
        expect_rgb(rgb, row0[0], row0[1], row0[2]);
        EXPECT_EQ(get_color(bad), get_color(0));
        set_color_index(bad);
        expect_rgb(current_color(), 1, 1, 1);
    }
    EXPECT_FALSE(color_table_set_row(125, row0));
    EXPECT_EQ(color_row_by_name("sgiolivedrab"), 124);
}

TEST(ColorTable, LookupsBlendsAndTints)
{
    color_table_reset();
    float rgb[3];
    get_color_clamped(33, rgb);
    expect_rgb(rgb, 1, 1, 0.3f);
    get_color_index_rgb_or(0, 2, rgb);
    expect_rgb(rgb, 1, 0, 0);

    const float a[3] = {1, 0, 0}, b[3] = {0, 0, 1};
    struct { float t, r, b; } cases[] = {{1, 1, 0}, {0, 0, 1}, {2, 1, 0}, {0.25f, 0.25f, 0.75f}};
    for (auto c : cases) {
        blend_colors(a, b, c.t, rgb);
        expect_rgb(rgb, c.r, 0, c.b);
    }
    float grey[3] = {0.5f, 0.5f, 0.5f};
    tint_color_toward_row(0, grey, 1.0f);
    expect_rgb(grey, 1, 0, 0);

    const float world[3] = {0.2f, 0.3f, 0.4f};
    ASSERT_TRUE(color_table_set_row(80, world));
    set_color_index_alpha(80, 0.5f);
    expect_rgb(current_color(), 0.2f, 0.3f, 0.4f);
    EXPECT_FLOAT_EQ(current_color()[3], 0.5f);
}

TEST(ColorTable, ComponentsBecomeBytesOnlyAfterClamping)
{
    struct { float v; int byte; } cases[] = {
        {-0.5f, 0}, {0, 0}, {0.5f, 128}, {1, 255}, {1.3f, 255}, {1e30f, 255}, {-1e30f, 0}};
    for (auto c : cases)
        EXPECT_EQ(color_byte(c.v), c.byte) << c.v;
}

} // namespace
