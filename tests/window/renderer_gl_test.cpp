#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <lua.hpp>
#include <vector>

#include "app/base/options.h"
#include "app/base/text.h"
#include "app/camera.h"
#include "app/program.h"
#include "app/scene_gl.h"
#include "app/services/settings_io.h"
#include "app/tick.h"
#include "game/blood.h"
#include "net/records/custom_record.h"
#include "script/script_context.h"
#include "script/script_draw_functions.h"
#include "game/env_objects.h"
#include "game/game_resets.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/turn_control.h"
#include "gui/services/menu_state.h"
#include "gui/boxed_text_gl.h"
#include "gui/truetype_font_gl.h"
#include "render/particles_draw_gl.h"
#include "render/blood_draw_gl.h"
#include "render/bump_mesh_gl.h"
#include "render/chat_cache.h"
#include "render/color_state.h"
#include "render/color_table.h"
#include "render/deferred_shapes_gl.h"
#include "render/fighter_draw_gl.h"
#include "render/fighter_look.h"
#include "render/fighter_textures.h"
#include "render/graphics_gl.h"
#include "render/markers_gl.h"
#include "render/screen_textures_gl.h"
#include "render/shapes_gl.h"
#include "render/texture_slots.h"
#include "render/world_colours.h"
#include "support/test_support.h"
#include "window/game_run.h"
#include "window/game_window.h"
#include "window/gl_match.h"

// The renderer in a real GL context (Mesa under Xvfb): start-up and release
// over many video modes, and the default match as it is drawn.
namespace {

using kxtest::GlMatch;

// Lit, a body's pixel is its colour scaled by the light: compare hues.
bool same_hue(const float *pixel, const float *colour)
{
    float best = 0;
    int arg_pixel = 0, arg_colour = 0;
    for (int k = 0; k < 3; k++) {
        if (pixel[k] > pixel[arg_pixel]) arg_pixel = k;
        if (colour[k] > colour[arg_colour]) arg_colour = k;
        best = std::max(best, pixel[k]);
    }
    return best > 0.05f && arg_pixel == arg_colour;
}

// An uncompressed 24-bit TGA file of one pixel (blue, green, red bytes).
std::string one_pixel_tga(const char *bgr)
{
    return std::string("\0\0\2\0\0\0\0\0\0\0\0\0\1\0\1\0\x18\0", 18) + std::string(bgr, 3);
}

} // namespace

TEST(Renderer, DefaultMatchShowsEachFighterInItsColourOnTheFloorAndBackground)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    const std::vector<unsigned char> px = m.frame();
    for (int f = 0; f < 2; f++)
        for (int body : {0, 19, 20}) {      // head, right foot, left foot
            float at[3], colour[3];
            ASSERT_TRUE(m.body_pixel(px, f, body, at)) << f << " " << body;
            get_color_rgb(get_player(f)->colour, colour);
            EXPECT_TRUE(same_hue(at, colour)) << "fighter " << f << " body " << body << ": "
                                              << at[0] << " " << at[1] << " " << at[2];
        }
    // Top left is sky, the bottom centre floor (the HUD sits elsewhere).
    float sky[3], floor[3], floor_colour[3];
    ASSERT_TRUE(m.pixel(px, 4, 4, sky));
    ASSERT_TRUE(m.pixel(px, m.w / 2, m.h - 4, floor));
    world_floor_colour(world_background_colour(), floor_colour);
    for (int k = 0; k < 3; k++) {
        EXPECT_NEAR(sky[k], world_background_colour()[k], 1.5 / 255);
        EXPECT_NEAR(floor[k], floor_colour[k], 1.5 / 255);
    }
}

