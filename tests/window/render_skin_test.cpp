#include <GL/glew.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/base/options.h"
#include "app/camera.h"
#include "app/scene_gl.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/world_build.h"
#include "gui/boxed_text_gl.h"
#include "gui/truetype_font_gl.h"
#include "render/color_state.h"
#include "render/fighter_draw_gl.h"
#include "render/fighter_look.h"
#include "render/fighter_skin_gl.h"
#include "render/fighter_textures.h"
#include "render/graphics_gl.h"
#include "render/screen_points.h"
#include "render/shapes_gl.h"
#include "support/test_support.h"
#include "window/gl_context.h"

// Fighters wearing textures, bump maps and shine, the points the HUD writes
// beside, and boxed text, drawn in a real GL context.
namespace {

enum { W = 160, H = 160 };
float g_alpha = 1;

struct SkinScene {
    kxtest::GlContext gl{W, H};
    SkinScene()
    {
        // Opaque fighters with no shine, whatever an earlier test drew.
        g_alpha = 1;
        for (int i = 0; i < FIGHTER_TEXTURE_PLAYERS; i++)
            set_fighter_draw_flags(i, 0, 0);
        init_game();
        fill_default_rules(0, get_next_match_rules());
        reset_game();
        camera_defaults();
        option_set(OPT_WIDTH, W);
        option_set(OPT_HEIGHT, H);
        gl_init_state();
        init_graphics();
        fighter_textures_init();
    }
    ~SkinScene()
    {
        EXPECT_EQ(gl.errors(), 0) << gl.last_error();
        fighter_textures_free();
        free_graphics();
        free_game();
    }
    // Fighter 0's bodies drawn as a frame draws them (or the whole frame);
    // the pixel where its head's centre, raised by `side`, projects.
    void head(float *rgb, float side = 0, void (*tick)(int) = nullptr)
    {
        MainLoopCallbacks cb = {};
        cb.tick = tick ? tick : [](int) { draw_fighter_bodies(get_game_state(), 0, DRAW_NORMAL, g_alpha); };
        setup_scene(W, H, &cb, 0);
        const dReal *p = dBodyGetPosition(get_player(0)->bodies[0]);
        double s[3];
        ASSERT_EQ(world_to_screen((float)p[0], (float)p[1], (float)(p[2] + side), s), 0);
        pixel((int)s[0], H - 1 - (int)s[1], rgb);
    }
    static void pixel(int x, int y, float *rgb)
    {
        unsigned char c[3];
        glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, c);
        rgb[0] = c[0] / 255.0f, rgb[1] = c[1] / 255.0f, rgb[2] = c[2] / 255.0f;
    }
};

// The light (0..3 a pixel) in a box of window pixels, y down.
float light_in(int x, int y, int w, int h)
{
    std::vector<unsigned char> px((size_t)w * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, H - y - h, w, h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    float sum = 0;
    for (unsigned char c : px)
        sum += c / 255.0f;
    return sum;
}

void fill(Texture *t, float r, float g, float b)
{
    const float c[3] = {r, g, b};
    texture_make_gradient_small(t, c, c);
}

class RenderSkin : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(s.gl.ok()) << s.gl.last_error(); }
    SkinScene s;
};

} // namespace

// Head frames 0..3 loaded (red, green, blue, red): one frame every 10 match
// frames, stepped down to a loaded one.
TEST_F(RenderSkin, AnimatedHeadShowsTheFrameOfTheMatchFrame)
{
    const float colours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    for (int f = 0; f < 4; f++)
        fill(&fighter_textures(0)->head_frame[f], colours[f][0], colours[f][1], colours[f][2]);
    option_set(OPT_ANIMATEDHEAD, 1);
    const struct { int frame, channel; } cases[] = {{25, 2}, {60, 0}, {15, 1}, {5, 0}};
    for (const auto &c : cases) {
        get_game_state()->frame = c.frame;
        float at[3];
        s.head(at);
        EXPECT_GT(at[c.channel], 0.5f) << c.frame;
        EXPECT_LT(at[0] + at[1] + at[2] - at[c.channel], 0.2f) << c.frame;
    }
}

// A bump map decides the light: a flat one shows the colour texture, one
// whose normals point away leaves the head dark.
TEST_F(RenderSkin, BumpMappedHeadIsLitByItsNormals)
{
    ASSERT_TRUE(bump_mapping_supported());
    fill(&fighter_textures(0)->body[0], 0, 1, 0);
    float flat[3], away[3];
    fill(&fighter_textures(0)->body_bump[0], 0.5f, 0.5f, 1);
    s.head(flat);
    fill(&fighter_textures(0)->body_bump[0], 0, 0, 0);
    s.head(away);
    EXPECT_GT(flat[1], 0.5f);
    EXPECT_LT(flat[0] + flat[2], 0.3f);
    EXPECT_LT(away[1], 0.15f);
}

