#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/base/options.h"
#include "app/camera.h"
#include "game/contact_damage.h"
#include "game/dojo.h"
#include "game/joint_breaks.h"
#include "game/world_physics.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "net/records/custom_record.h"
#include "render/color_table.h"
#include "render/fighter_draw_gl.h"
#include "render/fighter_look.h"
#include "render/fighter_textures.h"
#include "render/hud_theme.h"
#include "render/markers_gl.h"
#include "render/render_queues.h"
#include "render/renderer_gl.h"
#include "render/shapes_gl.h"
#include "render/world_colours.h"
#include "window/gl_match.h"

// The fighters as the program's frame draws them: customisation colours,
// shadows, bruises, ghosts and the network match's faint fighters.
namespace {

using kxtest::GlMatch;

// A lit colour is the colour scaled plus a grey highlight: its chroma (each
// channel less the smallest, over the largest of those) is the colour's.
bool same_chroma(const float *pixel, const float *colour)
{
    auto chroma = [](const float *c, float *out) {
        const float lo = std::min({c[0], c[1], c[2]}), hi = std::max({c[0], c[1], c[2]});
        for (int k = 0; k < 3; k++)
            out[k] = hi - lo > 0.05f ? (c[k] - lo) / (hi - lo) : 0;
        return hi - lo > 0.05f;
    };
    float a[3], b[3];
    if (!chroma(pixel, a) || !chroma(colour, b))
        return false;
    for (int k = 0; k < 3; k++)
        if (std::fabs(a[k] - b[k]) > 0.2f)
            return false;
    return true;
}

void row_rgb(int row, float *rgb) { get_color_rgb(row, rgb); }

void body_centre(int fighter, int body, double *out)
{
    const dReal *p = dBodyGetPosition(get_player(fighter)->bodies[body]);
    for (int k = 0; k < 3; k++)
        out[k] = p[k];
}

void joint_anchor(int fighter, int joint, double *out)
{
    dVector3 a;
    dJointGetHingeAnchor(get_player(fighter)->hinges[joint], a);
    for (int k = 0; k < 3; k++)
        out[k] = a[k];
}

} // namespace

// Each fighter's customisation gives its bodies one colour and its joints a
// force and a relax colour, all different from the defaults; held joints
// show the force colour and relaxed ones the relax colour where they project.
TEST(FighterLook, CustomisationColoursShowAtJointsAndBodies)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    get_game_globals()->replay_mode = 0;
    const int body_row[2] = {10, 9}, force_row[2] = {4, 10}, relax_row[2] = {2, 4};   // green, yellow; ...
    for (int f = 0; f < 2; f++) {
        CustomRecord *rec = get_custom_record(f);
        for (int b = 0; b < BODY_COUNT; b++)
            rec->body_color[b] = body_row[f];
        rec->force_color = force_row[f];
        rec->relax_color = relax_row[f];
        for (int j = 0; j < JOINT_COUNT; j++)
            fighter_set_joint_state(f, j, j % 2 ? MOTOR_HOLD : MOTOR_RELAX);
    }
    const std::vector<unsigned char> px = m.frame();
    for (int f = 0; f < 2; f++) {
        float want[3], at[3];
        double p[3];
        int bodies = 0, joints = 0;
        row_rgb(body_row[f], want);
        for (int b = 0; b < BODY_COUNT; b++) {
            body_centre(f, b, p);
            bodies += m.point_pixel(px, p, at) && same_chroma(at, want);
        }
        for (int j = 0; j < JOINT_COUNT; j++) {
            row_rgb(j % 2 ? force_row[f] : relax_row[f], want);
            joint_anchor(f, j, p);
            joints += m.point_pixel(px, p, at) && same_chroma(at, want);
        }
        // A few parts hide behind others from the camera.
        EXPECT_GE(bodies, 7) << "fighter " << f;
        EXPECT_GE(joints, 9) << "fighter " << f;
    }
    clear_all_customs();
}