// A shape of kind 4 lies flat on the floor along the shadow light, in the
// shadow colour (the fighters off, so nothing stands over it); a sphere of
// kind 32 is a flat unlit disc in the current colour.
TEST(Renderer, ShadowAlongTheLightAndFacingDiscInTheirColours)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    option_set(OPT_VAKO, 0);
    option_set(OPT_ZUD, 0);
    m.frame();
    const float at[3] = {0.5f, 0.5f, 1.5f}, I[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    render_sphere(at, I, 0.3f, DRAW_SHADOW);
    const float sky_point[3] = {0, 0, 3.2f};     // kind 32: an unlit disc in the colour
    gl_set_color(0.2f, 0.6f, 0.4f, 1);
    render_sphere(sky_point, I, 0.2f, DRAW_ALPHA);
    std::vector<unsigned char> px((size_t)m.w * m.h * 3);
    glReadPixels(0, 0, m.w, m.h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    // The shadow light is (1, 0.4, 1): the centre falls at (x - z, y - 0.4 z).
    double s[3];
    ASSERT_EQ(world_to_screen(at[0] - at[2], at[1] - 0.4f * at[2], 0, s), 0);
    float c[3];
    ASSERT_TRUE(m.pixel(px, (int)s[0], (int)s[1], c));
    for (int k = 0; k < 3; k++)
        EXPECT_NEAR(c[k], world_background_colour()[k] * 0.8f, 1.5 / 255);
    ASSERT_EQ(world_to_screen(sky_point[0], sky_point[1], sky_point[2], s), 0);
    ASSERT_TRUE(m.pixel(px, (int)s[0], (int)s[1], c));
    EXPECT_NEAR(c[0], 0.2f, 1.5 / 255);
    EXPECT_NEAR(c[1], 0.6f, 1.5 / 255);
    EXPECT_NEAR(c[2], 0.4f, 1.5 / 255);
}

// On the fixed path the first fighter's planar shadow is darker, channel by
// channel, than the floor it falls on; with the fighters gone the floor
// meets the background in one level, straight line wherever the camera
// turns and however far back it stands.
TEST(Renderer, FixedPathShadowsDarkenTheFloorAndTheHorizonIsStraight)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    ASSERT_EQ(shaders_active(), 0);
    option_set(OPT_HUD, 0);
    option_set(OPT_ZUD, 0);
    std::vector<unsigned char> px = m.frame();
    const dReal *head = dBodyGetPosition(get_player(0)->bodies[0]);
    const double on_floor[3] = {head[0] - head[2], head[1] - 0.4 * head[2], 0};
    float shadow[3], floor[3];
    ASSERT_TRUE(m.point_pixel(px, on_floor, shadow));
    option_set(OPT_VAKO, 0);
    ASSERT_TRUE(m.point_pixel(m.frame(), on_floor, floor));
    for (int k = 0; k < 3; k++)
        EXPECT_LT(shadow[k], floor[k] - 8.0f / 255) << k;

    const float start_yaw = get_camera()->yaw, height = get_camera()->height_offset;
    for (float distance : {4.0f, 30.0f, 150.0f})
        for (float turn : {0.0f, 20.0f, 45.0f, 70.0f}) {
            SCOPED_TRACE(testing::Message() << "distance " << distance << " turn " << turn);
            set_camera_orbit(start_yaw + turn, height, distance);
            px = m.frame();
            // Each column's first row from the top that is not background.
            int top = m.h, bottom = -1;
            for (int x = 0; x < m.w; x++) {
                int y = 0;
                for (float c[3]; y < m.h && m.pixel(px, x, y, c); y++) {
                    const float *bg = world_background_colour();
                    if (std::fabs(c[0] - bg[0]) + std::fabs(c[1] - bg[1]) + std::fabs(c[2] - bg[2]) > 6.0f / 255)
                        break;
                }
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
            EXPECT_GT(top, 0);          // background above,
            EXPECT_LT(bottom, m.h);     // floor below
            EXPECT_LE(bottom - top, 1);
        }
}

// A ring on the floor (the round dojo's outline, a script's disc) takes the
// current colour's material on the shader path: lit as a plate of that
// material facing up; on the fixed path it is flat in the current colour.
TEST(Renderer, FloorRingIsLitOnTheShaderPathAndFlatOnTheFixedPath)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    option_set(OPT_HUD, 0);
    option_set(OPT_VAKO, 0);
    option_set(OPT_ZUD, 0);
    const float colour[4] = {0.2f, 0.4f, 0.6f, 1};
    for (int shaders = 0; shaders < 2; shaders++) {
        SCOPED_TRACE(shaders ? "shader path" : "fixed path");
        option_set(OPT_SHADERS, shaders);
        free_graphics();
        init_graphics();
        ASSERT_EQ(shaders_active(), shaders);
        m.frame();
        const float *look = get_camera()->look;
        const float at[3] = {look[0], look[1], 0.02f};
        const double on_ring[3] = {at[0] + 0.45, at[1], at[2]};
        glDisable(GL_DEPTH_TEST);
        gl_set_color(colour[0], colour[1], colour[2], colour[3]);
        draw_ring_3d(at, 0.3f, 0.6f, 32, 1, 0, 360, 0, nullptr);
        float ring[3], plate[3];
        ASSERT_TRUE(m.point_pixel(m.read(), on_ring, ring));
        // The reference: a lit square of the colour's material over it.
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glEnable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        set_material(colour[0], colour[1], colour[2], colour[3]);
        glBegin(GL_QUADS);
        glNormal3f(0, 0, 1);
        glVertex3f(at[0] - 1, at[1] - 1, 0.04f);
        glVertex3f(at[0] + 1, at[1] - 1, 0.04f);
        glVertex3f(at[0] + 1, at[1] + 1, 0.04f);
        glVertex3f(at[0] - 1, at[1] + 1, 0.04f);
        glEnd();
        glPopAttrib();
        ASSERT_TRUE(m.point_pixel(m.read(), on_ring, plate));
        float off_flat = 0;
        for (int k = 0; k < 3; k++) {
            off_flat += std::fabs(ring[k] - colour[k]);
            EXPECT_NEAR(ring[k], shaders ? plate[k] : colour[k], 2.0f / 255) << k;
        }
        if (shaders) {
            EXPECT_GT(off_flat, 0.1f);
        }
        glEnable(GL_DEPTH_TEST);
    }
}

