// Environment objects and object joints the physics engine cannot take, as
// real mod files: each is set from the console, played as a whole match
// with the replay after it, then named by a replay's NEWGAME line and
// played again, in a child process of its own (the engine would end the
// test program). Values out of range are refused naming their statement;
// values at the edges of the range play on.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "child_match.h"
#include "game/env_objects.h"
#include "game/protocol/command_table.h"
#include "game/received_state.h"
#include "mod_test_util.h"

namespace {

struct ObjectMod {
    const char *name;
    std::string text;
    const char *message;   // printed by the load; nullptr: no object statement refused
};

std::string object(int n, const std::string &shape, const std::string &sides, const std::string &mass,
                   const std::string &pos, const std::string &more = "")
{
    return "env_obj " + std::to_string(n) + "\nshape " + shape + "\nsides " + sides + "\nmass " + mass + "\npos " +
           pos + "\n" + more;
}

std::string object_joint(int n, int a, int b, const std::string &axis, const std::string &pos,
                         const std::string &more = "")
{
    return "env_obj_joint " + std::to_string(n) + " " + std::to_string(a) + " " + std::to_string(b) + "\naxis " +
           axis + "\npos " + pos + "\n" + more;
}

// Two boxes beside the fighters, joined.
std::string pair(const std::string &joint_pos, const std::string &axis = "0 0 1")
{
    return object(1, "box", "0.5 0.5 0.5", "1", "1 0 1") + object(2, "box", "0.5 0.5 0.5", "1", "1 0.6 1") +
           object_joint(1, 1, 2, axis, joint_pos);
}

// A box hanging from a static one over the fighters.
std::string pendulum(const std::string &sides, const std::string &mass, const std::string &anchor)
{
    return object(1, "box", sides, mass, "0.2 -0.5 1.5") + object(2, "box", "0.1 0.1 0.1", "1", "0.2 -0.5 3", "flag 8\n") +
           object_joint(1, 2, 1, "1 0 0", anchor);
}

// All sixteen objects and joints: a chain of light objects between the
// fighters, each joined to the next with its anchor far away.
std::string sixteen(const std::string &mass, const std::string &anchor)
{
    std::string s;
    for (int i = 1; i <= 16; i++)
        s += object(i, i % 3 == 0 ? "sphere" : i % 3 == 1 ? "box" : "cylinder", "0.1 0.1 0.1", mass,
                    "0 " + std::to_string(-0.5 + 0.01 * i) + " " + std::to_string(0.2 * i));
    for (int i = 1; i <= 16; i++)
        s += object_joint(i, i, i % 16 + 1, "0 1 0", anchor);
    return s;
}

std::string hinged_globe()
{
    return object(1, "sphere", "0.5", "100", "0.91 -1.46 2.60", "flag 8\n") +
           object(2, "sphere", "29 29 1", "1", "0.90 0.34 0.86", "friction 30.01\n") +
           object(3, "box", "0.3 0.2 0.4", "1", "0.43 0.43 2.97", "flag 1\n") +
           object(4, "box", "0.3 0.2 0.4", "1", "0.83 -0.80 2.45", "rot 1e-30 1e6 101\nbounce 30.01\nfriction 0.5\n") +
           "env_obj 5\nshape cylinder\nsides 0.01 1\nfriction 1e-8\n"
           "env_obj 6\nshape cylinder\nmass 1\nrot 100 -999 30.01\nforce 1e-45 1e-45 1e-8\nfriction 1e6\n" +
           object(8, "sphere", "0.3 0.2 0.4", "1", "0.79 -0.20 1.85", "rot 3.4e38 0.0099 1e6\n") +
           object(9, "box", "0.3 0.2 0.4", "1", "-1.00 -1.49 1.63", "flag 8\n") +
           object(10, "box", "0.3 0.2 0.4", "30.01", "-0.04 0.05 0.40", "rot 1e-45 1e-8 1e-45\nflag 8\n") +
           object(11, "cylinder", "0.3 0.2 0.4", "1", "-0.95 -0.87 2.66", "rot 30 0.01 3000\nflag 12\n") +
           object(12, "cylinder", "0.3 0.2 0.4", "1", "-0.75 -0.63 1.18", "bounce 1e-45\n") +
           object_joint(3, 5, 11, "0 0 1", "0 -0.5 1.5") +
           object_joint(6, 2, 11, "30.01 3000 101", "0 -0.5 1.5", "strength 1.1e6\nvelocity 101\n") +
           object_joint(9, 6, 2, "0 0 1", "0 -0.5 1.5", "range 0.5 -1e30\nstrength 0.01\nvelocity 999\n") +
           object_joint(12, 8, 12, "0 0 1", "30.01 1e-4 0", "range 0 -1\nstrength -1\nvelocity 1e4\n");
}

std::vector<ObjectMod> refused_mods()
{
    return {
        {"light.kxm", object(1, "box", "1 1 1", "1e-30", "1 0 3"), "env_obj 1: mass 1e-30 refused"},
        {"far_anchor.kxm", pair("1e38 1e38 1e38"), "env_obj_joint 1: pos 1e+38 1e+38 1e+38 refused"},
        {"harmful_ball.kxm", object(1, "sphere", "10000", "1", "0 0 0", "flag 1\n"),
         "env_obj 1: sides 10000 0 0 refused"},
        {"ball.kxm", object(1, "sphere", "10000", "1", "0 0 0"), "env_obj 1: sides 10000 0 0 refused"},
        {"static_drum.kxm", object(1, "cylinder", "3000 3000", "1", "0 0 0", "flag 8\n"),
         "env_obj 1: sides 3000 3000 0 refused"},
        {"feather.kxm", object(1, "box", "0.5 0.5 0.5", "1e-8", "0 -0.5 1.2") + object(2, "box", "0.5 0.5 0.5", "1e-8", "1 0 3"),
         "env_obj 2: mass 1e-08 refused"},
        {"speck.kxm", pendulum("1e-10 1e-10 1e-10", "1", "0.2 -0.5 3"), "env_obj 1: sides 1e-10 1e-10 1e-10 refused"},
        {"far_box.kxm", object(1, "box", "0.5 0.5 0.5", "1", "1e5 0 1"), "env_obj 1: pos 100000 0 1 refused"},
        {"far_hinge.kxm", pendulum("0.3 0.3 0.3", "1", "0.2 1e4 3"), "env_obj_joint 1: pos 0.2 10000 3 refused"},
        {"no_axis.kxm", pair("1 0.3 1", "0 0 0"), "env_obj_joint 1: axis 0 0 0 refused"},
        {"locked_hinge.kxm", pair("1 0.3 1") + "range 3.4e38 3.4e38\n",
         "env_obj_joint 1: range 3.4e+38 3.4e+38 refused"},
        {"heavy.kxm", object(1, "box", "0.5 0.5 0.5", "1e30", "0 -0.5 2"), "env_obj 1: mass 1e+30 refused"},
        {"rubber.kxm", object(1, "box", "0.5 0.5 0.5", "1", "0 -0.5 1.2", "bounce 1e30\nfriction 1\n"),
         "env_obj 1: bounce 1e+30 refused"},
        {"chain.kxm", sixteen("1e-8", "0 1e38 0"), "env_obj_joint 16: pos 0 1e+38 0 refused"},
        // Found by the fuzz: a sphere of 29 m around the fighters, hinged
        // to a cylinder among other objects.
        {"hinged_globe.kxm", hinged_globe(), "env_obj 2: sides 29 29 1 refused"},
        // Round objects as wide as the round fighter bodies may be, and no
        // wider.
        {"wide_ball.kxm", object(1, "sphere", "5.01", "1", "0 0 0"),
         "env_obj 1: sides 5.01 0 0 refused (a sphere's radius 0.01 to 5), keeping 0.5"},
        {"wide_drum.kxm", object(1, "cylinder", "10 10 10", "1e6", "0 0 0.25", "bounce 1\n"),
         "env_obj 1: sides 10 10 10 refused (a cylinder's radius 0.01 to 5, length 0.01 to 10), keeping 0.5"},
        {"rammer.kxm", object(1, "cylinder", "0.5 0.5", "1", "0.16 0.44 1.99", "thrust 3 30 0 -1e30\n"),
         "env_obj 1: thrust 30 0 -1e+30 refused"},
        {"shove.kxm", object(1, "box", "0.5 0.5 0.5", "1", "0 -0.5 0.25", "force 0 1e9 -1e30\n"),
         "env_obj 1: force 0 1e+09 -1e+30 refused"},
    };
}

// At the edges of what the objects may be.
std::vector<ObjectMod> edge_mods()
{
    return {
        {"small_light.kxm",
         object(1, "box", "0.01 0.01 0.01", "1e-4", "0 -0.5 1.2") + object(2, "sphere", "0.01", "1e-4", "0.3 -0.4 2.5") +
             object(3, "cylinder", "0.01 0.01", "1e-4", "0 -0.4 0.9"),
         nullptr},
        {"big_heavy.kxm", object(1, "box", "10 10 10", "1e6", "0 -0.5 0.4") + object(2, "box", "0.5 0.5 0.5", "1", "0 -0.5 1.5"),
         nullptr},
        {"static_ball.kxm", object(1, "sphere", "5", "1", "0 0 0", "flag 8\n"), nullptr},
        {"globe.kxm", object(1, "sphere", "5", "1e-4", "0.9 0.34 0.86") + object(2, "box", "0.5 0.5 0.5", "1", "0 0.5 0.25") +
                          object_joint(1, 1, 2, "0.01 1 0.03", "0 -0.5 1.5", "strength 1e6\nvelocity 1e4\n"),
         nullptr},
        {"long_hinge.kxm", pendulum("0.01 0.01 0.01", "1e-4", "999 999 999"), nullptr},
        {"bouncy.kxm", object(1, "sphere", "0.01", "1e-4", "0 -0.5 1.2", "bounce 100\nfriction 3e38\nthrust 1 1e5 1e5 1e5\n"),
         nullptr},
        {"chain_edge.kxm", sixteen("1e-4", "0 999 0"), nullptr},
        {"spinner.kxm",
         object(1, "box", "0.01 0.01 0.01", "1e-4", "0 -0.5 1.2") + object(2, "cylinder", "0.01 0.01", "1e-4", "0 -0.49 1.2") +
             object_joint(1, 1, 2, "1 1 1", "0 -0.495 1.2", "strength 1e6\nvelocity 1e4\nrange 100 100\n"),
         nullptr},
        {"pusher.kxm",
         object(1, "cylinder", "0.5 0.5", "1e-4", "0.16 0.44 1.99", "thrust 3 1e5 0 -1e5\nforce 1e5 1e5 -1e5\n") +
             object(2, "box", "0.5 0.5 0.5", "1e6", "0 -0.5 0.25", "thrust 1 0 1e5 -1e5\n"),
         nullptr},
    };
}

class HostileObjects : public ModTest {};

// Runs the mods each in a child; reports how each ended and what was missing.
void play_all(const std::vector<ObjectMod> &mods, const std::string &extra_lines = "")
{
    std::vector<std::function<int()>> jobs;
    for (size_t i = 0; i < mods.size(); i++) {
        kxtest::write_file(std::string("data/mod/") + mods[i].name, mods[i].text);
        const std::string name = mods[i].name, replay = "named-" + std::to_string(i) + ".rpl";
        jobs.push_back([name, replay, extra_lines] { return kxtest::play_mod_everywhere(name, replay, extra_lines); });
    }
    const std::vector<kxtest::ChildEnd> ends = kxtest::run_children(jobs);
    kxtest::expect_ends_with_messages(ends, mods, "env_obj");
}

} // namespace