// Shadows fall along a light fixed in the world: the shadow of the first
// fighter's head lies at (x - z, y - 0.4 z) on the floor whichever way the
// camera looks (the second fighter hidden, so that nothing stands over it).
TEST(FighterLook, ShadowStaysPutWhenTheCameraTurns)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    option_set(OPT_ZUD, 0);
    float shadow[3];
    for (int k = 0; k < 3; k++)
        shadow[k] = world_background_colour()[k] * 0.8f;
    const float start_yaw = get_camera()->yaw;
    for (float turn : {0.0f, 40.0f, -40.0f}) {
        CameraState *cam = get_camera();
        set_camera_orbit(start_yaw + turn, cam->height_offset, cam->distance);
        const std::vector<unsigned char> px = m.frame();
        double head[3];
        body_centre(0, 0, head);
        const double on_floor[3] = {head[0] - head[2], head[1] - 0.4 * head[2], 0};
        float c[3];
        ASSERT_TRUE(m.point_pixel(px, on_floor, c)) << "turn " << turn;
        for (int k = 0; k < 3; k++)
            EXPECT_NEAR(c[k], shadow[k], 2.0f / 255) << "turn " << turn;
    }
}

// The drawn bruise fades by 0.99 a drawn frame on bodies and 0.95 on joints
// while the world runs, and not at all while it waits; the game's own hit
// flash, which the break rule reads, stays as the game left it.
TEST(FighterLook, BruisesFadePerDrawnFrameAndLeaveTheHitFlash)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    option_set(OPT_BRUISE, 1);
    Player *p = get_player(0);
    p->hit_flash[3] = 1.0f;
    p->hit_flash[BODY_COUNT + 2] = 1.0f;
    get_game_state()->frozen = 1;
    m.frame();
    EXPECT_FLOAT_EQ(*drawn_bruise(0, 3), 1.0f);
    get_game_state()->frozen = 0;
    get_game_state()->ghost_mode = 0;
    m.frame();
    m.frame();
    EXPECT_NEAR(*drawn_bruise(0, 3), 0.99f * 0.99f, 1e-5);
    EXPECT_NEAR(*drawn_bruise(0, BODY_COUNT + 2), 0.95f * 0.95f, 1e-5);
    EXPECT_FLOAT_EQ(p->hit_flash[3], 1.0f);
    EXPECT_FLOAT_EQ(p->hit_flash[BODY_COUNT + 2], 1.0f);
    // A new hit raises the drawn value again.
    p->hit_flash[3] = 0.5f;
    m.frame();
    p->hit_flash[3] = 1.0f;
    m.frame();
    EXPECT_NEAR(*drawn_bruise(0, 3), 0.99f, 1e-5);
}

// Fighter 0's ghost follows fighter 0's option, not the second fighter's;
// the record's override shows it all the same.
TEST(FighterLook, GhostJointsFollowTheirOwnFightersOption)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    m.frame();
    const int ghost0 = fighter_count();
    auto inked = [&]() {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_joint_geoms(ghost0, 7, DRAW_NORMAL, 1);
        const std::vector<unsigned char> px = m.read();
        return (int)std::count_if(px.begin(), px.end(), [](unsigned char c) { return c < 128; });
    };
    option_set(OPT_VAKO, 1);
    option_set(OPT_ZUD, 0);
    EXPECT_GT(inked(), 100);
    option_set(OPT_VAKO, 0);
    option_set(OPT_ZUD, 1);
    EXPECT_EQ(inked(), 0);
    get_player(ghost0)->draw_override = 1;
    EXPECT_GT(inked(), 100);
}

// A network match: with no bout every fighter is faint (alpha 0.15, close
// to what lies behind it); once both bouts are known the fighters are solid.
TEST(FighterLook, NetworkFightersWithoutBoutAreFaint)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    GameGlobals *g = get_game_globals();
    g->replay_mode = 0;
    g->network_mode = 1;
    option_set(OPT_AVATAR, 0);
    auto head = [&](float *c) {
        const std::vector<unsigned char> px = m.frame();
        double p[3];
        body_centre(0, 0, p);
        EXPECT_TRUE(m.point_pixel(px, p, c));
    };
    float faint[3], solid[3], behind[3];
    g->bouts_present = 0;
    head(faint);
    g->bouts_present = 2;
    g->own_id = get_player(0)->bout_id;
    head(solid);
    option_set(OPT_VAKO, 0);
    option_set(OPT_ZUD, 0);
    head(behind);
    float to_faint = 0, to_solid = 0;
    for (int k = 0; k < 3; k++) {
        to_faint += std::fabs(faint[k] - behind[k]);
        to_solid += std::fabs(solid[k] - behind[k]);
    }
    EXPECT_GT(to_solid, 0.3f);
    EXPECT_LT(to_faint, 0.3f * to_solid);
    g->network_mode = 0;
    g->bouts_present = 0;
}

