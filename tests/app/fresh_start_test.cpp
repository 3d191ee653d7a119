// Every test of a test program starts from the state the process had before
// its first test, whatever the tests before it changed and left: two tests
// run in order in a fresh process, the first leaving everything changed,
// the second finding it as the process started.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/base/options.h"
#include "game/game_callbacks.h"
#include "game/match_rules.h"
#include "support/test_support.h"

namespace {

const char kChildEnv[] = "KX_FRESH_START_FOLDER";

std::string current_folder()
{
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? buf : "";
}

} // namespace

TEST(FreshStartChild, LeavesTheProcessChanged)
{
    if (!getenv(kChildEnv))
        GTEST_SKIP() << "run by FreshStart.EachTestStartsAsTheProcessDid";
    ASSERT_EQ(chdir("/"), 0);
    option_set(OPT_AUTOSAVE, 1);
    game_callbacks()->echo = nullptr;
    setenv("HOME", "/nonexistent", 1);
    setenv("KX_FRESH_START_LEFT", "1", 1);
    unsetenv("PATH");
    rules_set_config_lock(RULE_DAMAGE, 1);
}

TEST(FreshStartChild, FindsItAsTheProcessStarted)
{
    const char *folder = getenv(kChildEnv);
    if (!folder)
        GTEST_SKIP() << "run by FreshStart.EachTestStartsAsTheProcessDid";
    EXPECT_EQ(current_folder(), folder);
    EXPECT_EQ(option_get(OPT_AUTOSAVE), 0);
    EXPECT_NE(game_callbacks()->echo, nullptr);
    ASSERT_NE(getenv("HOME"), nullptr);
    EXPECT_STRNE(getenv("HOME"), "/nonexistent");
    EXPECT_EQ(getenv("KX_FRESH_START_LEFT"), nullptr);
    EXPECT_NE(getenv("PATH"), nullptr);
    EXPECT_EQ(rules_config_locked(RULE_DAMAGE), 0);
}

TEST(FreshStart, EachTestStartsAsTheProcessDid)
{
    ASSERT_NE(getenv("HOME"), nullptr);
    ASSERT_NE(getenv("PATH"), nullptr);
    EXPECT_EQ(kxtest::run_self("FreshStartChild.*", std::string(kChildEnv) + "=" + current_folder()), 0);
}
