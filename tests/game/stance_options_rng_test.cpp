#include <sys/stat.h>
#include <sys/resource.h>
#include <csignal>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include "game/mod_file.h"
#include "game/mod_export.h"
#include "game/mod_world.h"
#include "game/ranmar.h"
#include "game/stance.h"
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
        mkdir("stance", 0755);
    }
    kxtest::TempDir dir_;
    kxtest::ScopedChdir cd_{dir_.path()};
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