// A colour row outside the table in a customisation record falls back to
// the fighter's colour with a message, never reading past the table.
TEST(FighterLook, BadColourRowsFallBackToTheFightersColour)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    CustomRecord *rec = get_custom_record(0);
    rec->body_color[3] = 4000;
    rec->grad_color1[4] = 10;
    rec->grad_color2[4] = 4;
    rec->force_color = -7;
    float c[3], own[3], mid[3];
    testing::internal::CaptureStderr();
    body_colour(get_game_state(), 0, 3, c);
    fighter_look_from_custom(0);
    const std::string err = testing::internal::GetCapturedStderr();
    row_rgb(get_player(0)->colour, own);
    for (int k = 0; k < 3; k++)
        EXPECT_FLOAT_EQ(c[k], own[k]);
    EXPECT_NE(err.find("4000"), std::string::npos) << err;
    EXPECT_NE(err.find("-7"), std::string::npos) << err;
    EXPECT_EQ(get_fighter_look(0)->joint_force[5], 0);
    body_colour(get_game_state(), 0, 4, mid);     // the middle of green and blue
    EXPECT_NEAR(mid[0], 0, 1e-6);
    EXPECT_NEAR(mid[1], 0.5f, 1e-6);
    EXPECT_NEAR(mid[2], 0.5f, 1e-6);
    clear_all_customs();
}

// The proportions given to draw_vako shape the figure: twice the height
// draws a figure about twice as tall over the same floor.
TEST(FighterLook, FigureTakesItsProportions)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    option_set(OPT_VAKO, 0);
    option_set(OPT_ZUD, 0);
    m.frame();
    auto rows = [&](float height) {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        gl_set_color(0, 0, 0, 1);
        render_vako(1, 1, height);
        const std::vector<unsigned char> px = m.read();
        int top = -1, bottom = -1;
        for (int y = 0; y < m.h; y++)
            for (int x = 0; x < m.w; x++)
                if (px[((size_t)y * m.w + x) * 3] < 128) {
                    if (bottom < 0)
                        bottom = y;
                    top = y;
                    break;
                }
        return bottom < 0 ? 0 : top - bottom + 1;
    };
    const int once = rows(0.5f), twice = rows(1);
    EXPECT_GT(once, 20);
    EXPECT_GT(twice, once * 3 / 2);
    EXPECT_EQ(rows(-1), 0);
}

