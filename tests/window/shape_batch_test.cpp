#include <GL/glew.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/color_state.h"
#include "render/fighter_look.h"
#include "render/shapes_gl.h"
#include "window/gl_context.h"

namespace {

const float k_pos[3] = {0.2f, -0.1f, 0.9f}, k_axis[3] = {0.5f, -0.7f, 0.4f};
const float k_turn[12] = {0.8f, -0.6f, 0, 0, 0.48f, 0.64f, -0.6f, 0, 0.36f, 0.48f, 0.8f, 0};

// Shape s of kind in the window (cleared first), inside the pass or alone.
std::vector<unsigned char> draw(int s, int kind, void (*begin)(void), void (*end)(void))
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (begin)
        begin();
    const float sides[3] = {1.2f, 0.6f, 0.9f};
    const int half = kind == DRAW_SHADOW ? kind : s == 3 ? DRAW_AXIS_SIDE : DRAW_OPPOSITE;
    s == 0 ? render_sphere(k_pos, k_turn, 0.7f, kind)
    : s == 1 ? render_box(k_pos, k_turn, sides, kind)
    : s == 2 ? render_capsule(k_pos, k_turn, 1.1f, 0.4f, kind)
             : render_hemisphere(k_pos, k_turn, 0.8f, k_axis, half);
    if (end)
        end();
    std::vector<unsigned char> px(128 * 128 * 3);
    glReadPixels(0, 0, 128, 128, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    return px;
}

// The shapes' lists made in a fresh context, the projection set by the
// caller's function, an empty modelview.
void start_shapes(void (*projection)(void))
{
    color_state_set_apply(gl_apply_color);
    shapes_create();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    projection();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The shadow, opaque and see-through passes gather their shapes and draw
// them together: each comes out as it does drawn on its own.
TEST(ShapeBatch, GatheredShapesLookAsDrawnOneByOne)
{
    kxtest::GlContext gl(128, 128);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    start_shapes([] { gluPerspective(50, 1, 0.1, 100); });
    gluLookAt(3, -4, 3, 0, 0, 0.4, 0, 0, 1);
    const float light[4] = {1, 0.4f, 5, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_NORMALIZE, GL_DEPTH_TEST, GL_CULL_FACE})
        glEnable(cap);
    glClearColor(1, 1, 1, 1);
    const struct { int kind; float alpha; void (*begin)(void), (*end)(void); } passes[] = {
        {DRAW_NORMAL, 1, opaque_pass_begin, opaque_pass_end},
        {DRAW_NORMAL, 0.5f, see_through_pass_begin, see_through_pass_end},
        {DRAW_SHADOW, 1, shadow_pass_begin, shadow_pass_end}};
    for (auto p : passes)
        for (int s = 0; s < 5; s++) {
            gl_set_color(0.8f, 0.3f, 0.1f, p.alpha);
            const auto alone = draw(s, p.kind, nullptr, nullptr), gathered = draw(s, p.kind, p.begin, p.end);
            int inked = 0, off = 0;     // off: edge pixels may round the other way
            for (size_t k = 0; k < alone.size(); k++) {
                inked += alone[k] < 210;     // shadows are 0.8 of the white background
                off += std::abs(alone[k] - gathered[k]) > 6;
            }
            EXPECT_GT(inked, 300) << p.kind << " " << p.alpha << " " << s;
            EXPECT_LT(off, 12) << p.kind << " " << p.alpha << " " << s;
        }
    shapes_free();
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}

// A live box drawn as the opaque pass draws it, then its ghost in the
// see-through pass (depth test less, as the fixed path's frame sets it)
// `behind` metres further along the view: of the live box's pixels, those
// the ghost does not tint.
long untinted_live_pixels(float distance, float behind, long *live)
{
    kxtest::view_along_y(1);
    glDepthFunc(GL_LESS);
    const float turn[12] = {0.8f, -0.6f, 0, 0, 0.6f, 0.8f, 0, 0, 0, 0, 1, 0};
    const float sides[3] = {0.3f * distance, 0.3f * distance, 0.3f * distance};
    const float at[3] = {0, distance, 0}, ghost_at[3] = {0, distance + behind, 0};
    opaque_pass_begin();
    gl_set_color(1, 0, 0, 1);
    render_box(at, turn, sides, DRAW_NORMAL);
    opaque_pass_end();
    std::vector<unsigned char> before(128 * 128 * 3), after(128 * 128 * 3);
    glReadPixels(0, 0, 128, 128, GL_RGB, GL_UNSIGNED_BYTE, before.data());
    see_through_pass_begin();
    gl_set_color(0, 1, 0, 0.5f);
    render_box(ghost_at, turn, sides, DRAW_NORMAL);
    see_through_pass_end();
    glReadPixels(0, 0, 128, 128, GL_RGB, GL_UNSIGNED_BYTE, after.data());
    long missing = 0;
    *live = 0;
    for (size_t i = 0; i < before.size(); i += 3)
        if (before[i] > 0) {
            ++*live;
            missing += after[i] == before[i] && after[i + 1] == before[i + 1] && after[i + 2] == before[i + 2];
        }
    return missing;
}

// On the fixed path too a ghost lying on its live shape within a hair tints
// every pixel of it, at any distance, never in stripes or not at all; one
// that moved away behind it stays hidden, one in front shows whole. The
// pass leaves the projection as it found it.
TEST(ShapeBatch, AGhostOnItsShapeTintsItWholeAndOneBehindItStaysHidden)
{
    kxtest::GlContext gl(128, 128);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    start_shapes([] {});
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_NORMALIZE, GL_DEPTH_TEST, GL_CULL_FACE, GL_COLOR_MATERIAL})
        glEnable(cap);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (float distance : {0.5f, 2.0f, 8.0f, 30.0f}) {
        SCOPED_TRACE("at " + std::to_string(distance) + " m");
        long live = 0;
        for (float hair : {0.0f, 3e-5f, -3e-5f}) {
            EXPECT_EQ(untinted_live_pixels(distance, hair, &live), 0) << "hair " << hair;
            EXPECT_GT(live, 128 * 128 / 20);
        }
        EXPECT_EQ(untinted_live_pixels(distance, 0.02f * distance, &live), live);
        EXPECT_EQ(untinted_live_pixels(distance, -0.02f * distance, &live), 0);
    }
    GLdouble projection[16], expected[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50, 1, 0.1, 1000);
    glGetDoublev(GL_PROJECTION_MATRIX, expected);
    glMatrixMode(GL_MODELVIEW);
    for (int k = 0; k < 16; k++)
        EXPECT_EQ(projection[k], expected[k]) << k;
    shapes_free();
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}

} // namespace

