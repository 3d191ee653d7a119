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

static Matrix4 random_affine(std::mt19937 &rng)
{
    std::uniform_real_distribution<float> angle(-180, 180), pos(-10, 10), scale(0.5f, 2.0f);
    Matrix4 r, s, t;
    r.set_euler(angle(rng), angle(rng), angle(rng));
    s.set_scale(scale(rng), scale(rng), scale(rng));
    t.set_translation(pos(rng), pos(rng), pos(rng));
    return t * r * s;
}

static Matrix4 random_projective(std::mt19937 &rng)
{
    std::uniform_real_distribution<float> u(-2, 2);
    Matrix4 m;
    for (float &v : m.m)
        v = u(rng);
    for (int i = 0; i < 4; i++)
        m.m[i * 5] += 4; // keeps it well away from singular
    return m;
}

TEST(Matrix4, TimesInverseIsIdentity)
{
    std::mt19937 rng(7);
    Matrix4 id;
    for (int i = 0; i < 200; i++) {
        Matrix4 a = random_affine(rng);
        expect_near(a * a.inverse(), id, 1e-4f);
        Matrix4 p = random_projective(rng);
        expect_near(p * p.inverse(), id, 1e-4f);
        expect_near(p.inverse() * p, id, 1e-4f);
    }
}

TEST(Matrix4, ProductShortcutsEqualTheFullProduct)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 100; i++) {
        Matrix4 a = random_affine(rng), b = random_affine(rng);
        Matrix4 p = random_projective(rng), q = random_projective(rng);
        expect_near(a * b, naive_product(a, b), 1e-4f);
        expect_near(a * p, naive_product(a, p), 1e-4f);
        expect_near(p * a, naive_product(p, a), 1e-4f);
        expect_near(p * q, naive_product(p, q), 1e-3f);
    }
    Matrix4 t1, t2;
    t1.set_translation(1, 2, 3);
    t2.set_translation(-4, 5, 0.5f);
    Matrix4 sum;
    sum.set_translation(-3, 7, 3.5f);
    EXPECT_EQ(t1 * t2, sum);
}

TEST(Matrix4, RigidInverseMatchesGeneralInverse)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> angle(-180, 180), pos(-10, 10);
    for (int i = 0; i < 100; i++) {
        Matrix4 r, t;
        r.set_euler(angle(rng), angle(rng), angle(rng));
        t.set_translation(pos(rng), pos(rng), pos(rng));
        Matrix4 m = t * r;
        expect_near(m.rigid_inverse(), m.inverse(), 1e-4f);
        float row_major[16];
        m.rigid_inverse_row_major(row_major);
        Matrix4 back;
        back.set(row_major);
        expect_near(back.transposed(), m.inverse(), 1e-4f);
    }
}

TEST(Matrix4, SingularInverseIsIdentityAndDivisionGuards)
{
    Matrix4 z;
    z.zero();
    EXPECT_EQ(z.inverse(), Matrix4());
    Matrix4 r;
    r.set_rotation_axis(33, {1, 2, 3});
    Matrix4 n = r;
    n.invert_transpose();
    expect_near(n, r, 1e-5f);
    Matrix4 m = r * 3.0f;
    EXPECT_EQ(m / 0.0f, m);
    EXPECT_EQ(m / 1.0f, m);
    expect_near(m / 3.0f, r, 1e-6f);
    EXPECT_EQ(m.get(16), 0.0f);
    m.set_element(99, 5.0f); // ignored
    EXPECT_EQ(-(-m), m);
    EXPECT_EQ((m + r) - r, m);
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

TEST(Matrix4, EulerIsRzRyRx)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> angle(-180, 180);
    for (int i = 0; i < 50; i++) {
        float x = angle(rng), y = angle(rng), z = angle(rng);
        Matrix4 e, rx, ry, rz;
        e.set_euler(x, y, z);
        rx.set_rotation_x(x);
        ry.set_rotation_y(y);
        rz.set_rotation_z(z);
        expect_near(e, rz * ry * rx, 1e-5f);
        Matrix4 ax;
        ax.set_rotation_axis(x, {1, 0, 0});
        expect_near(ax, rx, 1e-5f);
    }
}

TEST(Matrix4, PointsAndDirections)
{
    Matrix4 r, t;
    r.set_rotation_z(90);
    t.set_translation(10, 0, 0);
    Matrix4 m = t * r;
    Vec3f p = m.transform_point({1, 0, 0});
    EXPECT_NEAR(p.x, 10, 1e-6);
    EXPECT_NEAR(p.y, 1, 1e-6);
    Vec3f d = m.rotate_dir({1, 0, 0});
    EXPECT_NEAR(d.y, 1, 1e-6);
    Vec3f back = m.rotate_dir_transposed(d);
    EXPECT_NEAR(back.x, 1, 1e-6);
    Vec3f q = m.untranslate_point(m.translate_point({1, 2, 3}));
    EXPECT_TRUE(vec3_equal(q, {1, 2, 3}));
}