// A scripted match: both fighters throw every joint forward, then back,
// until the second is hit; the same frame drawn with and without bruises shows
// the hit body redder where it projects.
TEST(Renderer, HitBodyIsDrawnRedder)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    Player *victim = get_player(1);
    int hit = -1;
    for (int turn = 0; turn < 40 && hit < 0; turn++) {
        set_all_joint_states(0, turn % 4 < 2 ? 1 : 2);
        set_all_joint_states(1, turn % 4 < 2 ? 1 : 2);
        commit_turn(0);
        for (int t = 0; t < 60 && hit < 0; t++) {
            on_tick(0);
            for (int b = 0; b < BODY_COUNT; b++)
                if (victim->hit_flash[b] > 0.5f)
                    hit = b;
        }
    }
    ASSERT_GE(hit, 0) << "no hit in eight turns";
    float plain[3], bruised[3];
    option_set(OPT_BRUISE, 0);
    ASSERT_TRUE(m.body_pixel(m.frame(), 1, hit, plain));
    option_set(OPT_BRUISE, 1);
    ASSERT_TRUE(m.body_pixel(m.frame(), 1, hit, bruised));
    EXPECT_GT(bruised[0] - bruised[2], plain[0] - plain[2] + 0.2f)
        << "body " << hit << ": " << plain[0] << " " << plain[2] << " -> " << bruised[0] << " " << bruised[2];
}

// A drop of blood above the fighters shows as a blood-red sprite where it
// projects, and only with the blood option on.
TEST(Renderer, BloodDropDrawnAsSpriteInItsColour)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    const double at[3] = {0, 0, 3.2};
    spawn_blood(-1, 0, at[0], at[1], at[2]);
    BloodDrop *d = get_blood_drop(get_blood_cursor() - 1);
    ASSERT_EQ(d->life, 50);
    d->size = 0.05f;                                    // the largest a bleed makes
    double s[3];
    const float z = (float)at[2] - (0.1f - d->size);     // where the drawing places it
    float on[3], off[3], blood[3];
    get_color_rgb(COLOR_BLOOD, blood);
    option_set(OPT_BLOOD, 1);
    std::vector<unsigned char> px = m.frame();
    ASSERT_EQ(world_to_screen((float)at[0], (float)at[1], z, s), 0);
    ASSERT_TRUE(m.pixel(px, (int)s[0], (int)s[1], on));
    option_set(OPT_BLOOD, 0);
    ASSERT_TRUE(m.pixel(m.frame(), (int)s[0], (int)s[1], off));
    for (int k = 0; k < 3; k++) {
        EXPECT_NEAR(on[k], blood[k], 2.0 / 255);
        EXPECT_NEAR(off[k], world_background_colour()[k], 2.0 / 255);
    }
}

