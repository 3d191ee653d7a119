// Starting a match again: a named mod's world rebuilt for another player
// count, the ghost row a match starts with and the turn length it previews,
// the pose a stance holds, the start-up words, the default names.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "app/base/text.h"
#include "app/base/user_strings.h"
#include "game/game_resets.h"
#include "game/ghost.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "game/protocol/command_table.h"
#include "game/stance.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "support/test_support.h"
#include "world_fixture.h"

namespace {

class MatchRestart : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        fill_default_rules(0, get_next_match_rules());
        rules_ = *get_next_match_rules();
    }
    MatchRules rules_;
};

// Runs the turn that commit_turn started until the world waits again.
void run_turn()
{
    commit_turn(0);
    for (int i = 0; i < 1000 && get_game_state()->frames_left > 0; i++) {
        turn_countdown();
        step_world(0);
    }
}

} // namespace

// A one-fighter match of the mod already loaded (as a one-fighter replay of
// it opens) builds two records: the fighter and its ghost in the ghost
// space, not the second fighter of the last build.
TEST_F(MatchRestart, SameModWithAnotherPlayerCountIsBuiltAgain)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    mkdir("data", 0755);
    mkdir("data/mod", 0755);
    kxtest::write_file("data/mod/arena.kxm", "env_obj 1\npos 0 3 0.5\n");
    n_strncpyz(rules_.mod, "arena.kxm", sizeof rules_.mod);
    new_match(0, 0, &rules_, 0);
    ASSERT_EQ(get_game_globals()->built_players, 4);

    MatchRules one = *get_match_rules();
    one.players = 1;
    new_match(0, 0, &one, 0);
    EXPECT_EQ(get_game_state()->players, 1);
    EXPECT_EQ(get_game_globals()->built_players, 2);
    ASSERT_NE(get_player(1), nullptr);
    EXPECT_EQ(dGeomGetSpace(get_player(1)->body_geoms[HEAD]), get_game_globals()->ghost_space);
    EXPECT_STREQ(get_game_globals()->loaded_mod, "arena.kxm");
}

// A match starts on ghost row 0 with its speed, flags and length, whatever
// row the last match used; the "turnframe" row previews the coming turn's
// frames, turn by turn.
TEST_F(MatchRestart, GhostRowsTakeTheirValuesAndTheTurnLength)
{
    WorldState *w = get_game_state();
    ASSERT_EQ(set_rule("turnframes", "12,30", &rules_), 0);
    new_match(0, 0, &rules_, 0);
    ASSERT_EQ(set_ghost_mode(5), 0);      // "slow"
    EXPECT_FLOAT_EQ(w->ghost_speed, 0.5f);
    new_match(0, 0, &rules_, 0);
    const GhostModeRow *r0 = ghost_mode_row(0);
    EXPECT_EQ(w->ghost_row, 0);
    EXPECT_FLOAT_EQ(w->ghost_speed, r0->speed);
    EXPECT_EQ(w->ghost_flags, r0->flags);
    EXPECT_EQ(w->ghost_length, r0->frames);

    EXPECT_EQ(w->ghost_turn_length, 12);
    ASSERT_EQ(set_ghost_mode(2), 0);      // "turnframe"
    EXPECT_EQ(w->ghost_length, 12);
    run_turn();
    EXPECT_EQ(w->ghost_turn_length, 30);
    EXPECT_EQ(w->ghost_length, 30);       // the row in use follows the turn
    EXPECT_EQ(w->ghost_row, 2);
}

// A stance put on a fighter holds it: every hinge gets the holding force,
// whatever its motors did before.
TEST_F(MatchRestart, AppliedStanceHoldsTheFighter)
{
    Player *p = get_player(1);
    for (int j = 0; j < JOINT_COUNT; j++) {
        dJointSetHingeParam(p->hinges[j], dParamFMax, 0.0);
        dJointSetHingeParam(p->hinges[j], dParamVel, 3.0);
    }
    const int slot = store_stance_pose(0, "pose");
    ASSERT_GE(slot, 0);
    ASSERT_EQ(apply_stance(1, slot, 0, 0, 0), 0);
    for (int j = 0; j < JOINT_COUNT; j++) {
        EXPECT_EQ(dJointGetHingeParam(p->hinges[j], dParamFMax), 5.0) << j;
        EXPECT_EQ(dJointGetHingeParam(p->hinges[j], dParamVel), 0.0) << j;
    }
}

// The start-up words go together when the game server sends the player
// away with KICK 1; another KICK only shows its text.
TEST_F(MatchRestart, KickOneClearsTheStartUpWords)
{
    CommandCursor cursor;
    command_cursor_reset(&cursor);
    const std::string kick2 = "KICK 2; bye\n", kick1 = "KICK 1; bye\n";
    set_mod_state_word(1);
    get_game_state()->net_decision_frame = 40;
    parse_cmd(CMD_SOURCE_SERVER, kick2.c_str(), (int)kick2.size(), &cursor);
    EXPECT_EQ(get_mod_state_word(), 1);
    parse_cmd(CMD_SOURCE_SERVER, kick1.c_str(), (int)kick1.size(), &cursor);
    EXPECT_EQ(get_mod_state_word(), 0);
    EXPECT_EQ(get_game_state()->net_decision_frame, 0);
}

// Naming the fighters from an empty nick gives each its default name back.
TEST_F(MatchRestart, FightersTakeTheDefaultNames)
{
    set_nick("");
    set_player_name(0, "Alpha");
    set_player_name(1, "Beta");
    name_players_from_nick();
    EXPECT_STREQ(get_player(0)->name, "vako");
    EXPECT_STREQ(get_player(1)->name, "zud");
    EXPECT_STREQ(get_player(1)->short_name, "zud");
}
