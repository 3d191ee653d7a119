#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/blood_vertices.h"
#include "render/color_state.h"
#include "render/render_queues.h"
#include "render/sky_texture.h"
#include "render/world_shader.h"
#include "render/world_shader_file.h"

namespace {

int channel(uint32_t word, char c)   // words hold blue, green, red, alpha from the low byte
{
    const int shift = c == 'b' ? 0 : c == 'g' ? 8 : c == 'r' ? 16 : 24;
    return (int)(word >> shift & 0xFF);
}

TEST(SkyTexture, FishEyeDirectionsAndTheSunsSide)
{
    float d[3];
    sky_texel_direction(128, 128, d);
    EXPECT_FLOAT_EQ(d[2], 1);
    sky_texel_direction(128, 0, d);            // the left edge's middle: the horizon
    EXPECT_NEAR(d[2], 0, 1e-3);
    EXPECT_NEAR(d[0], -1, 1e-3);
    for (int i = 0; i < 256; i += 17)
        for (int j = 0; j < 256; j += 13) {
            sky_texel_direction(i, j, d);
            EXPECT_NEAR(d[0] * d[0] + d[1] * d[1] + d[2] * d[2], 1, 1e-4);
            EXPECT_GE(d[2], -1e-4);
        }

    SkyLook look = {{0.2f, 0.3f, 0.4f}, {2, 2, 2}, {0, 0.5f, 1}, {0, 0, 0}, {1, 0.9f, 0.8f},
                    {0, 1, 0.26f}, {0, 0, 0}, 0};
    std::vector<uint32_t> px(SKY_TEXTURE_SIZE * SKY_TEXTURE_SIZE);
    make_sky_pixels(&look, px.data());
    // Blend power 0: every texel is half the background, channel for channel.
    EXPECT_EQ(channel(px[0], 'r'), 128);
    EXPECT_EQ(channel(px[5000], 'g'), 115);
    EXPECT_EQ(channel(px[60000], 'b'), 102);
    EXPECT_EQ(channel(px[60000], 'a'), 0);

    // Blended towards the sky colour near the horizon: the texel toward the
    // sun shows its disc and beam, the one opposite only the sky.
    look.blend_power = -40;
    make_sky_pixels(&look, px.data());
    int best = -1;
    float best_dot = -2;
    const float s = 1 / std::sqrt(1 + 0.26f * 0.26f);
    for (int i = 0; i < 256; i++)
        for (int j = 0; j < 256; j++) {
            sky_texel_direction(i, j, d);
            const float dot = (d[1] + 0.26f * d[2]) * s;
            if (dot > best_dot) { best_dot = dot; best = i * 256 + j; }
        }
    sky_texel_direction(best / 256, best % 256, d);
    EXPECT_GT(best_dot, 0.999f);
    EXPECT_EQ(channel(px[best], 'r'), 255);    // sky + sun, clamped
    const int away = (255 - best / 256) * 256 + best % 256;   // mirrored across the zenith
    EXPECT_LT(channel(px[away], 'r'), 40);
    EXPECT_LT(channel(px[away], 'b'), channel(px[best], 'b'));
}

// The sky of a look as the renderer takes it from the world shader values.
SkyLook look_now(void)
{
    SkyLook l;
    auto copy = [](int id, float *to) { std::copy(world_shader_value(id), world_shader_value(id) + 3, to); };
    copy(WS_SKY_COLOR, l.sky);
    copy(WS_SUN_COLOR, l.sun);
    copy(WS_SUNBEAM_COLOR, l.sunbeam);
    copy(WS_POLAR_LIGHT_COLOR, l.polar);
    copy(WS_BACKGROUND_COLOR, l.background);
    copy(WS_SUN_LIGHT_DIR, l.sun_dir);
    copy(WS_POLAR_LIGHT_DIR, l.polar_dir);
    l.blend_power = world_shader_value(WS_SKY_BLEND_POWER)[0];
    return l;
}

// Every texel blends the sky's own light (its colour and, where they shine,
// sun, beam and polar light, none negative) with the background, so no
// channel falls below half the lesser of the two colours: no black band,
// for the shipped looks and for blend powers a file may hold.
TEST(SkyTexture, NoBlendPowerDarkensTheSkyBelowItsColours)
{
    std::vector<uint32_t> px(SKY_TEXTURE_SIZE * SKY_TEXTURE_SIZE);
    for (const char *name : {"default.inc", "dusk.inc", "overcast.inc"}) {
        const std::string file = std::string(KX_SOURCE_DIR) + "/data/shader/" + name;
        ASSERT_EQ(load_world_shader(file.c_str()), 0) << file;
        SkyLook look = look_now();
        for (float power : {look.blend_power, 2.0f, 40.0f, 1e6f, -3.0f, -1e6f}) {
            SCOPED_TRACE(std::string(name) + " power " + std::to_string(power));
            look.blend_power = power;
            make_sky_pixels(&look, px.data());
            const char channels[3] = {'r', 'g', 'b'};
            for (int k = 0; k < 3; k++) {
                const int least = (int)(std::min(look.sky[k], look.background[k]) * 0.5f * 255) - 1;
                int darkest = 255;
                for (uint32_t t : px)
                    darkest = std::min(darkest, channel(t, channels[k]));
                EXPECT_GE(darkest, least) << channels[k];
            }
        }
    }
}

TEST(SkyTexture, SunSpriteIsRoundWithAFadingRim)
{
    const float sun[3] = {2, 0.5f, -1};
    std::vector<uint32_t> px(SUN_TEXTURE_SIZE * SUN_TEXTURE_SIZE);
    make_sun_pixels(sun, px.data());
    const uint32_t mid = px[64 * 128 + 64];
    EXPECT_EQ(channel(mid, 'a'), 255);
    EXPECT_EQ(channel(mid, 'r'), 255);
    EXPECT_EQ(channel(mid, 'g'), 128);
    EXPECT_EQ(channel(mid, 'b'), 0);
    EXPECT_EQ(channel(px[64 * 128 + 64 + 51], 'a'), 255);   // f just below 1
    EXPECT_EQ(channel(px[64 * 128], 'a'), 0);                // 64 texels out: faded away
    EXPECT_EQ(channel(px[0], 'a'), 0);
    const int rim = channel(px[64 * 128 + 64 + 58], 'a');
    EXPECT_GT(rim, 0);
    EXPECT_LT(rim, 255);
}

TEST(BloodVertices, DropsBecomeQuadsWithLimitedMotionAndTheirNeighbours)
{
    render_queues_reset();
    const float red[4] = {1, 0, 0, 1};
    set_color4fv(red);
    const float at[3] = {1, 2, 3};
    const float fast[3] = {30, 40, 0}, still[3] = {0, 0, 0}, nan[3] = {NAN, 0, 0};
    add_blood_drop(at, fast, 0.05f);
    add_blood_drop(at, still, 0.05f);      // a second strand (empty strands fill first)
    add_blood_drop(at, nan, 0.05f);
    for (int i = 0; i < 5; i++)
        add_blood_drop(at, still, 0.05f);
    std::vector<BloodVertex> v;
    build_blood_vertex_data(v);
    ASSERT_EQ(v.size(), 8u * BLOOD_VERTICES_PER_DROP);
    EXPECT_FLOAT_EQ(v[0].motion[0], 9);     // length 50 cut to 15
    EXPECT_FLOAT_EQ(v[0].motion[1], 12);
    EXPECT_FLOAT_EQ(v[6].motion[0], 0.01f);
    EXPECT_FLOAT_EQ(v[12].motion[0], 0.01f);
    EXPECT_FLOAT_EQ(v[0].prev[3], 0.01f);   // the strand's first drop: nothing behind
    EXPECT_FLOAT_EQ(v[0].next[3], 0.05f);   // drop 5 joined strand 0
    EXPECT_FLOAT_EQ(v[0].next[2], 3);
    EXPECT_EQ(v[0].colour, 0xFF0000FFu);
    // The six corners span a square around the drop, two triangles.
    float lo = 1e9f, hi = -1e9f;
    for (int c = 0; c < BLOOD_VERTICES_PER_DROP; c++) {
        lo = std::fmin(lo, v[c].corner[0]);
        hi = std::fmax(hi, v[c].corner[0]);
        EXPECT_FLOAT_EQ(v[c].pos[2], 3);
    }
    EXPECT_FLOAT_EQ(hi - lo, 2 * BLOOD_QUAD_REACH * 0.05f);
}

} // namespace