// In a network game each fighter's template figure turns in its colour in
// its top corner over the frame, its player's name under it; in single play
// the corners hold only text.
TEST(Renderer, CornerFiguresInTheFightersColoursInNetworkGames)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    option_set(OPT_AVATAR, 1);
    const int side = m.h / 4, lh = font_height(FONT_NORMAL);
    // Pixels of rows y0..y1 of each fighter's corner square's width that
    // match its colour, in a network game [1] and in single play [0].
    auto corner_pixels = [&](int y0, int y1, bool (*match)(const float *, const float *), int count[2][2]) {
        for (int network : {1, 0}) {
            get_game_globals()->network_mode = network;
            const std::vector<unsigned char> px = m.frame();
            for (int f = 0; f < 2; f++) {
                float colour[3];
                get_color_rgb(get_player(f)->colour, colour);
                for (int y = y0; y < y1; y++)
                    for (int x = 0; x < side; x++) {
                        float at[3];
                        if (m.pixel(px, f == 0 ? x : m.w - 1 - x, y, at) && match(at, colour))
                            count[network][f]++;
                    }
            }
        }
    };
    int figure[2][2] = {}, named[2][2] = {};
    corner_pixels(0, side, [](const float *at, const float *colour) {
        return same_hue(at, colour) && std::fabs(at[0] - at[2]) > 0.3f;
    }, figure);
    // Under each figure the player's name in the fighter's colour.
    corner_pixels(side + 2, side + lh + 8, [](const float *at, const float *colour) {
        return std::fabs(at[0] - colour[0]) < 0.15f && std::fabs(at[1] - colour[1]) < 0.15f &&
               std::fabs(at[2] - colour[2]) < 0.15f;
    }, named);
    for (int f = 0; f < 2; f++) {
        EXPECT_GT(figure[1][f], figure[0][f] + side * side / 50) << "fighter " << f;
        EXPECT_GT(named[1][f], named[0][f] + 20) << "fighter " << f;
    }
}

// A mod's environment object shows in its own colour where it projects.
TEST(Renderer, ModObjectDrawnInItsColour)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    std::filesystem::create_directories("data/mod");
    kxtest::write_file("data/mod/post.kxm", "env_obj 1\nshape box\npos 0 0 3.2\nsides 0.4 0.4 0.4\n"
                                            "flag 8\ncolor 0 0.8 0 1\n");
    MatchRules r = *get_match_rules();
    n_strncpyz(r.mod, "post.kxm", sizeof r.mod);
    new_match(0, 0, &r, 0);
    ASSERT_NE(get_env_object(0), nullptr);
    const std::vector<unsigned char> px = m.frame();
    double s[3];
    ASSERT_EQ(world_to_screen(0, 0, 3.2f, s), 0);
    float at[3];
    ASSERT_TRUE(m.pixel(px, (int)s[0], (int)s[1], at));
    const float green[3] = {0, 0.8f, 0};
    EXPECT_TRUE(same_hue(at, green)) << at[0] << " " << at[1] << " " << at[2];
}