// A disqualifying ground impact is marked on the floor in its colour with
// the floor-texture option on; the round dojo is a ring 0.1 wide inside its
// edge, around the dojo's centre, in the HUD colour.
TEST(FighterLook, ImpactMarkerAndRoundDojoLieOnTheFloor)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    option_set(OPT_VAKO, 0);
    option_set(OPT_ZUD, 0);
    option_set(OPT_FLOORTEXTURE, 1);
    m.frame();
    const float *look = get_camera()->look;
    GroundImpact *g = get_ground_impact(0);
    g->frame = 0;
    g->countdown = 50;
    g->colour = 10;                 // green
    g->pos[0] = look[0];
    g->pos[1] = look[1];
    MatchRules *rules = get_match_rules();
    rules->dojotype = 1;
    rules->dojosize = 400;          // radius 4
    std::vector<unsigned char> px = m.frame();
    float c[3];
    // Points away from the camera: on the far side of each ring.
    const float *eye = get_camera()->eye;
    const double dx = look[0] - eye[0], dy = look[1] - eye[1], l = std::hypot(dx, dy);
    const double far[2] = {dx / l, dy / l};
    const double on_ring[3] = {look[0] + 0.9 * far[0], look[1] + 0.9 * far[1], 0.01};
    ASSERT_TRUE(m.point_pixel(px, on_ring, c));
    EXPECT_LT(c[0], 0.1f);
    EXPECT_GT(c[1], 0.9f);
    EXPECT_LT(c[2], 0.1f);
    float hud[3];
    hud_colour_rgb(HUD_TEXT, hud);
    const double *mid = DOJO_CENTRE;
    const double on_dojo[3] = {mid[0] + 3.95 * far[0], mid[1] + 3.95 * far[1], 0.003};
    ASSERT_TRUE(m.point_pixel(px, on_dojo, c));
    for (int k = 0; k < 3; k++)
        EXPECT_NEAR(c[k], std::min(hud[k], 1.0f), 2.0f / 255) << k;
    const double inside[3] = {mid[0] + 3.8 * far[0], mid[1] + 3.8 * far[1], 0.003};
    ASSERT_TRUE(m.point_pixel(px, inside, c));
    float floor[3];
    world_floor_colour(get_clear_color(), floor);
    for (int k = 0; k < 3; k++)
        EXPECT_NEAR(c[k], floor[k], 2.0f / 255) << k;
    option_set(OPT_FLOORTEXTURE, 0);
    px = m.frame();
    ASSERT_TRUE(m.point_pixel(px, on_ring, c));
    EXPECT_LT(c[1], 0.9f);
}

// A missing customisation texture is reported in one line and the part is
// drawn in its colour.
TEST(FighterLook, MissingCustomTexturesFallBackWithOneMessage)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    CustomRecord *rec = get_custom_record(0);
    for (int b = 0; b < BODY_COUNT; b++)
        rec->tex_body[b] = 1;
    rec->tex_ground = 1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(apply_player_textures(0, 0, ".", "nobody"), BODY_COUNT + 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(texture_is_loaded(&fighter_textures(0)->body[0]));
    const std::vector<unsigned char> px = m.frame();
    float c[3], want[3];
    double head[3];
    body_centre(0, 0, head);
    ASSERT_TRUE(m.point_pixel(px, head, c));
    body_colour(get_game_state(), 0, 0, want);
    EXPECT_TRUE(same_chroma(c, want)) << c[0] << " " << c[1] << " " << c[2];
    clear_all_customs();
}

// The colour the frame is cleared to survives a video reset (the renderer
// released and made again).
TEST(FighterLook, ClearColourKeptThroughAVideoReset)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    set_clear_color(0.2f, 0.4f, 0.6f);
    free_graphics();
    init_graphics();
    const std::vector<unsigned char> px = m.frame();
    const unsigned char *sky = &px[((size_t)(m.h - 5) * m.w + 4) * 3];     // top left
    EXPECT_NEAR(sky[0], 0.2 * 255, 1.5);
    EXPECT_NEAR(sky[1], 0.4 * 255, 1.5);
    EXPECT_NEAR(sky[2], 0.6 * 255, 1.5);
    const float *bg = world_background_colour();
    set_clear_color(bg[0], bg[1], bg[2]);
}

namespace {

// The queued record whose position is p (the shader path keeps them until
// the next frame starts), or null.
const DrawRecord *record_at(const double *p)
{
    for (int i = 0; i < draw_queue_count(); i++) {
        const DrawRecord *r = draw_queue_record(i);
        if (std::fabs(r->pos[0] - p[0]) + std::fabs(r->pos[1] - p[1]) + std::fabs(r->pos[2] - p[2]) < 1e-4)
            return r;
    }
    return nullptr;
}

void start_shader_path(void)
{
    option_set(OPT_SHADERS, 1);
    free_graphics();
    init_graphics();
}

} // namespace

