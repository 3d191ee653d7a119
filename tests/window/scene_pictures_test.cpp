#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/base/options.h"
#include "app/camera.h"
#include "app/program.h"
#include "app/scene_gl.h"
#include "app/services/settings_io.h"
#include "app/tick.h"
#include "game/blood.h"
#include "game/game_resets.h"
#include "gui/services/menu_state.h"
#include "gui/truetype_font_gl.h"
#include "render/floor_patches.h"
#include "render/graphics_gl.h"
#include "render/render_targets_gl.h"
#include "render/shader_table.h"
#include "render/scene_gl_state_gl.h"
#include "render/sky_gl.h"
#include "render/world_shader.h"
#include "render/world_shader_file.h"
#include "support/test_support.h"
#include "window/game_window.h"

// The default match drawn by the program's own frame through both drawing
// paths, read back from a real GL context (Mesa under Xvfb).
namespace {

struct ScenePictures : kxtest::GameWindow {
    CameraState camera;   // every frame from the same eye
    ScenePictures()
        : GameWindow(320, 240,
                     {OPT_REFLECTION, OPT_FLUID, OPT_SOFTSHADOW, OPT_AMBIENTOCCLUSION, OPT_BUMPMAPPING,
                      OPT_MOTIONBLUR, OPT_DEPTHOFFIELD, OPT_ANAGLYPHIC, OPT_RAYTRACING, OPT_BLOODSTAINS,
                      OPT_SHADERS, OPT_HUD, OPT_PARTICLES, OPT_TRAILS})
    {
        if (!ok)
            return;
        init_graphics();
        apply_world_shader_slot();
        reset_game();
        camera = *get_camera();
    }
    // The path the next frames take, as a video reset makes it.
    void path(int shaders)
    {
        option_set(OPT_SHADERS, shaders);
        free_graphics();
        init_graphics();
        ASSERT_EQ(shaders_active(), shaders);
    }
    void frame(std::vector<unsigned char> *rgb, std::vector<float> *depth)
    {
        MainLoopCallbacks cb = {};
        cb.tick = draw_frame;
        *get_camera() = camera;
        setup_scene(w, h, &cb, 0);
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (rgb) {
            rgb->resize((size_t)w * h * 3);
            glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb->data());
        }
        if (depth) {
            depth->resize((size_t)w * h);
            glReadPixels(0, 0, w, h, GL_DEPTH_COMPONENT, GL_FLOAT, depth->data());
        }
    }
    // Both fighters drawn (1) or left out (0).
    void show_fighters(int shown)
    {
        option_set(OPT_VAKO, shown);
        option_set(OPT_ZUD, shown);
    }
    // The fighters' pixels: where the depth with them differs from the
    // depth without them.
    std::vector<bool> silhouette()
    {
        std::vector<float> with, without;
        frame(nullptr, &with);
        show_fighters(0);
        frame(nullptr, &without);
        show_fighters(1);
        std::vector<bool> s(with.size());
        for (size_t i = 0; i < s.size(); i++)
            s[i] = std::fabs(with[i] - without[i]) > 1e-5f;
        return s;
    }
    // Window pixel (x, y from the bottom) of a floor point, and back.
    bool floor_point(int x, int y, float *p)
    {
        double a[3], b[3];
        unproject_cursor((float)x, (float)(h - 1 - y), a, b);
        if (!(a[2] > 0 && b[2] < 0))
            return false;
        const double t = a[2] / (a[2] - b[2]);
        for (int k = 0; k < 3; k++)
            p[k] = (float)(a[k] + (b[k] - a[k]) * t);
        return true;
    }
    const unsigned char *at(const std::vector<unsigned char> &rgb, int x, int y)
    {
        return &rgb[((size_t)y * w + x) * 3];
    }
};

TEST(ScenePictures, BothPathsDrawTheSameFighterSilhouettes)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    const std::vector<bool> fixed = s.silhouette();
    s.path(1);
    const std::vector<bool> shader = s.silhouette();
    long both = 0, either = 0;
    for (size_t i = 0; i < fixed.size(); i++) {
        both += fixed[i] && shader[i];
        either += fixed[i] || shader[i];
    }
    ASSERT_GT(either, 1000);   // the fighters cover a good part of the window
    EXPECT_GE((double)both / either, 0.9) << both << " of " << either;
}

