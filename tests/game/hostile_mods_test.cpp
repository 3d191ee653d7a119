// Mods with sizes, masses, radii, pushes and places the physics engine
// cannot take, as real files: each is set up the way the console sets a mod
// and starts a new game, then named by a replay's NEWGAME line; the match
// plays with the values refused and the built-in ones in their place.
#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include <vector>
#include "app/base/text.h"
#include "child_match.h"
#include "game/game_callbacks.h"
#include "game/game_resets.h"
#include "game/protocol/replay_file.h"
#include "game/turn_control.h"
#include "match_setup.h"
#include "mod_test_util.h"

namespace {

std::string every_body(const std::string &statements)
{
    std::string s;
    for (int b = 0; b < BODY_COUNT; b++)
        s += std::string("body ") + builtin_body_table()[b].name + "\n" + statements + "\n";
    return s;
}

std::string every_joint(const std::string &statements)
{
    std::string s;
    for (int j = 0; j < JOINT_COUNT; j++)
        s += std::string("joint ") + builtin_joint_table()[j].name + "\n" + statements + "\n";
    return s;
}

struct HostileMod {
    const char *name;
    std::string text;
    const char *refused;   // a message the load prints
};

std::vector<HostileMod> hostile_mods()
{
    return {
        {"tiny_head.kxm", "body head\nsides 0.001 0.001 0.001\n", "Body HEAD: sides 0.001"},
        {"huge_head.kxm", "body head\nsides 100 100 100\n", "Body HEAD: sides 100"},
        {"dust.kxm", every_body("sides 1e-6"), "sides 1e-06"},
        {"thin_head.kxm", "body head\nradius 1e-45\n", "Body HEAD: sides 1.4013e-45"},
        {"wide_joints.kxm", every_joint("radius 1000"), "Joint NECK: radius 1000 refused"},
        {"wide_neck.kxm", "joint neck\nradius 1000\n", "Joint NECK: radius 1000 refused"},
        {"ten_joints.kxm", every_joint("radius 10"), "radius 10 refused"},
        {"feather.kxm",
         every_body("sides 1e-30 1e-30 1e-30\nradius 1e-30\nmass 1e-30\ndensity 1e-30") + every_joint("radius 1e-30"),
         "density 1e-30 with sides"},
        {"rocket.kxm", every_body("density 0.001\nthrust 1 1e30 1e30 1e30\nforce 1e30 0 1e30"), "thrust 1e+30"},
        {"light.kxm", every_body("density 0.001"), "gives a mass below"},
        {"small.kxm", every_body("sides 0.01 0.01 0.01"), "gives a mass below"},
        {"far_neck.kxm", "joint neck\npos 1000 1000 1000\n", "Joint NECK: pos 1000 1000 1000 refused"},
        {"far_out.kxm", every_body("pos 1e5 0 1e5"), "Body HEAD: pos 100000 0 100000 refused"},
        {"one_point.kxm", every_body("pos 30 0 30"), "farther than 2"},
        {"big_grip.kxm", every_body("alt_sides 100 100 100"), "alt_sides 100"},
        {"stuck.kxm", every_joint("range -1e20 -1e20"), "Joint NECK: range -1e+20 -1e+20 refused"},
        {"huge_object.kxm", "env_obj 1\nshape box\nsides 1e9 1e9 1e9\npos 0 0 3\nmass 1\n", "env_obj 1: sides 1e+09"},
    };
}

bool bodies_finite()
{
    for (int i = 0; i < get_game_globals()->built_players; i++)
        for (dBodyID b : get_player(i)->bodies)
            for (int c = 0; c < 3; c++)
                if (!std::isfinite(dBodyGetPosition(b)[c]) || !std::isfinite(dBodyGetQuaternion(b)[c]))
                    return false;
    return true;
}

// Turns of changing joint states with both fighters gripping.
void play_turns(int turns)
{
    for (int t = 0; t < turns && !get_game_state()->game_over; t++) {
        set_grip(0, R_HAND, GRIP_ON);
        set_grip(1, L_HAND, GRIP_ON);
        play_turn(t, 3);
    }
}

class HostileMods : public ModTest {};

} // namespace

