// The game-server column: breaks, the batch table, turn input, results and
// the match set-up rows, all through parse_cmd.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/protocol/command_table.h"
#include "game/game_callbacks.h"
#include "game/joint_breaks.h"
#include "app/base/utils.h"
#include "game/match_announce.h"
#include "game/match_bouts.h"
#include "game/match_end.h"
#include "game/match_start.h"
#include "game/protocol/line_handlers_match.h"
#include "game/protocol/replay_file.h"
#include "game/received_state.h"
#include "game/turn_cycle.h"
#include "game/body_defs.h"
#include "world_fixture.h"

namespace {

int g_stain_clears;
void count_stain_clear(void) { g_stain_clears++; }

class ServerLines : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        command_cursor_reset(&cursor_);
        clear_received_state();
    }
    int line(const std::string &text) { return parse_cmd(CMD_SOURCE_SERVER, text.c_str(), (int)text.size(), &cursor_); }
    CommandCursor cursor_;
};

} // namespace

TEST_F(ServerLines, BreaksBatchesAndTurnInput)
{
    testing::internal::CaptureStderr();
    line("CRUSH 0; 4 25 -1 7\n");
    line("DISCL 1; 300 9\n");
    line("BREAK 1; 300 20\n");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::vector<int>({get_pending_breaks(0)[4].type, get_pending_breaks(0)[7].type,
                                get_pending_breaks(1)[9].type, get_pending_breaks(1)[9].frame}),
              std::vector<int>({1, 1, 2, 300}));
    EXPECT_EQ(get_player(0)->received_mask, RECV_DISMEMBER);

    line("BATCH 0; 5\n");
    line("B_GRIP 0; 1 2\n");
    line("B_JOINT 0; 3 1 19 4 20 1\n");
    line("BATCH 0; -1\n");
    EXPECT_EQ(get_received_state(0)->batch_index, 5);
    EXPECT_EQ(get_player(0)->ready, 1);
    const int32_t *batch = get_batch(5);   // grips, then joint states from 4 on
    EXPECT_EQ(std::vector<int>({batch[0], batch[2], batch[4 + 3], batch[4 + 19]}), std::vector<int>({1, 2, 1, 4}));
    testing::internal::CaptureStderr();
    line("BATCH 1; 64\n");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("BATCH: batch 64 out of range"), std::string::npos);
    EXPECT_EQ(get_received_state(1)->batch_index, 0);

    line("JOINT 1; 0 1 4 2 99 1\n");
    EXPECT_EQ(get_player(1)->motor_wish[0], 1);
    EXPECT_EQ(get_player(1)->motor_wish[4], 2);
    EXPECT_EQ(get_player(1)->ready, 1);
    line("GRAB 1; 0 5 12 3 0.5 1.5 2.5\n");
    EXPECT_EQ(get_received_state(1)->grab[GRIP_LEFT].set, 1);
    EXPECT_EQ(get_received_state(1)->grab[GRIP_LEFT].second, 5);
    EXPECT_EQ(get_received_state(1)->grab[GRIP_LEFT].point[2], 2.5);
    // The grip code holds fighter 1's left hand to fighter 0's body 5.
    EXPECT_TRUE(dAreConnected(get_player(1)->bodies[12], get_player(0)->bodies[5]));
    testing::internal::CaptureStderr();
    line("GRAB 0; -1 3 11 0 0 0 0\n");   // no such environment object
    EXPECT_NE(testing::internal::GetCapturedStderr().find("GRAB: nothing to grip"), std::string::npos);
    line("WORLD 0;\n");
    EXPECT_EQ(get_game_state()->received_mask, RECV_WORLD);
}

TEST_F(ServerLines, Results)
{
    get_player(0)->score = 111;
    get_player(1)->score = 222;
    line("GAME 900; 10 20\n");
    const ServerResult *s = get_server_result();
    EXPECT_EQ(std::vector<float>({s->injury[0], s->injury[1], s->score[0], s->score[1]}),
              std::vector<float>({10, 20, 111, 222}));
    EXPECT_EQ(get_player(0)->received_mask, RECV_RESULT);

    line("WIN 500; 0 1 0 0 0 1.0 2.0 3.0 7\n");
    EXPECT_EQ(get_game_state()->decision_frame, 500);
    EXPECT_EQ(std::vector<int>({s->winners[0], s->winners[1], s->losers[0], s->word}), std::vector<int>({-1, 1, 0, 7}));

    testing::internal::CaptureStderr();
    line("LOST 300; 5 1 0 0 0\n");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("LOST"), std::string::npos);
    line("LOST 300; 1 1 0.5 0.5 0\n");
    EXPECT_EQ(get_player(1)->received_mask & RECV_GROUND_IMPACT, RECV_GROUND_IMPACT);
}