// Against a black background the fog only darkens: a floor pixel at
// distance d from the eye keeps exp(d w) of its colour, w = 1 / (fog
// distance ln 0.5).
TEST(ScenePictures, FogDarkensTheFloorWithDistance)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    s.path(1);
    set_background(WS_BACKGROUND_COLOR, 0, 0, 0);
    set_background(WS_FOG_DISTANCE, 6, 0, 0);
    s.show_fighters(0);
    std::vector<unsigned char> rgb;
    s.frame(&rgb, nullptr);
    const float *floor = world_shader_value(WS_FLOOR_COLOR), *amb = world_shader_value(WS_AMBIENT_COLOR);
    const float *eye = get_camera()->eye;
    const float wgt = 1 / (6 * std::log(0.5f));
    int checked = 0;
    float nearest = 1e9f, farthest = 0;
    for (int y = 0; y < s.h; y += 7)
        for (int x = 0; x < s.w; x += 11) {
            float p[3];
            if (!s.floor_point(x, y, p))
                continue;
            const float d = std::sqrt((p[0] - eye[0]) * (p[0] - eye[0]) + (p[1] - eye[1]) * (p[1] - eye[1]) +
                                      (p[2] - eye[2]) * (p[2] - eye[2]));
            const float fog = std::exp(d * wgt);
            for (int k = 0; k < 3; k++)
                EXPECT_NEAR(s.at(rgb, x, y)[k], 255 * amb[k] * floor[k] * fog, 4) << x << "," << y << " d " << d;
            nearest = std::fmin(nearest, d);
            farthest = std::fmax(farthest, d);
            checked++;
        }
    EXPECT_GT(checked, 100);
    EXPECT_GT(farthest, nearest + 6);   // over more than one halving
}

// The occluders the fighters leave on the shader path darken the floor at
// their feet when soft shadows are on.
TEST(ScenePictures, OccludersDarkenTheFloorNearThem)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    s.path(1);
    std::vector<unsigned char> plain, shaded;
    s.frame(&plain, nullptr);
    option_set(OPT_SOFTSHADOW, 1);
    s.path(1);
    s.frame(&shaded, nullptr);
    long darker = 0, lighter = 0;
    for (size_t i = 0; i < plain.size(); i += 3) {
        const int a = plain[i] + plain[i + 1] + plain[i + 2], b = shaded[i] + shaded[i + 1] + shaded[i + 2];
        darker += b < a - 15;
        lighter += b > a + 15;
    }
    EXPECT_GT(darker, 200);
    EXPECT_EQ(lighter, 0);
}

// A stain painted on the floor reddens the floor under it on the next
// frame, and a new game starts on a clean floor.
TEST(ScenePictures, AFloorStainReddensTheFloorUnderIt)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    option_set(OPT_BLOODSTAINS, 1);
    s.path(1);
    s.show_fighters(0);
    std::vector<unsigned char> clean, stained, again;
    s.frame(&clean, nullptr);
    const int x = s.w / 2, y = s.h / 4;
    float p[3];
    ASSERT_TRUE(s.floor_point(x, y, p));
    const float still[3] = {0, 0, 0}, red[3] = {0.8f, 0.05f, 0.05f};
    add_floor_patch(p, still, 0.3f, red);
    s.frame(&stained, nullptr);
    const unsigned char *a = s.at(clean, x, y), *b = s.at(stained, x, y);
    EXPECT_GT(b[0] - (b[1] + b[2]) / 2, a[0] - (a[1] + a[2]) / 2 + 60)
        << (int)a[0] << "," << (int)a[1] << "," << (int)a[2] << " -> " << (int)b[0] << "," << (int)b[1] << ","
        << (int)b[2];
    reset_game();
    EXPECT_TRUE(floor_patch_map().empty());
    s.frame(&again, nullptr);
    for (int k = 0; k < 3; k++)
        EXPECT_NEAR(s.at(again, x, y)[k], a[k], 2);
}