// Each reset makes again what start-up makes (a named slot's texture
// included); after the last release no name any of them made is alive.
TEST(Renderer, TwentyVideoResetsLeaveNothingAliveAndNoError)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    glEnable(0xFFFF);   // the error counter sees errors at the call that makes them
    ASSERT_GT(m.gl.errors(), 0);
    kxtest::GlContext counted_again(m.w, m.h);
    std::filesystem::create_directories("data/script");
    kxtest::write_file("data/script/mark.tga", one_pixel_tga("abc"));
    const int slot = texture_slot_acquire("data/script/mark.tga");
    ASSERT_GE(slot, 0);
    const int names_before = texture_names_made();
    std::vector<GLuint> textures, lists, framebuffers, renderbuffers;
    for (int cycle = 0; cycle < 20; cycle++) {
        free_graphics();
        init_graphics();
        m.frame();
        ASSERT_TRUE(texture_is_loaded(texture_slot_get(slot)));
        ASSERT_NE(fighter_textures(1), nullptr);
        ASSERT_NE(ui_texture(UI_AV_SHADOW), nullptr);
        for (int k = 0; k < 2; k++)
            textures.push_back(shapes_texture(k));
        for (int k = 0; k < PARTICLE_TEXTURES; k++)
            textures.push_back(particles_texture(k));
        for (int k = 0; k < shapes_list_count(); k++)
            lists.push_back(shapes_list_base() + k);
        unsigned chat[CHAT_CACHE_NAMES];
        chat_cache_names(chat);
        unsigned grab[SCREEN_TEXTURES];
        screen_texture_names(grab);
        textures.insert(textures.end(), {chat[0], chat[1], chat[4], normalisation_cube_map_id(), grab[0], grab[1], grab[2]});
        const size_t before = textures.size();
        font_texture_names(&textures);      // the glyphs the HUD's text made
        ASSERT_GT(textures.size(), before);
        if (BumpMesh *bump = bump_primitive(BUMP_SPHERE)) {
            const float at[3] = {0, 0, 1}, turn[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}, size[3] = {1, 1, 1};
            bump_mesh_draw_sphere(bump, at, turn, size, 0, 0);
            textures.push_back(bump_constant_texture_id());
        }
        renderbuffers.push_back(chat[2]);
        framebuffers.push_back(chat[3]);
    }
    for (int i = 0; i < texture_names_made(); i++)
        textures.push_back(texture_name_made(i));
    EXPECT_GE(texture_names_made() - names_before, 20 * (2 * 94 + UI_TEXTURE_COUNT));   // both fighters' tables
    free_graphics();
    for (GLuint t : textures)
        EXPECT_FALSE(glIsTexture(t)) << t;
    for (GLuint l : lists)
        EXPECT_FALSE(glIsList(l)) << l;
    for (GLuint f : framebuffers)
        EXPECT_FALSE(glIsFramebuffer(f)) << f;
    for (GLuint r : renderbuffers)
        EXPECT_FALSE(glIsRenderbuffer(r)) << r;
    texture_slot_free(slot);
    init_graphics();     // the fixture releases again
}

// A script's texture goes into a slot and is drawn as a 2D quad; a fighter
// wears the body texture its player's customisation asks for.
TEST(Renderer, ScriptTexturesAndPlayerTexturesReachTheRenderer)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    std::filesystem::create_directories("data/script");
    std::filesystem::create_directories("custom/Hero");
    kxtest::write_file("data/script/red.tga", one_pixel_tga("\0\0\xff"));
    kxtest::write_file("custom/Hero/head.tga", one_pixel_tga("\xff\0\0"));
    // A link in the scripts' folder to an image outside data/ loads nothing.
    std::filesystem::create_symlink(std::filesystem::absolute("custom/Hero/head.tga"), "data/script/linked.tga");
    lua_State *L = get_script_ctx()->L;
    m.frame();
    push_ortho();
    gl_set_color(1, 1, 1, 1);
    ASSERT_EQ(luaL_dostring(L, "s = load_texture('red.tga') same = load_texture('red.tga') "
                               "bad = load_texture('../red.tga') draw_quad(10, 10, 20, 20, s) "
                               "assert(load_texture('linked.tga') == -1)"), 0);
    pop_ortho();
    std::vector<unsigned char> px((size_t)m.w * m.h * 3);
    glReadPixels(0, 0, m.w, m.h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    float at[3];
    ASSERT_TRUE(m.pixel(px, 20, 20, at));
    EXPECT_GT(at[0], 0.9f);
    EXPECT_LT(at[1] + at[2], 0.1f);
    lua_getglobal(L, "s");
    lua_getglobal(L, "same");
    lua_getglobal(L, "bad");
    const int slot = (int)lua_tointeger(L, -3);
    EXPECT_EQ(lua_tointeger(L, -2), slot);
    EXPECT_EQ(lua_tointeger(L, -1), -1);
    lua_pop(L, 3);
    ASSERT_TRUE(texture_is_loaded(texture_slot_get(slot)));
    ASSERT_EQ(luaL_dostring(L, "unload_texture(s)"), 0);
    EXPECT_EQ(texture_slot_get(slot), nullptr);

    clear_all_customs();
    get_custom_record(0)->tex_body[0] = 1;
    n_strncpyz(get_player(0)->name, "Hero", sizeof get_player(0)->name);
    apply_customs_all_players(0);
    EXPECT_TRUE(texture_is_loaded(&fighter_textures(0)->body[0]));
    EXPECT_FALSE(texture_is_loaded(&fighter_textures(1)->body[0]));
}