namespace {

struct FedTriangle {
    float p[3][3];      // object coordinates
    float rgb[3][3];
};

// What a drawer sends down the pipeline, read back in feedback mode under
// an orthographic view of the cube -2..2 (window coordinates mapped back).
std::vector<FedTriangle> feed(void (*draw)(void))
{
    std::vector<GLfloat> buf(1 << 20);
    glFeedbackBuffer((GLsizei)buf.size(), GL_3D_COLOR, buf.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint n = glRenderMode(GL_RENDER);
    std::vector<FedTriangle> out;
    for (GLint k = 0; k < n;) {
        const GLint token = (GLint)buf[k++];
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        const int count = (int)buf[k++];
        EXPECT_EQ(count, 3);
        FedTriangle t = {};
        for (int v = 0; v < count; v++, k += 7) {
            if (v >= 3)
                continue;
            t.p[v][0] = buf[k] / 128 * 4 - 2;
            t.p[v][1] = buf[k + 1] / 128 * 4 - 2;
            t.p[v][2] = 2 - 4 * buf[k + 2];
            for (int c = 0; c < 3; c++)
                t.rgb[v][c] = buf[k + 3 + c];
        }
        out.push_back(t);
    }
    return out;
}

double area(const FedTriangle &t)
{
    double u[3], w[3];
    for (int c = 0; c < 3; c++) {
        u[c] = t.p[1][c] - t.p[0][c];
        w[c] = t.p[2][c] - t.p[0][c];
    }
    const double x = u[1] * w[2] - u[2] * w[1], y = u[2] * w[0] - u[0] * w[2], z = u[0] * w[1] - u[1] * w[0];
    return 0.5 * std::sqrt(x * x + y * y + z * z);
}

const float k_origin[3] = {0, 0, 0};
const float k_identity3x4[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

} // namespace

// The plain sphere is the icosahedron with each face cut into four twice
// (320 faces, every corner on the sphere, smoothly lit); a joint's half is
// that sphere cut through its centre, flat-lit, nothing beyond the cut.
TEST(ShapeBatch, PlainSphereIsTheTwiceCutIcosahedronAndHalvesAreItsFlatCut)
{
    kxtest::GlContext gl(128, 128);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    start_shapes([] { glOrtho(-2, 2, -2, 2, -2, 2); });
    const float light[4] = {0.3f, 0.5f, 1, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_NORMALIZE, GL_DEPTH_TEST})
        glEnable(cap);
    glDisable(GL_CULL_FACE);
    gl_set_color(0.8f, 0.3f, 0.1f, 1);

    const auto sphere = feed([] { render_sphere(k_origin, k_identity3x4, 1, DRAW_NORMAL); });
    ASSERT_EQ(sphere.size(), 320u);
    double total = 0;
    int smooth = 0;
    for (const FedTriangle &t : sphere) {
        for (const auto &p : t.p)
            EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 1, 0.02);
        total += area(t);
        smooth += std::fabs(t.rgb[0][0] - t.rgb[1][0]) > 1e-3f || std::fabs(t.rgb[0][0] - t.rgb[2][0]) > 1e-3f;
    }
    EXPECT_NEAR(total, 4 * M_PI, 0.4);
    EXPECT_GT(smooth, 100);

    const auto half = feed([] {
        const float up[3] = {0, 0, 1};
        render_hemisphere(k_origin, k_identity3x4, 1, up, DRAW_OPPOSITE);
    });
    ASSERT_GT(half.size(), 160u);
    double half_area = 0;
    int shades = 0;
    float last = -1;
    for (const FedTriangle &t : half) {
        for (const auto &p : t.p)
            EXPECT_GT(p[2], -0.02f);
        for (int v = 1; v < 3; v++)
            for (int c = 0; c < 3; c++)
                EXPECT_NEAR(t.rgb[v][c], t.rgb[0][c], 1e-4f);
        shades += std::fabs(t.rgb[0][0] - last) > 1e-3f;
        last = t.rgb[0][0];
        half_area += area(t);
    }
    EXPECT_NEAR(half_area, total / 2, 0.05 * total);
    EXPECT_GT(shades, 50);
    shapes_free();
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}
