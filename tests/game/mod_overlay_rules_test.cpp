#include <cstring>
#include <string>
#include "app/base/text.h"
#include "game/body_defs.h"
#include "game/game_resets.h"
#include "game/match_start.h"
#include "game/protocol/replay_file.h"
#include "game/mod_export.h"
#include "game/mod_statements.h"
#include "mod_test_util.h"

static const char k_overlay[] =
    "body head\r\n   sides 0.25\r\njoint neck\r\n   strength 9\r\nplayer 0\r\n"
    "body l_foot\r\n   sides 0.5 0.5 0.5\r\nenv_obj 1\r\n   sides 2 2 2\r\n"
    "world\r\nfriction 1\r\ngamerule\r\nmatchframes 5\r\n";

static const char k_overlay_messages[] =
    "player statement not allowed in a player's rpg overlay\n"
    "env_obj statement not allowed in a player's rpg overlay\n"
    "sides statement out of context\n"
    "world statement not allowed in a player's rpg overlay\n"
    "friction statement not allowed in a player's rpg overlay\n"
    "gamerule statement not allowed in a player's rpg overlay\n"
    "parse_mod_cmd no op found matchframes 5\n";

TEST_F(ModTest, OverlayChangesOnlyItsOwnPlayer)
{
    // The mod names no player, so both fighters use player 0's tables; the
    // overlay for player 1 must still leave fighter 0 alone.
    // It is loaded after the world was built: the slots split at once.
    write_mod("base.kxm", "body head\nsides 0.3\nbody chest\nsides 0.6 0.2 0.2\n");
    write_overlay("zud", k_overlay);
    ASSERT_EQ(load_mod("base.kxm"), 0);
    const float world_friction = get_loaded_mod_world()->friction;
    const int matchframes = get_mod_rules()->matchframes;
    ModWorld *m = build_mod_world();
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->body_tables[1], get_loaded_body_table(0));

    testing::internal::CaptureStderr();
    ASSERT_EQ(load_rpg_mod(1, "zud"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), k_overlay_messages);
    EXPECT_EQ(m->body_tables[0], get_loaded_body_table(0));
    EXPECT_EQ(m->body_tables[1], get_loaded_body_table(1));
    EXPECT_EQ(m->body_tables[2], get_loaded_body_table(0));
    EXPECT_EQ(m->body_tables[3], get_loaded_body_table(1));

    const BodyDef *b0 = get_loaded_body_table(0), *b1 = get_loaded_body_table(1);
    EXPECT_FLOAT_EQ(b0[HEAD].sides[0], 0.3f);
    EXPECT_FLOAT_EQ(b1[HEAD].sides[0], 0.25f);
    EXPECT_FLOAT_EQ(b0[CHEST].sides[0], 0.6f);   // both start from the mod
    EXPECT_FLOAT_EQ(b1[CHEST].sides[0], 0.6f);
    EXPECT_FLOAT_EQ(b0[L_FOOT].sides[1], builtin_body_table()[L_FOOT].sides[1]);
    EXPECT_FLOAT_EQ(b1[L_FOOT].sides[1], 0.5f);
    EXPECT_FLOAT_EQ(get_loaded_joint_table(0)[NECK].strength, builtin_joint_table()[NECK].strength);
    EXPECT_FLOAT_EQ(get_loaded_joint_table(1)[NECK].strength, 9.0f);
    for (int i = 0; i < ENV_OBJECT_COUNT; i++)
        EXPECT_EQ(m->env_objects[i].defined, 0);
    EXPECT_FLOAT_EQ(m->friction, world_friction);
    EXPECT_EQ(get_mod_rules()->matchframes, matchframes);

    ASSERT_EQ(init_world(m), 0);
    EXPECT_NEAR(dGeomSphereGetRadius(get_player(0)->body_geoms[HEAD]), 0.3, 1e-6);
    EXPECT_NEAR(dGeomSphereGetRadius(get_player(1)->body_geoms[HEAD]), 0.25, 1e-6);
}