// The entry -1 commits the bout list; with fewer bouts than fighters the
// match starts again at frame 0.
TEST_F(ServerLines, CommittedBoutListShortOfFightersResetsTheMatch)
{
    for (int bouts : {2, 1}) {
        get_game_state()->frame = 37;
        for (int b = 0; b < bouts; b++)
            line("BOUT " + std::to_string(b) + ";1 0 0 0 0 0 ann 0\n");
        line("BOUT -1;\n");
        EXPECT_EQ(get_game_state()->frame, bouts == 2 ? 37 : 0);
    }
}

// The rpg joint rows a server sends build the rpg match's fighter, before
// the strength percentage of its statistics applies.
TEST_F(ServerLines, RpgJointLinesShapeTheRpgMatchFighter)
{
    testing::internal::CaptureStderr();
    line("RPG_STRENGTH 1; 500 -3\n");
    line("RPG_SPEED 1; 7.5\n");
    line("RPG_DM_THRESH 1; 40\n");
    line("RPG 1;0 0 200 0 0 0\n");
    testing::internal::GetCapturedStderr();
    MatchRules r;
    fill_default_rules(0, &r);
    r.rpg = 1;
    new_match(0, 0, &r, 0);
    const JointDef *b = builtin_joint_table(), *j = get_player(1)->joint_defs;
    EXPECT_FLOAT_EQ(j[0].strength, 1000);
    EXPECT_FLOAT_EQ(j[1].strength, b[1].strength * 2);   // -3 refused
    EXPECT_FLOAT_EQ(j[0].velocity, 7.5f);
    EXPECT_FLOAT_EQ(j[1].velocity, b[1].velocity);
    EXPECT_EQ(j[0].dm_threshold, 40);
    EXPECT_FLOAT_EQ(get_player(0)->joint_defs[0].strength, b[0].strength);
}

TEST_F(ServerLines, TeamsEngageAndNewgame)
{
    line("TEAMS 2;0 1\n");
    EXPECT_EQ(scratch_rules()->players, 2);
    EXPECT_EQ(scratch_rules()->teams, 2);
    testing::internal::CaptureStderr();
    line("TEAMS 2;0 7\n");
    line("TEAMS 3;0 1 1\n");
    line("ENGAGE 2; 1 2 3 0 0 0\n");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("TEAMS: team 7 of fighter 1 out of range"), std::string::npos) << err;
    EXPECT_NE(err.find("ENGAGE: player 2 out of range"), std::string::npos) << err;
    EXPECT_EQ(scratch_rules()->team_of[1], 1);
    line("ENGAGE 1; 1 2 3 0 0 90\n");
    EXPECT_EQ(scratch_rules()->engage_rot[1][2], 90);

    MatchRules r;
    fill_default_rules(1, &r);
    r.matchframes = 640;
    const std::string ng = make_newgame_line(0, &r);
    const int started = server_matches_started();
    void (*saved)(void) = game_callbacks()->floor_stains_clear;
    game_callbacks()->floor_stains_clear = count_stain_clear;
    g_stain_clears = 0;
    line(ng);
    game_callbacks()->floor_stains_clear = saved;
    EXPECT_EQ(g_stain_clears, 1);   // the new match starts on a clean floor
    EXPECT_EQ(get_match_rules()->matchframes, 640);
    EXPECT_EQ(get_game_globals()->network_mode, 1);
    EXPECT_EQ(server_matches_started(), started + 1);
    EXPECT_EQ(get_game_state()->frozen, 1);
}

// A game server's ENGAGE and TEAMS lines before its NEWGAME line place and
// team the fighters of that match, as a replay's do; the next NEWGAME
// without them starts from the defaults again.
TEST_F(ServerLines, EngageAndTeamsLinesHoldForTheirMatch)
{
    MatchRules r;
    fill_default_rules(1, &r);
    const std::string ng = make_newgame_line(0, &r);
    auto head = [](int i) { return std::vector<double>(dBodyGetPosition(get_player(i)->bodies[HEAD]),
                                                       dBodyGetPosition(get_player(i)->bodies[HEAD]) + 3); };
    line(ng);
    ASSERT_EQ(get_match_rules()->engage_set, 0);
    const int plain_teams = get_match_rules()->teams;
    const std::vector<double> plain = head(0);

    line("TEAMS 2;1 0\n");
    line("ENGAGE 0; 0.5 0.25 0 0 0 0\n");
    line("ENGAGE 1; -0.5 -1.5 0 0 0 0\n");
    line(ng);
    const MatchRules *live = get_match_rules();
    EXPECT_EQ(live->engage_set, 1);
    EXPECT_EQ(std::vector<float>({live->engage_pos[0][0], live->engage_pos[0][1], live->engage_pos[1][1]}),
              std::vector<float>({0.5f, 0.25f, -1.5f}));
    EXPECT_EQ(std::vector<int>({live->teams, live->team_of[0], live->team_of[1]}), std::vector<int>({2, 1, 0}));
    EXPECT_EQ(std::vector<int>({get_player(0)->team, get_player(1)->team}), std::vector<int>({1, 0}));
    // Fighter 0 (heading 0 either way) stands half a metre further along x.
    EXPECT_NEAR(head(0)[0] - plain[0], 0.5, 1e-9);

    line(ng);
    EXPECT_EQ(get_match_rules()->engage_set, 0);
    EXPECT_EQ(get_match_rules()->teams, plain_teams);
    EXPECT_NEAR(head(0)[0], plain[0], 1e-9);
}