// The script's drawing functions reach the renderer: each leaves pixels of
// the current colour where it draws; the gradients fill the fighters'
// textures for entries that exist.
TEST(Renderer, ScriptDrawingFunctionsDrawAndFillGradients)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    script_set_boxed_text_hook(render_boxed_text);
    lua_State *L = get_script_ctx()->L;
    struct Case { const char *code; bool flat; int x0, y0, x1, y1, least; } cases[] = {
        {"draw_disk(100, 100, 10, 30, 24, 2, 0, 180)", true, 100, 70, 130, 130, 300},
        {"draw_disk(100, 100, 0, 30, 24, 1, 180, 180)", true, 100, 70, 130, 130, 0},
        {"draw_boxed_text('Wrapped words in a box', 10, 200, 60, 80, 16)", true, 10, 200, 70, 280, 20},
        {"draw_vako(1, 1, 1)", false, 0, 0, 640, 480, 2000},
        {"draw_vako(0, 1, 1)", false, 0, 0, 640, 480, 0},
        {"draw_disk_3d(0, 0, 0.01, 1.5, 2, 16, 1, 0, 360)", false, 0, 0, 640, 480, 300},
    };
    for (const Case &c : cases) {
        const std::vector<unsigned char> before = m.frame();
        if (c.flat)
            push_ortho();
        gl_set_color(0, 1, 0, 1);
        ASSERT_EQ(luaL_dostring(L, c.code), 0) << c.code;
        if (c.flat)
            pop_ortho();
        std::vector<unsigned char> px((size_t)m.w * m.h * 3);
        glReadPixels(0, 0, m.w, m.h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
        int green = 0, green_before = 0;
        for (int y = c.y0; y < c.y1; y++)
            for (int x = c.x0; x < c.x1; x++) {
                float at[3], was[3];
                if (m.pixel(px, x, y, at) && m.pixel(before, x, y, was)) {
                    green += at[1] > 0.5f && at[0] + at[2] < 0.4f * at[1];
                    green_before += was[1] > 0.5f && was[0] + was[2] < 0.4f * was[1];
                }
            }
        EXPECT_EQ(green_before, 0) << c.code;
        if (c.least)
            EXPECT_GT(green, c.least) << c.code;
        else
            EXPECT_EQ(green, 0) << c.code;
    }
    ASSERT_EQ(luaL_dostring(L, "a = set_gradient_color(0, 4, 1, 0, 0, 0, 0, 1) "
                               "b = set_gradient_color(0, 21, 1, 0, 0, 0, 0, 1) c = get_head_info(1, 0, 1, 0, 1, 1, 1)"), 0);
    for (auto [name, want] : {std::pair<const char *, int>{"a", 0}, {"b", 1}, {"c", 1}}) {
        lua_getglobal(L, name);
        EXPECT_EQ(lua_tointeger(L, -1), want) << name;
        lua_pop(L, 1);
    }
    EXPECT_TRUE(texture_is_loaded(&fighter_textures(0)->body[4]));
    EXPECT_TRUE(texture_is_loaded(&fighter_textures(1)->gradient));
    script_set_boxed_text_hook(nullptr);
}