// A shiny opaque head brightens towards its rim; drawn see-through, its
// flags make no difference.
TEST_F(RenderSkin, ShineBrightensOnlyOpaqueShinyShapes)
{
    const float side = 0.8f * (float)dGeomSphereGetRadius(get_player(0)->body_geoms[0]);
    for (float alpha : {1.0f, 0.5f}) {
        float rim[2][3];
        g_alpha = alpha;
        for (int flags : {0, 1}) {
            set_fighter_draw_flags(0, 0, flags);
            s.head(rim[flags], side);
        }
        const float gain = rim[1][1] - rim[0][1];
        EXPECT_TRUE(alpha == 1 ? gain > 0.15f : gain == 0) << alpha << ": " << rim[0][1] << " -> " << rim[1][1];
    }
}

// Shiny bodies drawn inside an opaque pass wait for its end and are drawn
// together; the picture is the one each draws alone, and the shine shows on
// it. Only where two bodies' faces meet at one depth may the other one win
// (a few pixels: the gathered vertices are placed in the world first).
TEST_F(RenderSkin, GatheredShineDrawsWhatEachShapeDrawsAlone)
{
    auto frame = [&](bool gathered, int flags) {
        set_fighter_draw_flags(0, flags, flags);
        MainLoopCallbacks cb = {};
        cb.tick = gathered ? [](int) {
            opaque_pass_begin();
            draw_fighter_bodies(get_game_state(), 0, DRAW_NORMAL, 1);
            opaque_pass_end();
        } : [](int) { draw_fighter_bodies(get_game_state(), 0, DRAW_NORMAL, 1); };
        setup_scene(W, H, &cb, 0);
        std::vector<unsigned char> px(W * H * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, px.data());
        return px;
    };
    const std::vector<unsigned char> alone = frame(false, 1), gathered = frame(true, 1), plain = frame(true, 0);
    int differ = 0, shone = 0, worst = 0;
    for (size_t i = 0; i < alone.size(); i++) {
        const int d = std::abs(alone[i] - gathered[i]);
        worst = std::max(worst, d);
        differ += d > 4;
        shone += gathered[i] != plain[i];
    }
    EXPECT_LE(differ, (int)alone.size() / 250) << "worst " << worst;
    EXPECT_GT(shone, (int)alone.size() / 100);
}

// After a drawn frame each fighter's label point stands above its head (an
// emote shows there), and the altimeter's point is where the highest body
// projects.
TEST_F(RenderSkin, FrameRefreshesTheLabelAndAltimeterPoints)
{
    option_set(OPT_ALTIMETER, 1);
    float unused[3];
    s.head(unused, 0, draw_frame);
    double at[3];
    for (int f = 0; f < 2; f++) {
        const dReal *head = dBodyGetPosition(get_player(f)->bodies[0]);
        ASSERT_EQ(world_to_screen((float)head[0], (float)head[1], (float)head[2], at), 0);
        ASSERT_TRUE(label_point(f)->valid);
        EXPECT_NEAR(label_point(f)->x, at[0], 3);
        EXPECT_LT(label_point(f)->y, at[1] - 2);
    }
    const FrameMax *m = get_frame_max(MAX_HEIGHT_FRAME);
    const dReal *top = dBodyGetPosition(get_player(m->fighter)->bodies[m->body]);
    ASSERT_EQ(world_to_screen((float)top[0], (float)top[1], (float)top[2], at), 0);
    ASSERT_TRUE(altimeter_point()->valid);
    EXPECT_NEAR(altimeter_point()->x, at[0], 0.5);
    EXPECT_NEAR(altimeter_point()->y, at[1], 0.5);
    // An emote is written just over the label point.
    kxtest::ScopedChdir cd(KX_RUN_DIR);
    ASSERT_EQ(init_font_ttf(), 0);
    float light[2];
    for (int k = 0; k < 2; k++) {
        set_player_emote(0, k ? "HEY" : "", 1000);
        s.head(unused, 0, draw_frame);
        light[k] = light_in((int)label_point(0)->x - 24, (int)label_point(0)->y - 16, 48, 16);
    }
    EXPECT_LT(light[1], light[0] - 40);
    free_fonts();
}

// Boxed text wraps to its box's width and stops at its height; a text
// longer than the conversion buffer is cut, and no text leaves no ink.
TEST_F(RenderSkin, BoxedTextWrapsWithinItsBox)
{
    kxtest::ScopedChdir cd(KX_RUN_DIR);
    ASSERT_EQ(init_font_ttf(), 0);
    const int lh = font_height(FONT_NORMAL);
    const std::string endless(5000, 'w');
    // Box width and height in lines; the lines that show ink.
    const struct { const char *text; int width, lines, inked; } cases[] = {
        {"one two three four five six seven eight", 60, 2, 2}, {"one two three four", 150, 10, 1},
        {"one\ntwo", 150, 10, 2}, {endless.c_str(), 150, 3, 3}, {nullptr, 150, 10, 0}};
    for (const auto &c : cases) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        push_ortho();
        set_color_index(1);
        render_boxed_text(c.text, 0, 0, (float)c.width, (float)(c.lines * lh), (float)lh, FONT_NORMAL);
        pop_ortho();
        if (c.inked) {
            EXPECT_GT(light_in(0, (c.inked - 1) * lh, W, lh), 0) << c.inked;
        }
        EXPECT_EQ(light_in(0, c.inked * lh, W, H - c.inked * lh), 0) << c.inked;
    }
    free_fonts();
}
