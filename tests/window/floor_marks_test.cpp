#include <gtest/gtest.h>

#include <cmath>

#include "app/base/options.h"
#include "app/camera.h"
#include "game/dojo.h"
#include "game/contact_damage.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "render/color_table.h"
#include "render/hud_theme.h"
#include "render/shader_table.h"
#include "window/gl_match.h"

// The marks on the floor, the same moment drawn on both paths: the ring
// where a disqualified fighter touched the ground, and the dojo's outline on
// the border the game judges contacts by.
namespace {

struct FloorMarks : kxtest::GlMatch {
    // The path the next frames take, as a video reset makes it.
    void path(int shaders)
    {
        option_set(OPT_SHADERS, shaders);
        free_graphics();
        init_graphics();
        ASSERT_EQ(shaders_active(), shaders);
    }
    // The unit direction on the floor away from the camera.
    void away(double *d)
    {
        const float *eye = get_camera()->eye, *look = get_camera()->look;
        const double dx = look[0] - eye[0], dy = look[1] - eye[1], l = std::hypot(dx, dy);
        d[0] = dx / l;
        d[1] = dy / l;
    }
    // Whether a pixel within two of where the point projects has the colour.
    bool near_colour(const std::vector<unsigned char> &px, const double *p, const float *want)
    {
        double s[3];
        if (world_to_screen((float)p[0], (float)p[1], (float)p[2], s) != 0)
            return false;
        for (int dy = -2; dy <= 2; dy++)
            for (int dx = -2; dx <= 2; dx++) {
                float c[3];
                if (pixel(px, (int)s[0] + dx, (int)s[1] + dy, c) && std::fabs(c[0] - want[0]) < 0.08f &&
                    std::fabs(c[1] - want[1]) < 0.08f && std::fabs(c[2] - want[2]) < 0.08f)
                    return true;
            }
        return false;
    }
};

// A dojo too small for the fighters' feet, out at once: fighter 0 is
// disqualified where it stands on the ground; with the floor-texture option
// its ring shows there on either path, in the impact's colour, and without
// the option it does not.
TEST(FloorMarksTest, TheDisqualifyingImpactIsMarkedOnBothPaths)
{
    FloorMarks m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    MatchRules *r = get_match_rules();
    r->flags |= RULE_FLAG_DQ;
    r->dqflag = 1;
    r->dojotype = DOJO_SQUARE;
    r->dojosize = 10;
    commit_turn(0);   // the first turn played as the player would
    for (int k = 0; k < 50 && !get_player(0)->disqualified; k++)
        run_match_tick(0);
    ASSERT_NE(get_player(0)->disqualified, 0) << "the fighter never stood outside";
    r->dojosize = 0;   // no outline over the mark
    const GroundImpact *g = get_ground_impact(0);
    ASSERT_GT(g->countdown, 0);
    option_set(OPT_VAKO, 0);   // nothing stands over the mark
    option_set(OPT_ZUD, 0);
    float want[3];
    get_color_rgb(g->colour, want);
    double far[2];
    for (int shaders = 0; shaders < 2; shaders++) {
        SCOPED_TRACE(shaders ? "shader path" : "fixed path");
        m.path(shaders);
        option_set(OPT_FLOORTEXTURE, 1);
        std::vector<unsigned char> px = m.frame();
        m.away(far);
        const double on_ring[3] = {g->pos[0] + 0.9 * far[0], g->pos[1] + 0.9 * far[1], 0.01};
        const double middle[3] = {g->pos[0], g->pos[1], 0.01};
        float c[3];
        ASSERT_TRUE(m.point_pixel(px, on_ring, c));
        for (int k = 0; k < 3; k++)   // the floor's light shows a little through the ring's edges
            EXPECT_NEAR(c[k], want[k], 0.2f) << k;
        ASSERT_TRUE(m.point_pixel(px, middle, c));   // a ring: the floor inside
        EXPECT_GT(std::fabs(c[0] - want[0]) + std::fabs(c[1] - want[1]) + std::fabs(c[2] - want[2]), 0.3f);
        option_set(OPT_FLOORTEXTURE, 0);
        px = m.frame();
        ASSERT_TRUE(m.point_pixel(px, on_ring, c));
        EXPECT_GT(std::fabs(c[0] - want[0]) + std::fabs(c[1] - want[1]) + std::fabs(c[2] - want[2]), 0.3f);
    }
}

// The outline lies on the judged border, on both paths: on each side of
// the square (sides along x and y, around the dojo's centre) and at its
// corners, not inside; the ring's outer edge is the round dojo's border.
TEST(FloorMarksTest, TheDojoOutlineIsTheJudgedBorderOnBothPaths)
{
    FloorMarks m;
    ASSERT_TRUE(m.ok) << m.gl.last_error();
    option_set(OPT_VAKO, 0);
    option_set(OPT_ZUD, 0);
    MatchRules *r = get_match_rules();
    for (int shaders = 0; shaders < 2; shaders++) {
        SCOPED_TRACE(shaders ? "shader path" : "fixed path");
        m.path(shaders);
        float hud[3];
        hud_colour_rgb(HUD_TEXT, hud);
        r->dojotype = DOJO_SQUARE;
        r->dojosize = 200;
        std::vector<unsigned char> px = m.frame();
        const DojoGeometry g = dojo_geometry(r);
        const double cx = g.centre[0], cy = g.centre[1], h = g.half_side;
        const double border[][2] = {{cx + h, cy}, {cx - h, cy}, {cx, cy + h}, {cx, cy - h}, {cx + h, cy + h},
                                    {cx - h, cy + h}, {cx + 0.5 * h, cy + h}, {cx - h, cy - 0.5 * h}};
        int seen = 0, outside_view = 0;
        for (const auto &b : border) {
            const double p[3] = {b[0], b[1], 0.003};
            double s[3];
            if (world_to_screen((float)p[0], (float)p[1], (float)p[2], s) != 0 || s[0] < 2 || s[1] < 2 ||
                s[0] > m.w - 3 || s[1] > m.h - 3) {
                outside_view++;
                continue;
            }
            seen++;
            EXPECT_TRUE(m.near_colour(px, p, hud)) << b[0] << "," << b[1];
            EXPECT_EQ(dojo_point_outside(r, b[0], b[1]), 0);
            EXPECT_EQ(dojo_point_outside(r, b[0] + (b[0] - cx) * 0.02, b[1] + (b[1] - cy) * 0.02), 1);
            const double inside[3] = {cx + (b[0] - cx) * 0.5, cy + (b[1] - cy) * 0.5, 0.003};
            EXPECT_FALSE(m.near_colour(px, inside, hud)) << b[0] << "," << b[1];
        }
        EXPECT_GE(seen, 5) << outside_view << " out of view";

        r->dojotype = DOJO_ROUND;
        r->dojosize = 300;
        px = m.frame();
        const DojoGeometry round = dojo_geometry(r);
        double far[2];
        m.away(far);
        const double on_ring[3] = {cx + (round.radius - 0.05) * far[0], cy + (round.radius - 0.05) * far[1], 0.003};
        const double beyond[3] = {cx + (round.radius + 0.3) * far[0], cy + (round.radius + 0.3) * far[1], 0.003};
        const double inside[3] = {cx + (round.radius - 0.3) * far[0], cy + (round.radius - 0.3) * far[1], 0.003};
        EXPECT_TRUE(m.near_colour(px, on_ring, hud));
        EXPECT_FALSE(m.near_colour(px, beyond, hud));
        EXPECT_FALSE(m.near_colour(px, inside, hud));
        EXPECT_EQ(dojo_point_outside(r, on_ring[0], on_ring[1]), 0);
        EXPECT_EQ(dojo_point_outside(r, beyond[0], beyond[1]), 1);
        r->dojosize = 0;
    }
}

} // namespace