// The hand-over sets what arrived; a rotation that cannot be normalised (the
// zero groups QAT did not fill) or a position beyond the world leaves the
// body's own.
TEST_F(ServerLines, HandOverSetsArrivedStateAndKeepsUnusableRotations)
{
    auto vec = [](const dReal *v, int n) { return std::vector<double>(v, v + n); };
    dBodyID *body = get_player(0)->bodies;
    const std::vector<double> foot_q = vec(dBodyGetQuaternion(body[20]), 4), third = vec(dBodyGetPosition(body[2]), 3);
    line("POS 0; 1 2 3 4 5 6 0.5 1e300 0.5\n");
    line("QAT 0; 0 0 1 0 0 1 0 0\n");
    apply_received_fighter_state(0);
    EXPECT_EQ(vec(dBodyGetPosition(body[0]), 3), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(vec(dBodyGetPosition(body[1]), 3), (std::vector<double>{4, 5, 6}));
    EXPECT_EQ(vec(dBodyGetPosition(body[2]), 3), third);
    EXPECT_EQ(vec(dBodyGetQuaternion(body[1]), 4), (std::vector<double>{0, 1, 0, 0}));
    EXPECT_EQ(vec(dBodyGetQuaternion(body[20]), 4), foot_q);
    EXPECT_EQ(get_player(0)->received_mask, 0);
    // A place too far out for the collision to tell two bodies apart.
    line("POS 0; 4 -1e5 3\n");
    apply_received_fighter_state(0);
    EXPECT_EQ(vec(dBodyGetPosition(body[0]), 3), (std::vector<double>{1, 2, 3}));
}

// A hand gripping its own body (the engine cannot join a body to itself)
// is refused; the match plays on.
TEST_F(ServerLines, GripOfAHandOnItselfIsRefused)
{
    testing::internal::CaptureStderr();
    line("GRAB 0;0 11 11 0 1 1 1\n");
    line("GRAB 1;1 12 12 0 1 1 1\n");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Grip of fighter 0's hand 11 on itself refused"), std::string::npos) << err;
    EXPECT_EQ(get_player(0)->grip_joints[R_HAND], nullptr);
    EXPECT_EQ(get_player(1)->grip_joints[L_HAND], nullptr);
    line("GRAB 0;0 12 11 0 1 1 1\n");   // its other hand: two bodies
    EXPECT_TRUE(dAreConnected(get_player(0)->bodies[R_HAND], get_player(0)->bodies[L_HAND]));
    for (int k = 0; k < 20; k++)
        run_match_tick(0);
    EXPECT_TRUE(std::isfinite(body_pos(0, R_HAND)[2]));
}

// The longest turn frames and the top qi a server can send: the turn is cut
// to the longest turn, the belt after the top qi is the top belt, and the
// names from the bout list make a safe autosave name.
TEST_F(ServerLines, LargestTurnFramesQiAndRawNamesAreBounded)
{
    testing::internal::CaptureStderr();
    line("BOUT 0;41 2147483647 0 0 0 0 a:b*c?\xff\x01 0\n");
    line("BOUT 1;42 19 0 0 0 0 z<z|z\" 0\n");
    line("BOUT -1;\n");
    MatchRules r;
    fill_default_rules(1, &r);
    rules_set_turnframes(&r, "2147483647");
    line(make_newgame_line(0, &r));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(get_match_rules()->turnframe_list[0], 2147483647);
    start_turn_frames(0);
    EXPECT_EQ(get_game_state()->frames_left, TURN_FRAMES_MAX + 1);
    char name[256];
    ASSERT_EQ(autosave_name(name, sizeof name), 0);
    EXPECT_EQ(std::string(name).rfind("autosave/a_b_c_", 0), 0u) << name;
    EXPECT_TRUE(is_safe_path(name, 1)) << name;

    // A win with the belt-upgrade word, announced at its frame.
    const int frame = get_game_state()->frame;
    line("WIN " + std::to_string(frame) + "; 0 0 1 0 0 0 0 0 1\n");
    EXPECT_EQ(get_match_bout(0)->qi, 2147483647);
    match_end_network();
    EXPECT_EQ(get_game_state()->server_result, SERVER_RESULT_UPGRADE);
    announce_match_result(get_game_state());
}
