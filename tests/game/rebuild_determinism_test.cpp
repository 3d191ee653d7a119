// A match played after another one, after a rebuild of the world, or after
// free_game + init_game must be bit-identical to the same match played first
// in a fresh process: replays and the match history rely on it. Each run
// starts the way the game starts a single-play match (new_match), plays the
// same scripted turns (joint states, grips, a ghost preview before each
// commit) to the end, and records every body position of every live frame,
// then the scores, injuries and joint breaks.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "app/base/clock.h"
#include "app/base/text.h"
#include "game/match_start.h"
#include "match_setup.h"
#include "support/test_support.h"

namespace {

uint32_t g_now;
uint32_t test_clock() { return g_now; }

// The rules a single-play match starts from.
MatchRules default_rules()
{
    MatchRules r;
    memset(&r, 0, sizeof r);
    fill_default_rules(0, &r);
    return r;
}

int start_game()
{
    clock_set_source(test_clock);
    if (init_game() != 0)
        return 1;
    fill_default_rules(0, get_match_rules());
    *get_next_match_rules() = *get_match_rules();
    apply_world_forces();
    return 0;
}

// A mark on fighter 0's head body: a rebuilt world has new bodies without it
// (the engine may well give the new world the old addresses).
int g_mark;
void mark_world() { dBodySetData(get_player(0)->bodies[HEAD], &g_mark); }
bool world_marked() { return dBodyGetData(get_player(0)->bodies[HEAD]) == &g_mark; }

// Starts a single-play match with the given rules, as the menus do.
void begin_match(MatchRules rules)
{
    new_match(0, 0, &rules, 0);
}

// Plays the scripted match from its first turn to its end. Returns every
// body position of every live frame, then per fighter its score, injury and
// the break state of each joint, then the last frame and the result kind.
std::vector<double> play_scripted_match()
{
    std::vector<double> out;
    WorldState *w = get_game_state();
    int t = 0;
    while (!w->game_over && t < 200) {
        script_turn(t);
        if (t % 7 == 3)
            toggle_grip(t % 2, t % 3 ? R_HAND : L_HAND);
        restart_ghost(1);
        for (int k = 0; k < 3; k++)
            run_match_tick(0);
        commit_turn(0);
        t++;
        while (!match_waiting() && !w->game_over) {
            const int before = w->frame;
            run_match_tick(0);
            g_now += 10;
            if (w->frame == before)
                continue;
            const std::vector<double> pos = body_positions();
            out.insert(out.end(), pos.begin(), pos.end());
        }
    }
    for (int i = 0; i < w->players; i++) {
        const Player *p = get_player(i);
        out.push_back(p->score);
        out.push_back(p->injury);
        for (int j = 0; j < JOINT_COUNT; j++)
            out.push_back(p->joints[j].broken);
    }
    out.push_back(w->frame);
    out.push_back(w->result_kind);
    return out;
}

// Where two runs first part: the frame, fighter, body and axis, or "same".
std::string first_difference(const std::vector<double> &a, const std::vector<double> &b)
{
    const size_t per_frame = 2 * BODY_COUNT * 3;
    if (a.size() != b.size())
        return "lengths differ: " + std::to_string(a.size() / per_frame) + " vs " +
               std::to_string(b.size() / per_frame) + " frames";
    for (size_t k = 0; k < a.size(); k++)
        if (memcmp(&a[k], &b[k], sizeof(double)) != 0) {
            char msg[200];
            const size_t frames_end = a.size() - (2 * (2 + JOINT_COUNT) + 2);
            if (k < frames_end)
                snprintf(msg, sizeof msg, "frame %zu fighter %zu body %zu axis %zu: %.17g vs %.17g",
                         k / per_frame + 1, k % per_frame / (BODY_COUNT * 3), k % (BODY_COUNT * 3) / 3,
                         k % 3, a[k], b[k]);
            else
                snprintf(msg, sizeof msg, "result word %zu: %.17g vs %.17g", k - frames_end, a[k], b[k]);
            return msg;
        }
    return "same";
}

std::vector<double> as_doubles(const std::string &bytes)
{
    std::vector<double> v(bytes.size() / sizeof(double));
    memcpy(v.data(), bytes.data(), v.size() * sizeof(double));
    return v;
}

// The first match of a fresh process, from the child run below.
std::vector<double> fresh_process_match()
{
    kxtest::TempDir dir;
    const std::string path = dir.file("fresh.bin");
    EXPECT_EQ(kxtest::run_self("RebuildDeterminismChild.DumpFirstMatch", "KX_REBUILD_DUMP=" + path), 0);
    return as_doubles(kxtest::read_file(path));
}

} // namespace