// Fluid blood: a strand of drops in the air drawn from the blood queue in
// the drops' colour, over the white background.
TEST(ScenePictures, FluidBloodShowsWhereItsDropsAre)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    option_set(OPT_FLUID, 1);
    option_set(OPT_BLOOD, 1);
    s.path(1);
    for (int i = 0; i < 30; i++)
        spawn_blood(0, 1, 1.5 + 0.01 * i, -1.5, 1.6 + 0.005 * i);
    std::vector<unsigned char> px;
    s.frame(&px, nullptr);
    int red = 0;
    for (int i = 0; i < 30; i++) {
        const BloodDrop *d = get_blood_drop(i);
        const dReal *q = dBodyGetPosition(d->body);
        double at[3];   // drops are drawn a little lower than their bodies
        ASSERT_EQ(world_to_screen((float)q[0], (float)q[1], (float)q[2] - 0.1f + d->size, at), 0);
        const unsigned char *c = s.at(px, (int)(at[0] + 0.5), s.h - 1 - (int)(at[1] + 0.5));
        red += c[0] > 100 && c[1] < 90 && c[2] < 110;
    }
    EXPECT_GT(red, 20);
}

// With ambient occlusion on, each shape is darkened by the occluders the
// fighters leave around it: their pixels only get darker.
TEST(ScenePictures, AmbientOcclusionDarkensTheFighters)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    s.path(1);
    const std::vector<bool> fighters = s.silhouette();
    std::vector<unsigned char> plain, occluded;
    s.frame(&plain, nullptr);
    option_set(OPT_AMBIENTOCCLUSION, 1);
    s.path(1);
    ASSERT_EQ(option_get(OPT_AMBIENTOCCLUSION), 1);
    s.frame(&occluded, nullptr);
    long darker = 0, lighter = 0;
    for (size_t i = 0; i < fighters.size(); i++) {
        if (!fighters[i])
            continue;
        const int a = plain[3 * i] + plain[3 * i + 1] + plain[3 * i + 2];
        const int b = occluded[3 * i] + occluded[3 * i + 1] + occluded[3 * i + 2];
        darker += b < a - 15;
        lighter += b > a + 15;
    }
    EXPECT_GT(darker, 300);
    EXPECT_LT(lighter, darker / 50);
}

// Sharp shadows: the fighters' shadow volumes darken the floor by the
// sun's light (each floor pixel once, however many volumes cover it), and
// the sun lights the fighters where no volume covers them.
TEST(ScenePictures, SharpShadowsDarkenTheFloorOnceAndSunlightTheFighters)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    s.path(1);
    const std::vector<bool> fighters = s.silhouette();
    set_background(WS_AMBIENT_COLOR, 0.5f, 0.5f, 0.5f);
    set_background(WS_SUNSHINE_COLOR, 0.5f, 0.5f, 0.5f);
    set_background(WS_SUN_LIGHT_DIR, 0.3f, 0.4f, 1);
    std::vector<unsigned char> plain, shadowed;
    s.frame(&plain, nullptr);
    set_background(WS_SHARP_SHADOW, 1, 0, 0);
    s.frame(&shadowed, nullptr);
    // The floor lit by the sun is brighter than the plain (ambient) floor;
    // in a shadow it is the plain floor again, never darker.
    long lit = 0, sunny_floor = 0, shadow = 0, twice = 0;
    for (size_t i = 0; i < fighters.size(); i++) {
        const int a = plain[3 * i], b = shadowed[3 * i];
        if (fighters[i]) {
            lit += b > a + 10;
            continue;
        }
        float p[3];
        if (!s.floor_point((int)(i % s.w), (int)(i / s.w), p) || std::hypot(p[0], p[1]) > 4)
            continue;
        sunny_floor += b > a + 40;
        shadow += std::abs(b - a) <= 4;
        twice += b < a - 20;
    }
    EXPECT_GT(lit, 500);
    EXPECT_GT(sunny_floor, 1000);
    EXPECT_GT(shadow, 300);
    EXPECT_EQ(twice, 0);
}