TEST_F(HostileMods, EachPlaysAMatchFromTheConsoleAndFromAReplay)
{
    for (const HostileMod &m : hostile_mods()) {
        SCOPED_TRACE(m.name);
        write_mod(m.name, m.text);
        // The console: "set mod <name>", then a new game.
        testing::internal::CaptureStderr();
        EXPECT_EQ(set_rules_option("mod", m.name, get_next_match_rules()), 0);
        MatchRules *next = get_next_match_rules();
        next->matchframes = 200;
        rules_set_turnframes(next, "10");
        reset_game();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(m.refused), std::string::npos) << err;
        EXPECT_STREQ(get_game_globals()->loaded_mod, m.name);
        leave_ghost_mode();
        play_turns(8);
        EXPECT_TRUE(bodies_finite());

        // A replay that names the mod plays back and is taken over.
        MatchRules r;
        fill_default_rules(0, &r);
        n_strncpyz(r.mod, m.name, sizeof r.mod);
        std::string replay = "#!/usr/bin/kaelmund\nVERSION 0\n" + std::string(make_newgame_line(0, &r));
        for (int f = 0; f < 80; f += 10)
            replay += "FRAME " + std::to_string(f) + "; 0 0\nJOINT 0; 1 " + std::to_string(1 + f % 4) +
                      " 4 2 14 1\nJOINT 1; 2 3 5 1\nGRIP 1; 0 1\n";
        kxtest::write_file("named.rpl", replay);
        testing::internal::CaptureStderr();
        ASSERT_EQ(read_replay_file("named.rpl"), 0);
        testing::internal::GetCapturedStderr();
        EXPECT_STREQ(get_match_rules()->mod, m.name);
        start_playback(0);
        for (int k = 0; k < 100; k++)
            run_match_tick(0);
        enter_edit_mode();
        play_turns(3);
        EXPECT_TRUE(bodies_finite());
    }
}

// "set mod" for a file that is not there says so and keeps the mod.
TEST_F(HostileMods, SettingAMissingModSaysSoAndKeepsTheMod)
{
    EchoCapture echo;
    const std::vector<std::string> &echoed = echo.lines;
    write_mod("there.kxm", "body head\nsides 0.3\n");
    EXPECT_EQ(set_rules_option("mod", "there.kxm", get_next_match_rules()), 0);
    EXPECT_EQ(set_rules_option("mod", "nothere.kxm", get_next_match_rules()), 0);
    echo.stop();
    EXPECT_STREQ(get_next_match_rules()->mod, "there.kxm");
    EXPECT_STREQ(get_mod_rules()->mod, "there.kxm");
    ASSERT_EQ(echoed.size(), 1u);
    EXPECT_EQ(echoed[0], "No mod nothere.kxm in data/mod: the mod stays there.kxm");
}

