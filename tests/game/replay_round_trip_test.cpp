// The replay round trip: a headless match with joint states, grips, a
// dismemberment, a fracture and an emote is autosaved; a fresh process (this
// test binary started again) reads it back, writes it again byte for byte the
// same, and plays it back with the bodies of every recorded frame matching
// the file's values at the file's precision.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/base/options.h"
#include "app/base/text.h"
#include "game/env_objects.h"
#include "game/joint_breaks.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "game/replay_buffer.h"
#include "game/rpg_stats.h"
#include "game/protocol/replay_file.h"
#include "game/turn_cycle.h"
#include "game/world_build.h"
#include "game/turn_control.h"
#include "match_setup.h"
#include "support/test_support.h"


namespace {

const char *const k_env = "KX_REPLAY_CHECK";

// A match of 12 turns of 10 frames between fighters A and B.
void play_headless_match(void)
{
    MatchRules r;
    fill_default_rules(0, &r);
    *get_next_match_rules() = r;
    new_match(0, 0, &r, 0);
    set_player_name(0, "A");
    set_player_name(1, "B");
    for (int t = 0; t < 12; t++) {
        for (int i = 0; i < 2; i++)
            for (int j = 0; j < JOINT_COUNT; j++)
                fighter_set_joint_state(i, j, 1 + (t * 7 + j * 3 + i * 5) % 4);
        if (t == 2) {
            set_grip(0, R_HAND, GRIP_ON);
            set_grip(1, L_HAND, GRIP_ON);
        }
        if (t == 3)
            set_player_emote(0, "well met", 5);
        if (t == 4)
            break_joint(1, L_ELBOW, JOINT_DISMEMBERED);
        if (t == 5)
            set_grip(0, R_HAND, GRIP_RELEASE);
        if (t == 6)
            break_joint(0, R_KNEE, JOINT_FRACTURED);
        start_turn_frames(10);
        for (int k = 0; k < 10; k++)
            run_match_tick(0);
    }
}

int run_child(const std::string &replay)
{
    return kxtest::run_self("ReplayRoundTrip.ReadWriteAndPlayBackInThisProcess", std::string(k_env) + "=" + replay);
}

// The body values of one fighter in one frame as the file's text has them.
struct FileBodies {
    std::vector<std::string> pos;   // 63 tokens as written
    std::vector<double> qat;        // 84 values
};

// Reads the file's FRAME, POS and QAT lines with a reader of its own.
std::map<int, std::map<int, FileBodies>> file_bodies(const std::string &text)
{
    std::map<int, std::map<int, FileBodies>> out;
    std::istringstream in(text);
    std::string line;
    int frame = 0;
    while (std::getline(in, line)) {
        int number = 0;
        char key[16] = "";
        if (sscanf(line.c_str(), "%15[A-Z_] %d;", key, &number) != 2)
            continue;
        std::istringstream values(line.substr(line.find(';') + 1));
        std::string tok;
        if (std::string(key) == "FRAME") {
            frame = number;
        } else if (std::string(key) == "POS") {
            while (values >> tok)
                out[frame][number].pos.push_back(tok);
        } else if (std::string(key) == "QAT") {
            while (values >> tok)
                out[frame][number].qat.push_back(strtod(tok.c_str(), nullptr));
        }
    }
    return out;
}

} // namespace

TEST(ReplayRoundTrip, AutosavedMatchReadsBackInAFreshProcess)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    ASSERT_EQ(init_game(), 0);
    option_set(OPT_AUTOSAVE, 1);
    play_headless_match();
    ASSERT_EQ(save_replay(), 0);
    char name[REPLAY_PATH_SIZE];
    ASSERT_EQ(autosave_name(name, sizeof name), 0);
    const std::string text = kxtest::read_file(name);
    free_game();
    // What the match put into the file.
    EXPECT_NE(text.find("\nJOINT 1;"), std::string::npos);
    EXPECT_NE(text.find("\nGRIP 0; 0 1\n"), std::string::npos);
    EXPECT_NE(text.find("\nGRIP 0; 0 2\n"), std::string::npos);   // the release
    EXPECT_NE(text.find("\nCRUSH 1; 9\n"), std::string::npos);
    EXPECT_NE(text.find("\nFRACT 0; 16\n"), std::string::npos);
    EXPECT_NE(text.find("\nEMOTE 0;well met\n"), std::string::npos);
    EXPECT_EQ(run_child(dir.file(name)), 0) << "the fresh process failed; its output is above";
}