// Mirror images show below the floor only with reflections on: without
// them the fighters change nothing outside their own pixels.
TEST(ScenePictures, MirrorImagesOnlyWithReflectionsOn)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    long outside[2];
    s.path(1);
    const std::vector<bool> fighters = s.silhouette();   // their mirror images write depth too
    for (int on = 0; on < 2; on++) {
        option_set(OPT_REFLECTION, on);
        s.path(1);
        std::vector<unsigned char> with, without;
        s.frame(&with, nullptr);
        s.show_fighters(0);
        s.frame(&without, nullptr);
        s.show_fighters(1);
        outside[on] = 0;
        for (size_t i = 0; i < fighters.size(); i++)
            if (!fighters[i])
                for (int k = 0; k < 3; k++)
                    outside[on] += std::abs(with[3 * i + k] - without[3 * i + k]) > 3;
    }
    EXPECT_EQ(outside[0], 0);
    EXPECT_GT(outside[1], 500);
}

// The look the game starts with, as a player sees it on the shader path,
// with and without reflections: the floor near the fighters keeps its own
// colour (not washed out to white by the sky's mirror image), the sky above
// the horizon is the background, the fighters' soft shadows darken the
// floor at their feet, and the mirror's colour tints what the floor
// reflects (black: the floor darkens).
TEST(ScenePictures, TheStartingLookShowsFloorHorizonAndShadows)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    option_set(OPT_SOFTSHADOW, 1);
    const float *bg = world_shader_value(WS_BACKGROUND_COLOR);
    const float *eye = get_camera()->eye;
    double near_red[2] = {0, 0};
    for (int reflection = 0; reflection < 2; reflection++) {
        SCOPED_TRACE(reflection ? "reflections on" : "reflections off");
        option_set(OPT_REFLECTION, reflection);
        s.path(1);
        const std::vector<bool> fighters = s.silhouette();
        std::vector<unsigned char> with, without;
        s.frame(&with, nullptr);
        s.show_fighters(0);
        s.frame(&without, nullptr);
        s.show_fighters(1);
        long floor_px = 0, washed = 0, sky_px = 0, sky_off = 0, shaded = 0;
        double red = 0;
        for (int y = 0; y < s.h; y++)
            for (int x = 0; x < s.w; x++) {
                const size_t i = (size_t)y * s.w + x;
                if (fighters[i])
                    continue;
                const unsigned char *a = s.at(with, x, y), *b = s.at(without, x, y);
                float p[3];
                if (!s.floor_point(x, y, p)) {
                    sky_px++;
                    for (int k = 0; k < 3; k++)
                        sky_off += std::abs(a[k] - (int)(255 * bg[k] + 0.5f)) > 3;
                    continue;
                }
                const float d = std::hypot(std::hypot(p[0] - eye[0], p[1] - eye[1]), p[2] - eye[2]);
                if (d > 10)
                    continue;
                floor_px++;
                washed += a[0] > 250 && a[1] > 250 && a[2] > 250;
                red += a[0];
                shaded += a[0] + a[1] + a[2] < b[0] + b[1] + b[2] - 15;
            }
        ASSERT_GT(floor_px, 1000);
        ASSERT_GT(sky_px, 1000);
        near_red[reflection] = red / floor_px;
        EXPECT_EQ(washed, 0) << "of " << floor_px;
        EXPECT_LT(near_red[reflection], 255 * bg[0] - 8);   // below the horizon it is floor, not sky
        EXPECT_EQ(sky_off, 0) << "of " << sky_px;
        EXPECT_GT(shaded, 200);
    }
    // The mirror's colour tints the reflected sky: black takes it away.
    std::vector<unsigned char> tinted, black;
    s.frame(&tinted, nullptr);
    set_background_and_apply(WS_MIRROR_COLOR, 0, 0, 0, 0);
    s.frame(&black, nullptr);
    long darker = 0, lighter = 0;
    for (int y = 0; y < s.h / 3; y++)   // the nearest floor, at the window's bottom
        for (int x = 0; x < s.w; x++) {
            const unsigned char *a = s.at(tinted, x, y), *b = s.at(black, x, y);
            darker += b[0] + b[1] + b[2] < a[0] + a[1] + a[2] - 30;
            lighter += b[0] + b[1] + b[2] > a[0] + a[1] + a[2] + 3;
        }
    EXPECT_GT(darker, s.w * s.h / 6);
    EXPECT_EQ(lighter, 0);
}