TEST_F(ModTest, OverlayNamesAndPlayersAreChecked)
{
    write_overlay("vako", "body head\nsides 0.22\n");
    kxtest::write_file("rpg.kxm", "body head\nsides 0.9\n");
    load_mod("none.kxm");
    const std::vector<unsigned char> before = snapshot();

    testing::internal::CaptureStdout();
    EXPECT_EQ(load_rpg_mod(0, "nobody"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unable to open mod custom/nobody/rpg.kxm\n");
    for (const char *bad : {"..", "../custom/vako", "vako/..", "/tmp", ".vako", ""}) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(load_rpg_mod(0, bad), 1) << bad;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("Unable to open mod custom/") + bad + "/rpg.kxm\n");
        EXPECT_NE(testing::internal::GetCapturedStderr().find("is not a folder name under custom"), std::string::npos);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_rpg_mod(2, "vako"), 1);
    EXPECT_EQ(load_rpg_mod(-1, "vako"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Invalid player index: 2\nInvalid player index: -1\n");
    EXPECT_TRUE(snapshot() == before);
    EXPECT_EQ(load_rpg_mod(1, "vako"), 0);
    EXPECT_FLOAT_EQ(get_loaded_body_table(1)[HEAD].sides[0], 0.22f);
    EXPECT_EQ(get_mod_parser()->overlay, 0);   // a later main mod may use every statement again
}

TEST_F(ModTest, GameruleFileWritesTheLiveRulesAndReadsBack)
{
    MatchRules *live = get_match_rules();
    ASSERT_EQ(set_rule("matchframes", "777", live), 0);
    ASSERT_EQ(set_rule("turnframes", "10,20,30", live), 0);
    ASSERT_EQ(set_rule("gravity", "0 0 -3", live), 0);
    ASSERT_EQ(set_rule("fracture", "1", live), 0);
    ASSERT_EQ(write_gamerule_file("data/mod/rules.kxm"), 0);
    const std::string text = kxtest::read_file("data/mod/rules.kxm");
    EXPECT_EQ(text.rfind("gamerule\r\n   matchframes 777\r\n   turnframes 10,20,30\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("   gravity 0.00 0.00 -3.00\r\n"), std::string::npos) << text;

    const std::string err = load_errors("rules.kxm");
    const MatchRules *mr = get_mod_rules();
    EXPECT_EQ(mr->matchframes, 777);
    EXPECT_EQ(mr->turnframe_count, 3);
    EXPECT_EQ(mr->turnframe_list[2], 30);
    EXPECT_FLOAT_EQ(mr->gravity[2], -3.0f);
    EXPECT_EQ(mr->flags, live->flags);
    EXPECT_EQ(err, "") << err;
}

// A replay written before the NEWGAME line carried the gravity and the
// disqualification flag names its mod with 25 fields: the match plays with
// the mod's own gravity and flag, as it was played, whatever the player set
// for the next match. The next match started otherwise plays its own rules.
TEST_F(ModTest, OldNewgameLinePlaysWithTheModsGravityForThatMatchOnly)
{
    write_mod("moon.kxm", "gravity 0 0 -1.5\ngamerule\ndqflag 1\n");
    MatchRules *next = get_next_match_rules();
    ASSERT_EQ(set_rule("gravity", "0 0 -20", next), 0);
    next->dqflag = 0;

    MatchRules r;
    fill_default_rules(0, &r);
    n_strncpyz(r.mod, "moon.kxm", sizeof r.mod);
    std::string line = make_newgame_line(0, &r);
    for (int k = 0; k < 5; k++)   // the gravity, the flag and the rpg word
        line.erase(line.find_last_of(' '));
    kxtest::write_file("old.rpl", "#!/usr/bin/kaelmund\nVERSION 0\n" + line + "\nFRAME 0; 0 0\n");
    ASSERT_EQ(read_replay_file("old.rpl"), 0);
    EXPECT_STREQ(get_match_rules()->mod, "moon.kxm");
    EXPECT_FLOAT_EQ(get_match_rules()->gravity[2], -1.5f);
    EXPECT_EQ(get_match_rules()->dqflag, 1);
    dVector3 g;
    dWorldGetGravity(get_game_globals()->world, g);
    EXPECT_FLOAT_EQ((float)g[2], -1.5f);

    // A network match from the room's rules, of the same mod: its gravity.
    MatchRules *room = get_network_room_rules();
    n_strncpyz(room->mod, "moon.kxm", sizeof room->mod);
    ASSERT_EQ(set_rule("gravity", "0 0 -7", room), 0);
    room->dqflag = 0;
    reset_network_game();
    EXPECT_FLOAT_EQ(get_match_rules()->gravity[2], -7.0f);
    EXPECT_EQ(get_match_rules()->dqflag, 0);
    EXPECT_FALSE(rules_gravity_from_mod());
    EXPECT_FALSE(rules_dqflag_from_mod());
}
