#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/base/command_line.h"
#include "app/base/options.h"
#include "app/services/option_toggles.h"
#include "app/services/settings.h"
#include "app/services/sound.h"
#include "support/test_support.h"
#include "command_line_util.h"

namespace {

// The options put back and the command line emptied when the test ends.
struct KeptOptions {
    std::vector<int> saved;
    KeptOptions()
    {
        for (int r = 0; r < OPTION_COUNT; r++)
            saved.push_back(option_get(r));
    }
    ~KeptOptions()
    {
        for (int r = 0; r < OPTION_COUNT; r++)
            option_set(r, saved[r]);
        run_args({});
    }
};

} // namespace

// An overlong file name counts but is not kept.
TEST(CommandLine, FlagsCountValuesTakeTheNextArgument)
{
    KeptOptions kept;
    option_set(OPT_DEPTHOFFIELD, 0);
    option_set(OPT_DEBUG, 0);
    option_set(OPT_FRAMERATE, 30);
    testing::internal::CaptureStderr();
    run_args({"-depthoffield", "-width", "1024", "xdebug", "1", "-depthoffield", "-height", "768",
              "a.rpl", "b.rpl", "arena.kxm", ".rpl", std::string(300, 'r') + ".rpl", "-framerate"});
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(option_get(OPT_DEPTHOFFIELD), 2);
    EXPECT_EQ(option_get(OPT_WIDTH), 1024);
    EXPECT_EQ(option_get(OPT_HEIGHT), 768);
    EXPECT_EQ(option_get(OPT_DEBUG), 1);
    EXPECT_EQ(option_get(OPT_FRAMERATE), 30);
    const CommandLineNames *n = get_command_line_names();
    EXPECT_STREQ(n->replay, "b.rpl");
    EXPECT_EQ(n->replay_count, 3);
    EXPECT_STREQ(n->mod, "arena.kxm");
    EXPECT_EQ(n->mod_count, 1);
    EXPECT_NE(err.find("Using mod arena.kxm\n"), std::string::npos);
}

TEST(CommandLine, SizesOutsideTheLimitsAreIgnoredWithAMessage)
{
    KeptOptions kept;
    option_set(OPT_WIDTH, 960);
    option_set(OPT_HEIGHT, 540);
    const std::string err = kxtest::stderr_of([&] { run_args({"-width", "100", "-height", "5000", "-width", "320"}); });
    EXPECT_EQ(option_get(OPT_WIDTH), 960);
    EXPECT_EQ(option_get(OPT_HEIGHT), 540);
    EXPECT_NE(err.find("Ignoring -width 100"), std::string::npos);
    run_args({"-width", "321", "-height", "2047"});
    EXPECT_EQ(option_get(OPT_WIDTH), 321);
    EXPECT_EQ(option_get(OPT_HEIGHT), 2047);
}

// The renderer's features (fluid .. shaders) are switched by the renderer,
// never by name; the rows around them are, held to their range (on/off).
TEST(Options, SetByNameRefusesTheRendererFeatures)
{
    const struct { const char *name; int row, result; } rows[] = {
        {"avatar", OPT_AVATAR, 0}, {"fluid", OPT_FLUID, 2}, {"shaders", OPT_SHADERS, 2}, {"noreload", OPT_NORELOAD, 0}};
    for (const auto &r : rows) {
        const int before = option_get(r.row);
        EXPECT_EQ(set_option_by_name(r.name, 7), r.result) << r.name;
        EXPECT_EQ(option_get(r.row), r.result ? before : 1) << r.name;
    }
    EXPECT_EQ(set_option_by_name("Shaders", 1), 1);
}

TEST(OptionToggles, FlipByNameAndAskForNewGraphicsOnlyWhereTheyDependOnIt)
{
    const int bump = option_get(OPT_BUMPMAPPING), noreload = option_get(OPT_NORELOAD);
    option_set(OPT_BUMPMAPPING, 2);     // a stored 2 counts as on
    option_set(OPT_NORELOAD, 0);
    graphics_reload_reset();
    EXPECT_EQ(toggle_option("bumpmapping"), 0);
    EXPECT_EQ(option_get(OPT_BUMPMAPPING), 0);
    toggle_bumpmapping();
    EXPECT_EQ(option_get(OPT_BUMPMAPPING), 1);
    EXPECT_EQ(graphics_reload_count(), 2);
    toggle_noreload();
    EXPECT_EQ(option_get(OPT_NORELOAD), 1);
    EXPECT_EQ(graphics_reload_count(), 2);
    EXPECT_EQ(toggle_option("shadows"), -1);
    graphics_reload_reset();
    option_set(OPT_BUMPMAPPING, bump);
    option_set(OPT_NORELOAD, noreload);
}