// The posed drawers and a deferred record draw at once in their colour at
// their point over the frame; a record of an unknown kind draws nothing.
TEST(Renderer, PosedDrawersAndDeferredRecordsDrawInTheirColour)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    static const float p[3] = {0, 0, 3.2f}, turn[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    m.frame();
    const float *eye = get_camera()->eye;     // a triangle round p, upright, facing the eye
    const float dx = eye[0] - p[0], dy = eye[1] - p[1], l = std::hypot(dx, dy);
    static float a[3], b[3], c[3] = {0, 0, 0.4f};
    a[0] = 0.3f * dy / l; a[1] = -0.3f * dx / l; b[0] = -a[0]; b[1] = -a[1];
    struct Case { void (*draw)(); bool drawn; } cases[] = {
        {[] { render_cylinder(p, turn, 0.4f, 0.2f); }, true},
        {[] { render_triangle(p, turn, a, b, c, 1); }, true},
        {[] { DeferredShape r = deferred_shape_make(); r.kind = DEFERRED_SPHERE; memcpy(r.pos, p, sizeof p);
              memcpy(r.rot, turn, sizeof turn); r.sizes[0] = 0.3f; r.color[1] = r.color[3] = 1;
              deferred_shape_add(r); deferred_shape_draw_all(deferred_shape_draw); }, true},
        {[] { DeferredShape r = deferred_shape_make(); r.kind = 9; r.color[1] = r.color[3] = 1;
              deferred_shape_draw(&r); }, false},
    };
    double s[3];
    ASSERT_EQ(world_to_screen(p[0], p[1], p[2], s), 0);
    for (const Case &k : cases) {
        m.frame();
        gl_set_color(0, 1, 0, 1);
        k.draw();
        std::vector<unsigned char> px((size_t)m.w * m.h * 3);
        glReadPixels(0, 0, m.w, m.h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
        float at[3];
        ASSERT_TRUE(m.pixel(px, (int)s[0], (int)s[1], at));
        EXPECT_EQ(at[1] > 0.2f && at[0] + at[2] < 0.5f * at[1], k.drawn) << at[0] << " " << at[1] << " " << at[2];
    }
}

TEST(Renderer, FrameGivesBackTheShaderFlagItSaved)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    option_set(OPT_AVATAR, 1);
    option_set(OPT_SHADERS, 1);
    free_graphics();
    init_graphics();    // the shader path started, so that the flag can be on
    for (int flag : {1, 0}) {
        set_shaders_active(flag);
        m.frame();
        EXPECT_EQ(shaders_active(), flag);
    }
}

TEST(Renderer, MissingFontsEndTheProgramWithStatus1)
{
    GameRun run;
    std::filesystem::remove_all(run.path("data/fonts"));
    ASSERT_TRUE(run.start({}));
    EXPECT_EQ(run.wait_exit(), 1);
    EXPECT_NE(run.err().find("Failed to load fonts"), std::string::npos) << run.err();
}