TEST(ReplayRoundTrip, ReadWriteAndPlayBackInThisProcess)
{
    const char *path = getenv(k_env);
    if (!path)
        GTEST_SKIP() << "run by AutosavedMatchReadsBackInAFreshProcess";
    const std::string file = path;
    const std::string folder = file.substr(0, file.rfind("/autosave/"));
    kxtest::ScopedChdir cd(folder);
    const std::string text = kxtest::read_file(file);
    ASSERT_EQ(init_game(), 0);

    ASSERT_EQ(read_replay_file(file.c_str()), 0);
    ASSERT_EQ(write_replay("again.rpl", 0), 0);
    EXPECT_TRUE(kxtest::read_file("again.rpl") == text) << "written again, the replay differs";

    const auto bodies = file_bodies(text);
    WorldState *w = get_game_state();
    ASSERT_EQ((size_t)w->frames_recorded, bodies.size());
    ASSERT_GT(bodies.size(), 4u);
    start_playback(0);
    ASSERT_EQ(w->frame, 0);
    const int last = bodies.rbegin()->first;
    int checked = 0;
    while (w->frame <= last && !HasFatalFailure()) {
        const int f = w->frame;
        const auto it = bodies.find(f);
        if (it != bodies.end()) {
            // The tick's own playback call, made before the tick so that the
            // bodies can be looked at before the step moves them; the tick
            // then finds nothing more to apply at this frame.
            ASSERT_EQ(play_replay_frame(f), 0) << "frame " << f;
            for (const auto &fighter : it->second) {
                const int i = fighter.first;
                ASSERT_EQ(fighter.second.pos.size(), 63u);
                ASSERT_EQ(fighter.second.qat.size(), 84u);
                for (int b = 0; b < BODY_COUNT; b++) {
                    const dReal *p = dBodyGetPosition(get_player(i)->bodies[b]);
                    const dReal *q = dBodyGetQuaternion(get_player(i)->bodies[b]);
                    for (int c = 0; c < 3; c++) {
                        char buf[64];
                        snprintf(buf, sizeof buf, "%.8f", p[c]);
                        ASSERT_EQ(buf, fighter.second.pos[b * 3 + c]) << "frame " << f << " fighter " << i;
                    }
                    // Six decimals, normalised again by the engine.
                    for (int c = 0; c < 4; c++)
                        ASSERT_NEAR(q[c], fighter.second.qat[b * 4 + c], 2e-6)
                            << "frame " << f << " fighter " << i << " body " << b;
                }
            }
            checked++;
        }
        run_match_tick(0);
        ASSERT_EQ(w->frame, f + 1) << "playback stalled";
    }
    EXPECT_EQ((size_t)checked, bodies.size());
    EXPECT_EQ(w->play_frame, w->frames_recorded);
    EXPECT_EQ(get_player(1)->joints[L_ELBOW].broken, JOINT_DISMEMBERED);
    EXPECT_EQ(get_player(0)->joints[R_KNEE].broken, JOINT_FRACTURED);
    free_game();
}

// A match in a mod with a static and two moving objects, with RPG statistics,
// an explicit placement and teams: the header lines and the objects' state
// lines read back and are written again the same; playback puts the objects
// where the file has them.
TEST(ReplayRoundTrip, ObjectsAndHeaderLinesReadBackTheSame)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    MatchRules r;
    ASSERT_EQ(start_object_arena_match(&r), 0);
    set_player_name(0, "A");
    set_player_name(1, "B");
    MatchRules *live = get_match_rules();
    live->rpg = 1;
    parse_engage_line(" 0.0 0.6 0.0 0 0 0", 0, live);
    parse_engage_line(" 0.0 -0.6 0.0 0 0 180", 1, live);
    live->teams = 2;
    live->team_of[0] = 1;
    const int32_t stats[RPG_STATS] = {120, 30, 110, 100, 105, 95};
    memcpy(get_rpg_stats(1)->value, stats, sizeof stats);
    for (int t = 0; t < 4; t++) {
        for (int j = 0; j < JOINT_COUNT; j++)
            fighter_set_joint_state(t % 2, j, 1 + (t + j) % 4);
        start_turn_frames(10);
        for (int k = 0; k < 10; k++)
            run_match_tick(0);
    }
    ASSERT_EQ(write_replay("first.rpl", 0), 0);
    free_game();
    clear_rpg_stats();
    const std::string first = kxtest::read_file("first.rpl");
    for (const char *line : {"\nRPG 1;120 30 110 100 105 95\n", "\nENGAGE 1; 0.000000 -0.600000", "\nTEAMS 2;1 0\n",
                             "\nEQAT 0;", "\nEANGVEL 0;", "\nELINVEL 0;"})
        EXPECT_NE(first.find(line), std::string::npos) << line;
    double epos[7];   // the static object takes no state: two objects
    ASSERT_EQ(sscanf(first.c_str() + first.find("\nEPOS 0;"), "\nEPOS 0;%lf %lf %lf %lf %lf %lf %lf", &epos[0],
                     &epos[1], &epos[2], &epos[3], &epos[4], &epos[5], &epos[6]), 6);

    ASSERT_EQ(init_game(), 0);
    ASSERT_EQ(read_replay_file("first.rpl"), 0);
    ASSERT_EQ(write_replay("second.rpl", 0), 0);
    EXPECT_TRUE(kxtest::read_file("second.rpl") == first) << "written again, the replay differs";
    start_playback(0);
    ASSERT_EQ(play_replay_frame(get_replay_frame(0)->frame), 0);
    ASSERT_NE(get_env_object(2), nullptr);
    for (int k = 0; k < 6; k++)
        EXPECT_NEAR(dGeomGetPosition(get_env_object(1 + k / 3)->geom)[k % 3], epos[k], 1e-8) << k;
    free_game();
    clear_rpg_stats();
}