// Values that would make NaN in the programs: no sun direction (with sharp
// shadows, which scale by the sun's height) and a fog distance of 0 (all
// fog: the floor takes the background's colour).
TEST(ScenePictures, NoSunAndNoFogDistanceStillDraw)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    s.path(1);
    set_background(WS_SHARP_SHADOW, 1, 0, 0);
    set_background(WS_SUNSHINE_COLOR, 0.75f, 0.45f, 0);
    set_background_and_apply(WS_SUN_LIGHT_DIR, 0, 0, 0, 0);
    set_background(WS_FOG_DISTANCE, 0, 0, 0);
    set_background(WS_BACKGROUND_COLOR, 0.2f, 0.4f, 0.6f);
    std::vector<unsigned char> px;
    s.frame(&px, nullptr);
    float p[3];
    ASSERT_TRUE(s.floor_point(5, 5, p));
    EXPECT_NEAR(s.at(px, 5, 5)[0], 51, 2);
    EXPECT_NEAR(s.at(px, 5, 5)[1], 102, 2);
    EXPECT_NEAR(s.at(px, 5, 5)[2], 153, 2);
}

// Without its sky each shipped look shows its own background above the
// floor, which fades into it at the horizon without a seam.
TEST(ScenePictures, EachShippedLookWithoutItsSkyShowsItsBackground)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    s.path(1);
    s.show_fighters(0);
    // A look may set the interface's text colours (colour-table rows):
    // kept here and given back at the end.
    float kept[WORLD_SHADER_PARAMS - WS_FIRST_TEXT_COLOR][4];
    for (int id = WS_FIRST_TEXT_COLOR; id < WORLD_SHADER_PARAMS; id++)
        get_shader(id, kept[id - WS_FIRST_TEXT_COLOR]);
    std::filesystem::create_directories("data/shader");
    for (const char *look : {"default", "dusk", "overcast"}) {
        SCOPED_TRACE(look);
        const std::string file = std::string("data/shader/") + look + ".inc";
        std::filesystem::copy_file(std::string(KX_RUN_DIR) + "/" + file, file);
        ASSERT_EQ(load_world_shader(file.c_str()), 0);
        set_background_and_apply(WS_SKY_ON, 0, 0, 0, 0);
        int want[3];
        for (int k = 0; k < 3; k++)
            want[k] = (int)(255 * world_shader_value(WS_BACKGROUND_COLOR)[k] + 0.5f);
        std::vector<unsigned char> rgb;
        s.frame(&rgb, nullptr);
        long sky_px = 0, sky_off = 0, seam = 0;
        for (int x = 0; x < s.w; x++) {
            int horizon = -1;   // the highest floor row of the column (rows from the bottom)
            for (int y = 0; y < s.h; y++) {
                float p[3];
                const unsigned char *c = s.at(rgb, x, y);
                if (s.floor_point(x, y, p)) {
                    horizon = y;
                    continue;
                }
                sky_px++;
                for (int k = 0; k < 3; k++)
                    sky_off += std::abs(c[k] - want[k]) > 3;
            }
            if (horizon >= 0)
                for (int k = 0; k < 3; k++)
                    seam += std::abs(s.at(rgb, x, horizon)[k] - want[k]) > 6;
        }
        ASSERT_GT(sky_px, 1000);
        EXPECT_EQ(sky_off, 0) << "of " << sky_px << "; top left " << (int)s.at(rgb, 0, s.h - 1)[0] << " "
                              << (int)s.at(rgb, 0, s.h - 1)[1] << " " << (int)s.at(rgb, 0, s.h - 1)[2];
        EXPECT_EQ(seam, 0);
    }
    for (int id = WS_FIRST_TEXT_COLOR; id < WORLD_SHADER_PARAMS; id++) {
        const float *v = kept[id - WS_FIRST_TEXT_COLOR];
        set_background(id, v[0], v[1], v[2]);
    }
    apply_world_shader_slot();
}