// One rule for mod names: a mod in a folder under data/mod is taken by
// "set mod" and played by the next new game and by a replay that names it;
// a name that climbs out of data/mod is refused at the "set", with the
// reason, and the mod stays.
TEST_F(HostileMods, AModInAFolderIsSetAndPlayedAndABadNameIsRefusedAtTheSet)
{
    EchoCapture echo;
    const std::vector<std::string> &echoed = echo.lines;
    mkdir("data/mod/sub", 0755);
    write_mod("sub/arena.kxm", "body head\nsides 0.3\n");
    EXPECT_EQ(set_rules_option("mod", "sub/arena.kxm", get_next_match_rules()), 0);
    EXPECT_STREQ(get_next_match_rules()->mod, "sub/arena.kxm");
    reset_game();
    EXPECT_STREQ(get_game_globals()->loaded_mod, "sub/arena.kxm");
    EXPECT_STREQ(get_match_rules()->mod, "sub/arena.kxm");
    EXPECT_EQ(get_game_globals()->mod_load_failed, 0);
    EXPECT_DOUBLE_EQ(dGeomSphereGetRadius(get_player(0)->body_geoms[HEAD]), 0.3f);

    testing::internal::CaptureStderr();
    EXPECT_EQ(set_rules_option("mod", "../sub/arena.kxm", get_next_match_rules()), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_STREQ(get_next_match_rules()->mod, "sub/arena.kxm");

    // A replay of the match plays the same mod.
    reset_game();
    ASSERT_EQ(write_replay("arena.rpl", 0), 0);
    ASSERT_EQ(read_replay_file("arena.rpl"), 0);
    EXPECT_STREQ(get_match_rules()->mod, "sub/arena.kxm");
    EXPECT_DOUBLE_EQ(dGeomSphereGetRadius(get_player(0)->body_geoms[HEAD]), 0.3f);
    echo.stop();
    ASSERT_EQ(echoed.size(), 1u);
    EXPECT_EQ(echoed[0], "Mod name ../sub/arena.kxm refused: not a file under data/mod; the mod stays sub/arena.kxm");
}

namespace {

std::string round_body(const char *name, const std::string &shape, const std::string &sides,
                       const std::string &density, const std::string &rot)
{
    return std::string("body ") + name + "\nshape " + shape + "\nsides " + sides + "\ndensity " + density +
           "\nrot " + rot + "\n";
}

struct BodyMod {
    const char *name;
    std::string text;
    const char *message;   // nullptr: nothing about the bodies is refused
};

} // namespace

// Spheres and cylinders wider than the engine takes, heavy or light, are
// refused naming the radius; heavy bodies at the limits, joined to each
// other and to the built-in ones, play whole matches; the world's friction
// is bounded. Each mod plays in a child of its own, as the engine ends the
// program it runs in.
TEST_F(HostileMods, WideRoundBodiesAreRefusedAndHeavyJoinedBodiesPlay)
{
    const std::vector<BodyMod> mods = {
        {"heavy_globes.kxm",
         round_body("head", "sphere", "30", "1000000", "1000000 1 1") +
             round_body("chest", "sphere", "30", "1000000", "1000000 1 1"),
         "Body HEAD: sides 30 0 0 refused (a sphere's radius 0.01 to 5), keeping the built-in size"},
        {"light_globe.kxm", round_body("chest", "sphere", "30", "0.0001", "0 1 1"),
         "Body CHEST: sides 30 0 0 refused (a sphere's radius 0.01 to 5), keeping the built-in size"},
        {"wide_thigh.kxm", round_body("r_thigh", "cylinder", "20 1", "1", "0 0 0"),
         "Body R_THIGH: sides 20 1 0 refused (a cylinder's radius 0.01 to 5, length 0.01 to 30)"},
        {"small_grip.kxm", "body r_hand\nalt_sides 0.01 0.01 0.01\n",
         "Body R_HAND: alt_sides 0.01 0.01 0.01 with density 0.25 gives a mass below 0.0001, refused"},
        {"slippery.kxm", "world\nfriction 3e38\n", "friction 3e38 refused (the world's friction 0 to 1e+06)"},
        // At the limits: 5.2e8 kg spheres, a 2.7e10 kg box, a cylinder of
        // 2.9e9 kg and a thin long one,
        // joined to each other and to built-in bodies of a few grams.
        {"heavy_chain.kxm",
         round_body("head", "sphere", "5", "1000000", "1000000 1 1") +
             round_body("breast", "box", "30 30 30", "1000000", "0 1 1") +
             round_body("chest", "cylinder", "5 30", "1000000", "0 1 1") +
             round_body("r_thigh", "sphere", "5", "1000000", "90 0 0") +
             round_body("r_leg", "cylinder", "0.01 10", "0.25", "90 90 90") + "world\nfriction 1e6\n",
         nullptr},
    };
    std::vector<std::function<int()>> jobs;
    for (const BodyMod &m : mods) {
        write_mod(m.name, m.text);
        const std::string name = m.name;
        // Bodies this wide make long matches: a new game on the mod and a
        // few turns, both fighters gripping.
        jobs.push_back([name]() -> int {
            if (const int rc = kxtest::new_short_mod_game(name))
                return rc;
            play_turns(12);
            return kxtest::bodies_finite() ? 0 : kxtest::CHILD_NOT_FINITE;
        });
    }
    const std::vector<kxtest::ChildEnd> ends = kxtest::run_children(jobs);
    kxtest::expect_ends_with_messages(ends, mods, "Body ");
}
