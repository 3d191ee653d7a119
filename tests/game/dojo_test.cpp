#include <cmath>
#include "game/dojo.h"
#include "game/contact_damage.h"
#include "match_fixture.h"

namespace {

// Both fighters hold still through the first turn of a match with
// disqualification on and dqflag 1 (out of the dojo is out at once).
void hold_still_one_turn()
{
    set_all_joint_states(0, MOTOR_HOLD);
    set_all_joint_states(1, MOTOR_HOLD);
    commit_turn(0);
    for (int k = 0; k < 1000 && !match_waiting() && !get_game_state()->game_over; k++)
        run_match_tick(0);
}

} // namespace

// The dojo stands where the two-fighter start stands, at every engage
// rotation: every body of one fighter has its twin in the other, mirrored
// through the centre.
TEST_F(MatchTest, DefaultStartIsCentredOnTheDojo)
{
    for (int rotation = 0; rotation < 360; rotation += 45) {
        SCOPED_TRACE(rotation);
        get_match_rules()->engagerotation = rotation;
        start_single_play_match();
        for (int b = 0; b < BODY_COUNT; b++) {
            const dReal *a = dBodyGetPosition(get_player(0)->bodies[b]);
            const dReal *c = dBodyGetPosition(get_player(1)->bodies[b]);
            EXPECT_NEAR((a[0] + c[0]) / 2, DOJO_CENTRE[0], 1e-6) << b;
            EXPECT_NEAR((a[1] + c[1]) / 2, DOJO_CENTRE[1], 1e-6) << b;
        }
    }
}

// A dojo both fighters fit in around their own midpoint (their feet reach
// 0.8 from it along the line between them), whichever way the start is
// turned: standing still through the first turn disqualifies neither.
TEST_F(MatchTest, FightersStandingStillStayInsideASmallDojo)
{
    struct { int type, size, rotation; } cases[] = {
        {DOJO_SQUARE, 200, 0}, {DOJO_ROUND, 150, 0}, {DOJO_SQUARE, 200, 45}, {DOJO_SQUARE, 200, 270}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.type);
        SCOPED_TRACE(c.rotation);
        free_game();
        SetUp();
        MatchRules *r = get_match_rules();
        r->flags |= RULE_FLAG_DQ;
        r->dqflag = 1;
        r->dojotype = c.type;
        r->dojosize = c.size;
        r->engagerotation = c.rotation;
        start_single_play_match();
        hold_still_one_turn();
        ASSERT_GT(get_game_state()->frame, 0);
        for (int i = 0; i < 2; i++) {
            EXPECT_EQ(get_player(i)->disqualified, 0) << i;
            EXPECT_LT(get_ground_impact(i)->frame, 0) << i;
        }
        EXPECT_EQ(get_game_state()->game_over, 0);
        for (int i = 0; i < 2; i++)
            for (int b : {R_FOOT, L_FOOT}) {
                const dReal *p = dBodyGetPosition(get_player(i)->bodies[b]);
                EXPECT_EQ(dojo_point_outside(r, p[0], p[1]), 0) << i << " " << b;
            }
    }
}