TEST_F(HostileObjects, OutOfRangeValuesAreRefusedNamingTheirStatementAndMatchesPlayOn)
{
    play_all(refused_mods());
}

// The replay's object states at the limits of what lines may give a pose:
// places at the edge of the world, the fastest speeds, a rotation of
// almost no length, each line given to all sixteen light objects.
TEST_F(HostileObjects, ObjectsAtTheEdgesOfTheRangePlayWholeMatchesAndReplays)
{
    std::string e;
    for (const char *key : {"EPOS 0;", "EQAT 0;", "EANGVEL 0;", "ELINVEL 0;"}) {
        e += key;
        for (int i = 0; i < 16; i++)
            e += key[1] == 'P' ? " 999 -999 999" : key[1] == 'Q' ? " 1e-300 0 0 1e-300" : " 1e4 -1e4 1e4";
        e += "\n";
    }
    play_all(edge_mods(), e);
}

// A game server's object state (P_ENV blocks, in millionths) at and beyond
// the limits of a pose, given to sixteen of the lightest, smallest objects
// before every turn of a whole match: places a little inside and outside
// the world, the fastest speeds a word can carry, rotations of almost no
// length and of none.
TEST_F(HostileObjects, ServerObjectStatesAtTheLimitsPlayOn)
{
    kxtest::write_file("data/mod/light_chain.kxm", sixteen("1e-4", "0 -0.5 1"));
    auto block = [](int turn) {
        std::vector<int32_t> words = {1};
        for (int i = 0; i < 16; i++) {
            const int32_t place = (turn + i) % 3 == 0 ? 999000000 : (turn + i) % 3 == 1 ? 2100000000 : -999000000;
            const int32_t speed = (turn + i) % 2 ? 2147000000 : -2147000000;
            const int32_t q = (turn + i) % 4 == 0 ? 0 : 1;
            for (int32_t w : {place, place, 500000, q, 0, 0, q, speed, speed, speed, speed, -speed, speed})
                words.push_back(w);
        }
        words[0] = (int32_t)words.size();
        std::string bytes;
        for (int32_t w : words)
            for (int k = 0; k < 4; k++)
                bytes += (char)(((uint32_t)w >> (8 * k)) & 0xff);
        return bytes;
    };
    const std::vector<kxtest::ChildEnd> ends = kxtest::run_children({[&block] {
        get_game_globals()->replay_mode = 0;
        set_rules_option("mod", "light_chain.kxm", get_next_match_rules());
        reset_game();
        leave_ghost_mode();
        CommandCursor cursor;
        command_cursor_reset(&cursor);
        for (int t = 0; t < 400 && !get_game_state()->game_over; t++) {
            parse_cmd(CMD_SOURCE_SERVER, "P_ENV 0;\n", -1, &cursor);
            const std::string b = block(t);
            parse_cmd(CMD_SOURCE_SERVER, b.data(), (int)b.size(), &cursor);
            apply_received_env_state();
            // The first turn's state: object 1 at the edge of the world, object
            // 2 beyond it (refused, it stays where the mod put it).
            if (t == 0 && (dBodyGetPosition(get_env_object(0)->body)[0] != 999.0 ||
                           dBodyGetPosition(get_env_object(1)->body)[0] != 0.0))
                return 6;
            set_grip(0, R_HAND, GRIP_ON);
            play_turn(t, 3);
        }
        return kxtest::bodies_finite() && get_game_state()->game_over ? 0 : kxtest::CHILD_NOT_FINITE;
    }});
    EXPECT_EQ(ends[0].how, "ok") << ends[0].err.substr(0, 2000);
    EXPECT_EQ(ends[0].err.find("env_obj"), std::string::npos) << ends[0].err.substr(0, 2000);
}