// When the quarter-size target of the soft shadows cannot be made (here a
// window too low for it: a quarter of 3 rows is none), the floor is still
// drawn, lit as it is without soft shadows.
TEST(ScenePictures, WithoutTheSoftShadowTargetTheFloorStillDraws)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    s.show_fighters(0);
    s.path(1);
    ASSERT_GT(render_target_count(), 0);
    std::vector<unsigned char> with, without;
    s.frame(&with, nullptr);
    option_set(OPT_HEIGHT, 3);
    s.path(1);
    option_set(OPT_HEIGHT, s.h);
    ASSERT_EQ(render_target_count(), 0);
    s.frame(&without, nullptr);
    long floor_px = 0, differ = 0;
    for (int y = 0; y < s.h; y++)
        for (int x = 0; x < s.w; x++) {
            float p[3];
            if (!s.floor_point(x, y, p))
                continue;
            floor_px++;
            for (int k = 0; k < 3; k++)
                differ += std::abs(s.at(with, x, y)[k] - s.at(without, x, y)[k]) > 3;
        }
    ASSERT_GT(floor_px, 1000);
    EXPECT_EQ(differ, 0) << "of " << floor_px << "; bottom middle " << (int)s.at(without, s.w / 2, 0)[0] << " "
                         << (int)s.at(with, s.w / 2, 0)[0];
}

// Every effect checks that its program and its target exist: with all of
// them gone the frame draws no scene but raises no GL error (the fixture
// checks) and leaves no program bound.
TEST(ScenePictures, MissingProgramsAndTargetsDrawNothing)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    for (int o : {OPT_REFLECTION, OPT_SOFTSHADOW, OPT_FLUID, OPT_BLOODSTAINS, OPT_BLOOD})
        option_set(o, 1);
    s.path(1);
    set_background(WS_SHARP_SHADOW, 1, 0, 0);
    const ActivePrograms kept = active_programs();
    active_programs() = ActivePrograms{};
    delete_render_targets();
    for (int i = 0; i < 10; i++)
        spawn_blood(0, 1, 1.5 + 0.01 * i, -1.5, 1.6);
    const float still[3] = {0, 0, 0}, red[3] = {1, 0, 0}, at[3] = {0.5f, 0.5f, 0};
    add_floor_patch(at, still, 0.3f, red);
    std::vector<unsigned char> px;
    s.frame(&px, nullptr);
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
    active_programs() = kept;
}

// The object transform reaches the programs through texture matrix 0;
// the mirrored form flips z. A change of the world's look remakes both
// sky textures (the old names released).
TEST(ScenePictures, ObjectTransformsAndSkyRebuild)
{
    ScenePictures s;
    ASSERT_TRUE(s.ok) << s.gl.last_error();
    s.path(1);
    const float rot[9] = {0, -1, 0, 1, 0, 0, 0, 0, 2}, t[3] = {1, 2, 3};
    GLfloat m[16];
    load_object_texture_matrix(rot, t);
    glMatrixMode(GL_TEXTURE);
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 1);
    EXPECT_FLOAT_EQ(m[14], 3);
    EXPECT_FLOAT_EQ(m[4], -1);   // row 0, column 1
    EXPECT_FLOAT_EQ(m[10], 2);
    load_mirrored_texture_matrix(t, rot);
    glMatrixMode(GL_TEXTURE);
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_FLOAT_EQ(m[14], -3);
    EXPECT_FLOAT_EQ(m[10], -2);
    EXPECT_FLOAT_EQ(m[1], 1);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);

    const unsigned sky = sky_texture(), sun = sun_texture();
    ASSERT_TRUE(sky && sun);
    set_background_and_apply(WS_SKY_COLOR, 0.1f, 0.2f, 0.3f, 0);
    EXPECT_TRUE(sky_texture() && sun_texture());
    EXPECT_TRUE(glIsTexture(sky_texture()) && glIsTexture(sun_texture()));
    EXPECT_FALSE(glIsTexture(sky) && sky != sky_texture() && sky != sun_texture());
    EXPECT_FALSE(glIsTexture(sun) && sun != sky_texture() && sun != sun_texture());
}

} // namespace
