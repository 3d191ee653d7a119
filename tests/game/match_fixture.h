// Shared set-up of the match tests: the built-in world under the default
// single-play rules, a match reset to frame 0 and waiting for its first turn,
// and a driver that plays turns as a player would, tick by tick.
#pragma once
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "game/frame_cache.h"
#include "game/game_state.h"
#include "game/ghost.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/replay_buffer.h"
#include "game/turn_cycle.h"
#include "game/turn_seam.h"
#include "game/world_build.h"
#include "net/turn_control.h"
#include "particles/limb_trails.h"

// The single-play defaults of the rules record (matchframes 500, turns of
// 10, dismemberment on, gravity 0 0 -9.82, two players).
inline void set_single_play_rules(MatchRules *r)
{
    fill_default_rules(0, r);
}

// Positions of every body of both fighters, in order.
inline std::vector<double> body_positions()
{
    std::vector<double> out;
    for (int i = 0; i < get_game_state()->players; i++)
        for (int b = 0; b < BODY_COUNT; b++) {
            const dReal *p = dBodyGetPosition(get_player(i)->bodies[b]);
            out.insert(out.end(), p, p + 3);
        }
    return out;
}

class MatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(init_game(), 0);
        set_single_play_rules(get_match_rules());
        *get_next_match_rules() = *get_match_rules();
        ASSERT_EQ(get_match_rules()->matchframes, 500);
        ASSERT_EQ(get_match_rules()->turnframe_count, 1);
        ASSERT_EQ(get_match_rules()->turnframe_list[0], 10);
        ASSERT_EQ(rules_nominal_turn_length(), 10);
        apply_world_forces();
        start_match();
    }
    void TearDown() override { free_game(); }

    // A new single-play match at frame 0, world frozen, fighter 1 holding.
    static void start_match()
    {
        WorldState *w = get_game_state();
        GameGlobals *g = get_game_globals();
        g->replay_mode = 0;
        g->network_mode = 0;
        g->selected_player = -1;
        set_ghost_option(GHOST_OPTION_ONE);
        if (w->ghost_mode != 0)
            leave_ghost_mode();
        frame_cache_clear();
        clear_emote_history();
        reset_match(0);
        truncate_replay(0);
        w->turn_index = 0;
        w->frames_left = 0;
        w->end_frame = 0;
        w->decision_frame = -1;
        w->gameover_timelimit = 0;
        w->ghost_length = 100;
        w->ghost_row = 0;
        w->frozen = 1;
        set_all_joint_states(1, MOTOR_HOLD);
    }

    // The live world waits for the player's turn.
    static bool waiting()
    {
        const WorldState *w = get_game_state();
        return !w->game_over && w->frames_left == 0 && (w->frozen || w->ghost_mode != 0) &&
               get_game_globals()->replay_mode == 0;
    }

    static void tick(int n = 1)
    {
        for (int k = 0; k < n; k++)
            run_match_tick(0);
    }

    // Scripted joint states for turn t (the same in every run).
    static void script_turn(int t)
    {
        for (int i = 0; i < get_game_state()->players; i++)
            for (int j = 0; j < JOINT_COUNT; j++)
                fighter_set_joint_state(i, j, 1 + (t * 7 + j * 3 + i * 5) % 4);
    }

    // Plays one turn as a player: joint states, a preview of ghost_ticks
    // ticks, commit, then ticks until the world waits again or the match ends.
    static int play_turn(int t, int ghost_ticks)
    {
        script_turn(t);
        restart_ghost(1);
        tick(ghost_ticks);
        commit_turn(0);
        int steps = 0;
        while (!waiting() && !get_game_state()->game_over) {
            const int before = get_game_state()->frame;
            tick();
            steps += get_game_state()->frame - before;
        }
        return steps;
    }
};
