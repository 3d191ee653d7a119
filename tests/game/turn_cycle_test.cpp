// The turn and frame cycle: turn lengths, freezing and previews between
// turns, and what a tick does in each state.
#include "match_fixture.h"

// Ticks until the world waits again; returns the world steps that ran.
static int run_until_waiting()
{
    int steps = 0;
    for (int guard = 0; guard < 10000; guard++) {
        const WorldState *w = get_game_state();
        if (w->frames_left == 0 && (w->frozen || w->ghost_mode != 0))
            break;
        const int before = w->frame;
        run_match_tick(0);
        steps += get_game_state()->frame - before;
    }
    return steps;
}

// Turns take the entries of the rules' list in turn; an empty list, or an
// entry below 1, takes the nominal length; with neither a turn is one frame.
TEST_F(MatchTest, TurnLengthsComeFromTheListOrTheNominalLength)
{
    struct { std::vector<int> list; int nominal; std::vector<int> lengths; } cases[] = {
        {{10, 20, 30}, 10, {10, 20, 30, 10, 20}},
        {{}, 15, {15, 15}},
        {{0, -4}, 15, {15, 15}},
        {{}, 0, {1}},
    };
    for (const auto &c : cases) {
        MatchRules *r = get_match_rules();
        r->turnframe_count = (int)c.list.size();
        for (size_t k = 0; k < c.list.size(); k++)
            r->turnframe_list[k] = c.list[k];
        rules_set_nominal_turn_length(c.nominal);
        get_game_state()->turn_index = 0;
        std::vector<int> lengths;
        for (size_t t = 0; t < c.lengths.size(); t++) {
            start_turn_frames(0);
            lengths.push_back(run_until_waiting());
        }
        EXPECT_EQ(lengths, c.lengths);
        EXPECT_EQ(get_game_state()->turn_index, (int)c.lengths.size());
    }
}

// Ticks while frozen run nothing; a quiet step keeps recording but skips
// the physics and the frame cache.
TEST_F(MatchTest, QuietStepKeepsRecordingButSkipsPhysicsAndCache)
{
    WorldState *w = get_game_state();
    const std::vector<double> before = body_positions();
    for (int k = 0; k < 5; k++)
        run_match_tick(0);
    EXPECT_EQ(w->frame, 0);
    EXPECT_EQ(body_positions(), before);
    start_turn_frames(3);
    w->frames_left = 0;   // drive step_world directly
    fighter_set_joint_state(0, NECK, MOTOR_FWD);
    step_world(1);
    EXPECT_EQ(w->frame, 1);
    EXPECT_EQ(w->frames_recorded, 1);
    EXPECT_EQ(frame_cache_valid(0), 0u);
    EXPECT_EQ(body_positions(), before);
    step_world(0);
    EXPECT_EQ(frame_cache_valid(1), 1u);
    EXPECT_NE(body_positions(), before);
}
