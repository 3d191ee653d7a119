#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "app/base/vecmath.h"

static void expect_near(const Matrix4 &a, const Matrix4 &b, float tol)
{
    for (int k = 0; k < 16; k++)
        EXPECT_NEAR(a.m[k], b.m[k], tol) << "element " << k;
}

// The textbook product, column-major: r[c][r] = sum a[k][r] b[c][k].
static Matrix4 naive_product(const Matrix4 &a, const Matrix4 &b)
{
    Matrix4 r;
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++) {
            double s = 0;
            for (int k = 0; k < 4; k++)
                s += (double)a.m[k * 4 + row] * b.m[col * 4 + k];
            r.m[col * 4 + row] = (float)s;
        }
    return r;
}

// Random rigid, affine (scaled) and projective matrices against the
// textbook product, the general inverse and the single-axis rotations.
TEST(Matrix4, AlgebraOnRandomMatrices)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(-180, 180), pos(-10, 10), scale(0.5f, 2.0f), u(-2, 2);
    Matrix4 id;
    for (int i = 0; i < 200; i++) {
        float x = angle(rng), y = angle(rng), z = angle(rng);
        Matrix4 r, s, t, rx, ry, rz, ax, p;
        r.set_euler(x, y, z);
        rx.set_rotation_x(x);
        ry.set_rotation_y(y);
        rz.set_rotation_z(z);
        expect_near(r, rz * ry * rx, 1e-5f);
        ax.set_rotation_axis(x, {1, 0, 0});
        expect_near(ax, rx, 1e-5f);
        s.set_scale(scale(rng), scale(rng), scale(rng));
        t.set_translation(pos(rng), pos(rng), pos(rng));
        Matrix4 rigid = t * r, a = rigid * s;
        for (float &v : p.m)
            v = u(rng);
        for (int k = 0; k < 4; k++)
            p.m[k * 5] += 4; // keeps it well away from singular
        expect_near(a * a.inverse(), id, 1e-4f);
        expect_near(p * p.inverse(), id, 1e-4f);
        expect_near(p.inverse() * p, id, 1e-4f);
        expect_near(a * rigid, naive_product(a, rigid), 1e-4f);
        expect_near(a * p, naive_product(a, p), 1e-4f);
        expect_near(p * a, naive_product(p, a), 1e-4f);
        expect_near(p * p.transposed(), naive_product(p, p.transposed()), 1e-3f);
        expect_near(rigid.rigid_inverse(), rigid.inverse(), 1e-4f);
        Matrix4 it = a;
        it.invert_transpose();
        expect_near(it, a.inverse().transposed(), 1e-4f);
        float row_major[16];
        rigid.rigid_inverse_row_major(row_major);
        Matrix4 back;
        back.set(row_major);
        expect_near(back.transposed(), rigid.inverse(), 1e-4f);
        Vec3f q = rigid.untranslate_point(rigid.translate_point({x, y, z}));
        EXPECT_NEAR(q.y, y, 1e-3f);
    }
    Matrix4 zero;
    zero.zero();
    EXPECT_EQ(zero.inverse(), Matrix4()); // singular: identity
    Matrix4 m = id * 3.0f;
    EXPECT_EQ(m / 0.0f, m);
    expect_near(m / 3.0f, id, 1e-6f);
}

TEST(Matrix4, ProjectionsEqualTheOpenGLFormulas)
{
    // glFrustum(l, r, b, t, n, f) and glOrtho from the OpenGL reference pages.
    float l = -2, r = 3, b = -1, t = 1.5f, n = 0.5f, f = 100;
    Matrix4 m;
    m.set_frustum(l, r, b, t, n, f);
    float fr[16] = {2 * n / (r - l), 0, 0, 0, 0, 2 * n / (t - b), 0, 0, (r + l) / (r - l), (t + b) / (t - b),
                    -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
    Matrix4 want;
    want.set(fr);
    expect_near(m, want, 1e-6f);

    m.set_ortho(l, r, b, t, n, f);
    float orr[16] = {2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, -2 / (f - n), 0,
                     -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
    want.set(orr);
    expect_near(m, want, 1e-6f);

    // gluPerspective: f = cot(fovy / 2); diagonal f / aspect, f.
    float fovy = 60, aspect = 16.0f / 9.0f;
    m.set_perspective(fovy, aspect, n, f);
    float cot = 1.0f / tanf(fovy * 0.5f * (float)DEG_TO_RAD);
    float pr[16] = {cot / aspect, 0, 0, 0, 0, cot, 0, 0, 0, 0, (f + n) / (n - f), -1, 0, 0, 2 * f * n / (n - f), 0};
    want.set(pr);
    expect_near(m, want, 1e-5f);

    m.set_frustum(l, r, b, t, n, -1); // far plane at infinity
    EXPECT_FLOAT_EQ(m.m[10], -0.999f);
    EXPECT_FLOAT_EQ(m.m[14], -1.998f * n);
    m.set_frustum(1, 1, b, t, n, f); // degenerate: zero
    Matrix4 zero;
    zero.zero();
    EXPECT_EQ(m, zero);
}