// Writes the first match of this process to KX_REBUILD_DUMP (started by the
// test below in a process of its own).
TEST(RebuildDeterminismChild, DumpFirstMatch)
{
    const char *path = getenv("KX_REBUILD_DUMP");
    if (!path)
        GTEST_SKIP() << "started by FirstMatchIsTheFreshProcessMatch";
    ASSERT_EQ(start_game(), 0);
    begin_match(default_rules());
    const std::vector<double> run = play_scripted_match();
    free_game();
    kxtest::write_file(path, std::string((const char *)run.data(), run.size() * sizeof(double)));
}

// The first match of the process (started in SetUp) and a second way of
// starting it again.
class RebuildDeterminism : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(start_game(), 0);
        begin_match(default_rules());
        first_ = play_scripted_match();
        // The scripted match runs to its full length of 500 frames.
        ASSERT_EQ(first_.size(), 500u * 2 * BODY_COUNT * 3 + 2 * (2 + JOINT_COUNT) + 2);
    }
    void TearDown() override { free_game(); }

    std::vector<double> first_;
};

TEST_F(RebuildDeterminism, FirstMatchIsTheFreshProcessMatch)
{
    EXPECT_EQ(first_difference(first_, fresh_process_match()), "same");
}

TEST_F(RebuildDeterminism, SameRulesAgainKeepTheWorldAndPlayTheSame)
{
    mark_world();
    begin_match(default_rules());
    ASSERT_TRUE(world_marked()) << "same rules rebuilt the world";
    EXPECT_EQ(first_difference(play_scripted_match(), first_), "same");
    // And a third time.
    begin_match(default_rules());
    EXPECT_EQ(first_difference(play_scripted_match(), first_), "same");
}

TEST_F(RebuildDeterminism, RebuildForAnotherNameOfTheBuiltInWorldPlaysTheSame)
{
    mark_world();
    MatchRules classic = default_rules();
    n_strncpyz(classic.mod, "classic.kxm", RULES_TEXT_SIZE);
    begin_match(classic);
    EXPECT_FALSE(world_marked()) << "another mod name kept the world";
    EXPECT_EQ(first_difference(play_scripted_match(), first_), "same");
}

TEST_F(RebuildDeterminism, RulesChangeAndBackPlayTheSame)
{
    MatchRules longer = default_rules();
    longer.matchframes = 600;
    mark_world();
    begin_match(longer);
    EXPECT_FALSE(world_marked()) << "changed rules kept the world";
    EXPECT_EQ(get_match_rules()->matchframes, 600);
    begin_match(default_rules());
    EXPECT_EQ(get_match_rules()->matchframes, 500);
    EXPECT_EQ(first_difference(play_scripted_match(), first_), "same");
}

TEST_F(RebuildDeterminism, NewGameInTheSameProcessPlaysTheSame)
{
    free_game();
    ASSERT_EQ(start_game(), 0);
    begin_match(default_rules());
    EXPECT_EQ(first_difference(play_scripted_match(), first_), "same");
}

// The match reset (as the replay playback start uses it) on a used world:
// two matches started through it play the same.
TEST_F(RebuildDeterminism, MatchResetPlaysTheSameTwice)
{
    start_single_play_match();
    const std::vector<double> once = play_scripted_match();
    start_single_play_match();
    EXPECT_EQ(first_difference(play_scripted_match(), once), "same");
}