namespace {

// Draws one shape in a plain orthographic view of -1..1 over a white
// window; true where the point at `radius` (a fraction of the shape's
// radius 0.8) in the direction `degrees` from up towards right is inked.
struct FlatView {
    GlMatch &m;
    explicit FlatView(GlMatch &match) : m(match) {}
    std::vector<unsigned char> draw(const std::function<void()> &shape)
    {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(-1, 1, -1, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        shape();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glFinish();
        return m.read();
    }
    bool inked(const std::vector<unsigned char> &px, float degrees, float radius)
    {
        const float a = degrees * (float)M_PI / 180, r = 0.8f * radius;
        float c[3];
        m.pixel(px, (int)((1 + r * std::sin(a)) * 0.5f * m.w), (int)((1 - r * std::cos(a)) * 0.5f * m.h), c);
        return c[0] + c[1] + c[2] < 2.0f;
    }
};

} // namespace

// A see-through sphere (kind 32) and a blood drop drawn at once on the
// shader path are octagons: a point 0.96 of the radius out is inside at a
// corner and outside between two corners. The fixed path's blood drop is
// the sprite's circle, inside at both.
TEST(Renderer, SeeThroughSpheresAndShaderPathDropsAreOctagons)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    FlatView v(m);
    const float at[3] = {0, 0, 0}, turn[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    std::vector<unsigned char> px = v.draw([&] {
        gl_set_color(0, 0, 0, 0.9f);
        render_sphere(at, turn, 0.8f, DRAW_ALPHA);
    });
    EXPECT_TRUE(v.inked(px, 0, 0.96f));
    EXPECT_TRUE(v.inked(px, 45, 0.96f));
    EXPECT_FALSE(v.inked(px, 22.5f, 0.96f));
    EXPECT_TRUE(v.inked(px, 22.5f, 0.9f));

    const float rgb[3] = {0, 0, 0}, still[3] = {0, 0, 0};
    auto drop = [&] {
        blood_sprite_begin();
        draw_blood_drop_gl(at, still, 0.8f, rgb);
        blood_sprite_end();
    };
    px = v.draw(drop);
    EXPECT_TRUE(v.inked(px, 22.5f, 0.96f));
    EXPECT_FALSE(v.inked(px, 45, 1.1f));        // the quad's corner is cut off
    option_set(OPT_SHADERS, 1);
    option_set(OPT_FLUID, 0);
    free_graphics();
    init_graphics();
    ASSERT_EQ(shaders_active(), 1);
    px = v.draw(drop);
    EXPECT_TRUE(v.inked(px, 0, 0.96f));
    EXPECT_TRUE(v.inked(px, 45, 0.96f));
    EXPECT_FALSE(v.inked(px, 22.5f, 0.96f));
}

// What init_graphics makes, free_graphics deletes, quadrics included; the
// lists come back with the next start.
TEST(Renderer, DisplayListsAndQuadricsLiveFromStartToRelease)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    ASSERT_GT(shapes_list_count(), 0);
    std::vector<GLuint> lists;
    for (int k = 0; k < shapes_list_count(); k++) {
        lists.push_back(shapes_list_base() + k);
        EXPECT_TRUE(glIsList(lists.back())) << k;
    }
    EXPECT_EQ(shapes_quadrics_made(), 2);
    free_graphics();
    for (GLuint l : lists)
        EXPECT_FALSE(glIsList(l)) << l;
    EXPECT_EQ(shapes_quadrics_made(), 0);
    init_graphics();
    EXPECT_EQ(shapes_quadrics_made(), 2);
}

namespace {
float g_menu_colour[4];
void note_menu_colour(void) { memcpy(g_menu_colour, current_color(), sizeof g_menu_colour); }
} // namespace

// A menu state without the running world draws its 2D hook in blue (row
// 4); the fighters' passes start from the base colour (row 78 of the
// world's colours), which a script's 3D drawing finds when nothing drawn
// before it set a colour of its own.
TEST(Renderer, MenuHookStartsInBlueAndTheFightersPassesInTheBaseColour)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    enum { SPARE = 20 };
    MenuState *row = menu_state_row(SPARE);
    const MenuState saved = *row;
    *row = MenuState{note_menu_colour, nullptr, nullptr, 0, -1, 0};
    menu_set_state(SPARE);
    gl_set_color(0, 1, 0, 1);
    m.frame();
    *row = saved;
    menu_set_state(0);
    const float blue[4] = {0, 0, 1, 1};
    for (int k = 0; k < 4; k++)
        EXPECT_FLOAT_EQ(g_menu_colour[k], blue[k]) << k;

    for (int o : {OPT_VAKO, OPT_ZUD, OPT_PARTICLES, OPT_TRAILS, OPT_FLOORTEXTURE, OPT_BLOOD})
        option_set(o, 0);
    get_match_rules()->dojotype = 2;        // no outline
    get_game_state()->ghost_mode = 0;
    m.frame();
    const float *look = get_camera()->look;
    lua_State *L = get_script_ctx()->L;
    char hook[160];
    snprintf(hook, sizeof hook, "set_hook('draw3d', function() draw_disk_3d(%f, %f, 0.01, 0, 0.5, 16, 1, 0, 360) end)",
             look[0], look[1]);
    ASSERT_EQ(luaL_dostring(L, hook), 0) << lua_tostring(L, -1);
    gl_set_color(0, 1, 0, 1);
    const std::vector<unsigned char> px = m.frame();
    ASSERT_EQ(luaL_dostring(L, "set_hook('draw3d', function() end)"), 0);
    const double at[3] = {look[0], look[1], 0.01};
    float c[3], base[3];
    ASSERT_TRUE(m.point_pixel(px, at, c));
    get_color_rgb(78, base);
    for (int k = 0; k < 3; k++)
        EXPECT_NEAR(c[k], std::min(base[k], 1.0f), 2.0 / 255) << k;
}
