#include <sys/stat.h>
#include <sys/resource.h>
#include <csignal>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <memory>
#include <cstring>
#include <string>
#include "game/joints.h"
#include "game/mod_file.h"
#include "game/mod_world.h"
#include "game/ranmar.h"
#include "game/stance.h"
#include "game/world_options.h"
#include "support/test_support.h"
#include "world_fixture.h"

TEST(Ranmar, PublishedTestValues)
{
    UniformRng rng;
    rng.seed(1802, 9373);
    for (int k = 0; k < 20000; k++)
        rng.next();
    const int expected[6] = {6533892, 14220222, 7275067, 6172232, 8354498, 10633180};
    for (int v : expected)
        EXPECT_EQ((int)(rng.next() * 16777216.0), v);
}

class StanceTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        chdir_.reset(new kxtest::ScopedChdir(dir_.path()));
        mkdir("stance", 0755);
    }
    void TearDown() override
    {
        chdir_.reset();
        WorldTest::TearDown();
    }
    kxtest::TempDir dir_;
    std::unique_ptr<kxtest::ScopedChdir> chdir_;
};

TEST_F(StanceTest, SaveAndLoadRoundTrip)
{
    move_player(0, 2.5, -1.25, 2.75);
    turn_player(0, 90);
    ASSERT_EQ(store_stance_pose(0, "guard"), 1);
    ASSERT_EQ(save_stance(), 0);
    const std::string text = kxtest::read_file("stance/guard.sta");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 21);
    EXPECT_EQ(text.compare(0, 9, "2.500000 "), 0);
    EXPECT_TRUE(kxtest::read_file("stance/INIT.sta").size() > 0);

    const StanceSlot saved = *get_stance_slot(1);
    clear_stance_slots();
    ASSERT_EQ(load_stance("guard.sta"), 0);
    const StanceSlot *s = get_stance_slot(0);
    EXPECT_STREQ(s->name, "guard");
    for (int b = 0; b < 21; b++) {
        for (int k = 0; k < 3; k++)
            EXPECT_NEAR(s->pos[b][k], saved.pos[b][k], 1e-6);
        for (int k = 0; k < 4; k++)
            EXPECT_NEAR(s->quat[b][k], saved.quat[b][k], 1e-6);
    }
    // Applying it puts fighter 1 into the same pose.
    ASSERT_EQ(apply_stance(1, 0, 0, 0, 0), 0);
    EXPECT_NEAR(dBodyGetPosition(get_player(1)->bodies[HEAD])[0], 2.5, 1e-6);
    EXPECT_EQ(apply_stance(1, 5, 0, 0, 0), 1);
}

TEST_F(StanceTest, BrokenStanceFilesChangeNothing)
{
    std::string line = "1 2 3 1 0 0 0\n";
    std::string twenty, twentytwo, bad;
    for (int k = 0; k < 20; k++)
        twenty += line;
    twentytwo = twenty + line + line;
    bad = twenty + "1 2 3 1 0 0\n";
    kxtest::write_file("stance/short.sta", twenty);
    kxtest::write_file("stance/long.sta", twentytwo);
    kxtest::write_file("stance/bad.sta", bad);
    kxtest::write_file("stance/zeroq.sta", twenty + "1 2 3 0 0 0 0\n");
    kxtest::write_file("stance/nan.sta", twenty + "nan 2 3 1 0 0 0\n");
    kxtest::write_file("stance/ok.sta", twenty + line + "\n");
    const StanceSlot before = *get_stance_slot(1);
    for (const char *name : {"short.sta", "long.sta", "bad.sta", "zeroq.sta", "nan.sta", "missing.sta", "../x.sta", ".hidden"}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(load_stance(name), 1) << name;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.find(std::string("Unable to open stance ") + name), 0u) << err;
        EXPECT_EQ(memcmp(get_stance_slot(1), &before, sizeof before), 0) << name;
    }
    EXPECT_EQ(load_stance("ok.sta"), 0);
    EXPECT_STREQ(get_stance_slot(1)->name, "ok");
}

TEST_F(StanceTest, WorldOptionsFile)
{
    kxtest::write_file("world.txt",
                       "# comment line\n"
                       "world.gravity -5\n"
                       "world.gravity 1e30\n"
                       "ground.mu 3\n"
                       "player.mu 0.7\n"
                       "player.bounce\n"
                       "world.stepsize 0\n"
                       "world.stepsize 1e9\n"
                       "world.cfm 0.3\n"
                       "nonsense 1\n");
    const WorldOptions before = *get_world_options();
    testing::internal::CaptureStderr();
    ASSERT_EQ(load_world_options("world.txt"), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    dVector3 g;
    dWorldGetGravity(get_game_globals()->world, g);
    EXPECT_EQ(g[0], 0);
    EXPECT_EQ(g[2], -5);
    EXPECT_NEAR(dWorldGetCFM(get_game_globals()->world), 0.3, 1e-6);
    const WorldOptions *o = get_world_options();
    EXPECT_FLOAT_EQ(o->player_mu, 0.7f);
    EXPECT_FLOAT_EQ(o->player_bounce, before.player_bounce);
    EXPECT_FLOAT_EQ(o->stepsize, 0.006f);
    EXPECT_FLOAT_EQ(o->ground_bounce, before.ground_bounce);
    EXPECT_EQ(err.find("comment"), std::string::npos);
    EXPECT_NE(err.find("Unknown option nonsense\n"), std::string::npos);
    EXPECT_NE(err.find("player.bounce has no value"), std::string::npos);
    EXPECT_NE(err.find("world.stepsize 0.0"), std::string::npos);
    EXPECT_NE(err.find("world.stepsize 1000000000.0"), std::string::npos);
    EXPECT_NE(err.find("world.gravity 1000000015047466219876688855040.000000 refused"), std::string::npos);
    EXPECT_EQ(load_world_options("no_such_file"), 1);
}

// A save that fails part-way (here: the process may not grow files past 64
// bytes) reports it and keeps the stance and mod files saved before.
TEST_F(StanceTest, FailedSavesKeepTheFilesSavedBefore)
{
    ASSERT_EQ(store_stance_pose(0, "guard"), 1);
    ASSERT_EQ(save_stance(), 0);
    mkdir("data", 0755);
    mkdir("data/mod", 0755);
    ASSERT_EQ(write_mod_file(get_default_mod_world(), "data/mod/saved.kxm"), 0);
    const std::string stance_before = kxtest::read_file("stance/guard.sta");
    const std::string mod_before = kxtest::read_file("data/mod/saved.kxm");
    ASSERT_GT(stance_before.size(), 64u);
    ASSERT_GT(mod_before.size(), 64u);

    move_player(0, 1.0, 2.0, 0.5);
    ASSERT_EQ(store_stance_pose(0, "guard"), 1);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    struct rlimit small = old_limit;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    testing::internal::CaptureStderr();
    const int stance_result = save_stance();
    const int mod_result = write_mod_file(get_default_mod_world(), "data/mod/saved.kxm");
    const std::string err = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &old_limit);

    EXPECT_EQ(stance_result, 1);
    EXPECT_EQ(mod_result, 1);
    EXPECT_NE(err.find("Unable to write stance/guard.sta"), std::string::npos) << err;
    EXPECT_EQ(kxtest::read_file("stance/guard.sta"), stance_before);
    EXPECT_EQ(kxtest::read_file("data/mod/saved.kxm"), mod_before);
    EXPECT_NE(access("stance/guard.sta.tmp", F_OK), 0);
}