TEST(Vec3f, NormaliseAndRotate)
{
    Vec3f z = {0, 0, 0};
    vec3_normalize(&z);
    EXPECT_TRUE(vec3_equal(z, {0, 0, 0}));
    Vec3f v = vec3_normalized({0, 3, 4});
    EXPECT_FLOAT_EQ(v.y, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    Vec3f r = vec3_rotated_z({1, 0, 0}, 90);
    EXPECT_NEAR(r.x, 0, 1e-6);
    EXPECT_NEAR(r.y, 1, 1e-6);
    r = vec3_rotated_x({0, 1, 0}, 90);
    EXPECT_NEAR(r.z, 1, 1e-6);
    r = vec3_rotated_y({0, 0, 1}, 90);
    EXPECT_NEAR(r.x, 1, 1e-6);
    Vec3f same = {1, 2, 3};
    vec3_rotate_x(&same, 0);
    EXPECT_TRUE(vec3_equal(same, {1, 2, 3}));
    // The axis form agrees with the matrix.
    Vec3f a = vec3_rotated_axis({1, 0, 0}, 90, {0, 0, 2});
    EXPECT_NEAR(a.y, 1, 1e-6);
    Vec3f c = {0, 0, -5};
    vec3_pack_to_rgb(&c);
    EXPECT_TRUE(vec3_equal(c, {0.5f, 0.5f, 0.0f}));
    vec3_scale(&c, 2);
    EXPECT_FLOAT_EQ(c.x, 1.0f);
}

TEST(VecDouble, LengthsAnglesAndStatics)
{
    double a[3] = {1, 0, 0}, b[3] = {0, 2, 0}, out[3];
    vec_cross(1, 0, 0, 0, 1, 0, out);
    EXPECT_EQ(out[2], 1.0);
    EXPECT_NEAR(vec_angle_deg(a, b), 90.0, 1e-5);
    EXPECT_DOUBLE_EQ(vec_angle_rad(a, a), 0.0); // cosine may round past 1
    double c[3] = {0.1, 0.7, 0.3}, c3[3] = {0.3, 2.1, 0.9};
    EXPECT_FALSE(std::isnan(vec_angle_rad(c, c3)));
    double zero[3] = {0, 0, 0};
    EXPECT_EQ(vec_angle_deg(a, zero), 0.0);
    vec_normalize(zero);
    EXPECT_EQ(zero[0], 0.0);
    EXPECT_FALSE(std::isnan(zero[0]));
    EXPECT_DOUBLE_EQ(vec_len3(0, 3, 4), 5.0);
    EXPECT_DOUBLE_EQ(vec_len_sq(b), 4.0);
    EXPECT_DOUBLE_EQ(vec_set_static(b)[1], 1.0);
    double p[3] = {0, 0, 0}, q4[3] = {4, 0, 0}, q6[3] = {0, 6, 0};
    EXPECT_EQ(vec_dist(p, q4), 0.0);
    EXPECT_EQ(vec_dist(p, q6), 6.0);
    EXPECT_EQ(vec_sub(q4, p)[0], 4.0);
}

TEST(VecDouble, HeadingAndCompose)
{
    double a[3] = {1, 1, 0}, b[3] = {2, 1, 5}, out[3];
    vec_heading(a, b, out, 0);
    EXPECT_NEAR(out[0], 2, 1e-12);
    EXPECT_NEAR(out[1], 1, 1e-12);
    vec_heading(a, b, out, M_PI / 2);
    EXPECT_NEAR(out[0], 1, 1e-12);
    EXPECT_NEAR(out[1], 2, 1e-12);
    EXPECT_EQ(out[2], 5.0);
    double on[3] = {1, 1, 9};
    vec_heading(a, on, out, 1.0);
    EXPECT_EQ(out[2], 9.0);
    EXPECT_EQ(out[0], 1.0);

    // A: rotate 90 degrees about z, then move by (1, 2, 3); B: move by (1, 0, 0).
    double A[12] = {0, -1, 0, 1, 1, 0, 0, 2, 0, 0, 1, 3};
    double B[12] = {1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0};
    double C[12];
    mat_compose(A, B, C);
    EXPECT_EQ(C[3], 1.0);
    EXPECT_EQ(C[7], 3.0);
    EXPECT_EQ(C[11], 3.0);
    EXPECT_EQ(C[1], -1.0);

    double p[3] = {1, 1, 1};
    vec_offset_rotated(p, 1, 0, 2, 90, out);
    EXPECT_NEAR(out[0], 1, 1e-12);
    EXPECT_NEAR(out[1], 2, 1e-12);
    EXPECT_NEAR(out[2], 3, 1e-12);
}