// On the shader path every queued body and every whole joint sphere keeps
// the linear and angular velocity of the body it belongs to.
TEST(FighterLook, QueuedShapesCarryTheirBodysVelocities)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    start_shader_path();
    ASSERT_EQ(shaders_active(), 1);
    get_game_globals()->replay_mode = 0;
    Player *p = get_player(0);
    for (int b : {0, 3, 11}) {      // a sphere, a box and a hand
        dBodySetLinearVel(p->bodies[b], 1 + b, -2, 0.5);
        dBodySetAngularVel(p->bodies[b], 0.25, 3, -4 - b);
    }
    fighter_set_joint_state(0, 0, MOTOR_HOLD);      // the neck, a whole sphere on the head
    m.frame();
    for (int b : {0, 3, 11}) {
        double at[3];
        body_centre(0, b, at);
        const DrawRecord *r = record_at(at);
        ASSERT_NE(r, nullptr) << "body " << b;
        const float want[6] = {1.0f + b, -2, 0.5f, 0.25f, 3, -4.0f - b};
        for (int k = 0; k < 6; k++)
            EXPECT_FLOAT_EQ(r->extra[k], want[k]) << "body " << b << " word " << k;
    }
    double neck[3];
    joint_anchor(0, 0, neck);
    const DrawRecord *r = record_at(neck);
    ASSERT_NE(r, nullptr);
    const dReal *v = dBodyGetLinearVel(dGeomGetBody(p->joint_geoms[0]));
    const dReal *a = dBodyGetAngularVel(dGeomGetBody(p->joint_geoms[0]));
    for (int k = 0; k < 3; k++) {
        EXPECT_FLOAT_EQ(r->extra[k], (float)v[k]);
        EXPECT_FLOAT_EQ(r->extra[3 + k], (float)a[k]);
    }
    EXPECT_NE(r->extra[0], 0.0f);
}

// A dismembered joint still casts its shadow: flattened onto the floor on
// the fixed path, as an occluder on the shader path.
TEST(FighterLook, DismemberedJointCastsItsShadow)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    option_set(OPT_ZUD, 0);
    m.frame();
    auto inked = [&]() {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_joint_geoms(0, 7, DRAW_SHADOW, 1);
        const std::vector<unsigned char> px = m.read();
        return (int)std::count_if(px.begin(), px.end(), [](unsigned char c) { return c < 250; });
    };
    const int whole = inked();
    ASSERT_GT(whole, 100);
    dismember_fighter_joint(0, 0);
    dismember_fighter_joint(0, 16);
    ASSERT_EQ(get_player(0)->joints[0].broken, JOINT_DISMEMBERED);
    EXPECT_EQ(inked(), whole);
    // Each of the fighter's shapes is one occluder or more; the joints are
    // spheres, one each.
    start_shader_path();
    m.frame();
    int joints = 0;
    for (int i = 0; i < occluder_count(); i++)
        for (int j = 0; j < JOINT_COUNT; j++) {
            double at[3];
            geom_world_pose(get_player(0)->joint_geoms[j], at, nullptr);
            const float *o = occluder_at(i);
            joints += std::fabs(o[0] - at[0]) + std::fabs(o[1] - at[1]) + std::fabs(o[2] - at[2]) < 1e-4 &&
                      std::fabs(o[3] - dGeomSphereGetRadius(get_player(0)->joint_spheres[j])) < 1e-5;
        }
    EXPECT_EQ(joints, JOINT_COUNT);
}

// The hand markers sit at both hands of each fighter, gripping or not: two
// spheres of radius 0.1 per fighter in its colour.
TEST(FighterLook, HandMarkersAtBothHandsOfEachFighter)
{
    GlMatch m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    start_shader_path();
    m.frame();
    render_queues_reset();
    draw_hand_markers(get_game_state());
    int markers = 0;
    for (int f = 0; f < 2; f++)
        for (int hand : {R_HAND, L_HAND}) {
            double at[3];
            body_centre(f, hand, at);
            const DrawRecord *r = record_at(at);
            ASSERT_NE(r, nullptr) << "fighter " << f << " hand " << hand;
            float want[3];
            row_rgb(get_player(f)->colour, want);
            EXPECT_NEAR(r->scaled[0] * r->scaled[0] + r->scaled[1] * r->scaled[1] + r->scaled[2] * r->scaled[2],
                        0.01f, 1e-5);
            for (int k = 0; k < 3; k++)
                EXPECT_FLOAT_EQ(r->colour[k], want[k]);
            markers++;
        }
    EXPECT_EQ(draw_queue_count(), markers);
}
