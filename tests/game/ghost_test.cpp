// The ghost preview predicts the coming turn; the trail stores it.
#include <cmath>
#include "match_fixture.h"

static double max_trail_deviation(int k)
{
    const GhostTrailFrame *t = ghost_trail_frame(k);
    double worst = 0;
    for (int i = 0; i < 2; i++)
        for (int b = 0; b < BODY_COUNT; b++) {
            const dReal *p = dBodyGetPosition(get_player(i)->bodies[b]);
            for (int c = 0; c < 3; c++)
                worst = std::fmax(worst, std::fabs(p[c] - t->bodies[i][b].pos[c]));
        }
    return worst;
}

static double preview_deviation(bool change_joints, void (*script)(int))
{
    WorldState *w = get_game_state();
    const int turn = 40;
    if (change_joints)
        script(2);
    restart_ghost(1);
    for (int k = 0; k <= turn; k++)
        run_match_tick(0);
    if (ghost_trail_complete())
        return -1;
    const int start = w->frame;
    start_turn_frames(turn);
    double worst = 0;
    for (int k = 0; k <= turn; k++) {
        if (k > 0)
            run_match_tick(0);
        if (w->frame != start + k)
            return -1;
        worst = std::fmax(worst, max_trail_deviation(k));
    }
    return worst;
}

// The ghosts run the same bodies, joints and contacts in the same order as
// the fighters. The copy at the start sets each ghost body's quaternion
// through the engine, which normalises it again and rebuilds the rotation
// matrix: the last bits change. A turn that begins with new joint states
// begins with a recorded frame, and recording gives the live bodies that
// same set, so such a turn is predicted to the bit; a turn without new
// states differs by rounding only. Both are held to 1e-9 m.
TEST_F(MatchTest, PreviewOfAllFightersPredictsTheTurn)
{
    for (bool change_joints : {true, false}) {
        SCOPED_TRACE(change_joints);
        TearDown();
        SetUp();
        play_turn(0, 3);
        play_turn(1, 3);
        ASSERT_EQ(get_game_state()->ghost_mode, 2);
        const double worst = preview_deviation(change_joints, script_turn);
        ASSERT_GE(worst, 0.0);
        EXPECT_LT(worst, 1e-9) << "largest difference " << worst;
    }
}

TEST_F(MatchTest, TrailCompletesAfterHundredFramesAndLoops)
{
    WorldState *w = get_game_state();
    play_turn(0, 0);
    ASSERT_EQ(w->ghost_mode, 2);
    // The tick that ends the turn already runs the first ghost step.
    ASSERT_EQ(w->ghost_frame, 1.0f);
    tick(98);
    EXPECT_FALSE(ghost_trail_complete());
    tick();   // frame 99 saved, length reached: restart, trail complete
    EXPECT_TRUE(ghost_trail_complete());
    EXPECT_EQ(w->ghost_frame, 0.0f);
    // Replaying the stored trail: the ghosts take the stored poses.
    tick(37);
    const GhostTrailFrame *t = ghost_trail_frame(36);
    const dReal *head = dBodyGetPosition(get_player(2)->bodies[HEAD]);
    for (int c = 0; c < 3; c++)
        EXPECT_NEAR(head[c], t->bodies[0][HEAD].pos[c], 1e-12);
    EXPECT_EQ(w->ghost_frame, 37.0f);
    tick(63);
    tick();   // wraps after frame 99
    EXPECT_EQ(w->ghost_frame, 1.0f);
}
