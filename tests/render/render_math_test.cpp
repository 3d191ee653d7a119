#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "render/render_math.h"

// The shader path's float math: degenerate inputs give no NaN, rotations
// turn the right way, colours pack and clamp, and the occluder heap pops
// in key order.

TEST(RenderMath, ZeroVectorsStayZero)
{
    const float zero[3] = {0, 0, 0};
    float out[3] = {9, 9, 9};
    normalise(zero, out);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[2], 0.0f);
    float v[3] = {0, 0, 0};
    EXPECT_EQ(normalise_in_place(v), 0.0f);
    EXPECT_EQ(v[1], 0.0f);
    float w[3] = {0, 3, 4};
    EXPECT_FLOAT_EQ(normalise_in_place(w), 0.2f);
    EXPECT_FLOAT_EQ(w[1], 0.6f);
    float r[3] = {1, 2, 3};
    rotate_by_vector(r, zero);
    EXPECT_EQ(r[0], 1.0f);
    float m[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    rotate_matrix_by_vector(m, zero);
    EXPECT_EQ(m[4], 5.0f);
}

TEST(RenderMath, RotationsAndMatrixProducts)
{
    // A quarter turn about z by the vector (0, 0, pi/2). With the cross
    // product taken as v x axis, x goes to -y.
    float v[3] = {1, 0, 0};
    const float r[3] = {0, 0, 1.5707963f};
    rotate_by_vector(v, r);
    EXPECT_NEAR(v[0], 0.0f, 1e-6f);
    EXPECT_NEAR(v[1], -1.0f, 1e-6f);
    // The matrix form turns each column the same way.
    float m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    rotate_matrix_by_vector(m, r);
    EXPECT_NEAR(m[3], -1.0f, 1e-6f);   // column 0 is (0, -1, 0)
    const float a[9] = {1, 2, 3, 4, 5, 6, 7, 8, 10};
    const float b[9] = {2, 0, 1, 1, 3, 0, 0, 1, 4};
    const float x[3] = {1, -1, 2};
    float o[3], t[3], p[9];
    mat3_mul_vec(a, x, o);
    EXPECT_FLOAT_EQ(o[2], 7 - 8 + 20);
    vec_mul_mat3(x, a, t);   // a^T x
    EXPECT_FLOAT_EQ(t[0], 1 - 4 + 14);
    mat3_mul(a, b, p);       // b^T a
    EXPECT_FLOAT_EQ(p[0 * 3 + 1], 2 * 2 + 1 * 5 + 0 * 8);
    EXPECT_FLOAT_EQ(p[2 * 3 + 2], 1 * 3 + 0 * 6 + 4 * 10);
}

TEST(RenderMath, FogWeightIsFiniteForEveryDistance)
{
    EXPECT_NEAR(fog_weight(46.0f), -0.0314f, 1e-4f);
    for (float d : {0.0f, -3.0f, NAN, 1e-30f}) {
        const float w = fog_weight(d);
        EXPECT_TRUE(std::isfinite(w) && w < 0.0f) << d;
        EXPECT_EQ(0.0f * w, 0.0f);   // a fragment at the camera: exp(0) = 1, never NaN
    }
}

TEST(RenderMath, FloorAndFogValuesWithoutASun)
{
    const float sun[3] = {1, 1, 1}, amb[3] = {0.2f, 0.3f, 0.4f}, floor[3] = {0.5f, 0.5f, 1.0f};
    const float up[3] = {0, 0, 2}, none[3] = {0, 0, 0};
    float f[4];
    floor_colour_value(sun, amb, floor, up, f);
    EXPECT_FLOAT_EQ(f[0], 0.6f);
    EXPECT_FLOAT_EQ(f[2], 1.4f);
    EXPECT_EQ(f[3], 1.0f);
    floor_colour_value(sun, amb, floor, none, f);   // only the ambient light
    EXPECT_FLOAT_EQ(f[1], 0.15f);
    float g[4];
    fog_value(amb, 0.0f, g);
    EXPECT_TRUE(std::isfinite(g[3]));
    EXPECT_FLOAT_EQ(g[0], 0.2f);
}

TEST(RenderMath, PackRgbaTruncatesAndClamps)
{
    const float c[4] = {1.0f, 0.5f, 0.0f, 1.0f};
    uint8_t o[4];
    pack_rgba(c, o);
    EXPECT_EQ(o[0], 255);
    EXPECT_EQ(o[1], 127);
    EXPECT_EQ(o[2], 0);
    const float wild[4] = {2.0f, -1.0f, NAN, 1e30f};
    pack_rgba(wild, o);
    EXPECT_EQ(o[0], 255);
    EXPECT_EQ(o[1], 0);
    EXPECT_EQ(o[2], 0);
    EXPECT_EQ(o[3], 255);
}

TEST(RenderMath, DepthHeapPopsSmallestFirstAndKeepsItsLimit)
{
    DepthHeap h;
    EXPECT_EQ(h.pop(), 0);   // empty: the value left in the top pair
    const float keys[] = {5, 1, 4, 1.5f, 9, 0.5f, 3};
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(h.push(keys[i], i), 0);
    const int order[] = {5, 1, 3, 6, 2, 0, 4};
    for (int want : order)
        EXPECT_EQ(h.pop(), want);
    EXPECT_EQ(h.count, 0);
    EXPECT_EQ(h.pop(), 4);   // the last pair popped is still at the top
    EXPECT_EQ(h.count, 0);
    for (int i = 0; i < DEPTH_HEAP_SIZE; i++)
        EXPECT_EQ(h.push((float)(DEPTH_HEAP_SIZE - i), i), 0);
    EXPECT_EQ(h.push(-1.0f, 9999), 1);   // full: dropped, nothing overrun
    EXPECT_EQ(h.pop(), DEPTH_HEAP_SIZE - 1);
}
