#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/base/command_line.h"
#include "app/base/options.h"
#include "app/services/settings.h"
#include "app/services/sound.h"
#include "support/test_support.h"
#include "command_line_util.h"

namespace {

// Runs the command line in a child process with standard output going to a
// file; returns what the child printed.
std::string usage_output_of(const std::vector<std::string> &args, const std::string &file)
{
    EXPECT_EXIT(
        {
            if (!freopen(file.c_str(), "w", stdout))
                _exit(3);
            run_args(args);
            _exit(0);
        },
        testing::ExitedWithCode(1), "");
    return kxtest::read_file(file);
}

std::string expected_usage(int width)
{
    std::string s = "3.9\nKaelmund: report problems to the Kaelmund developers\n\n"
                    "Usage: kaelmund [options] [<replay.rpl>]\n\nOptions:\n";
    for (const OptionRow *r = option_table(); r->name; r++) {
        int v = r - option_table() == OPT_WIDTH ? width : r->value;
        s += r->takes_value ? "   -" + std::string(r->name) + " " + std::to_string(v) + "\n"
                            : "   -" + std::string(r->name) + "\n";
    }
    return s;
}

} // namespace

TEST(CommandLine, HelpPrintsEveryOptionAndExitsWithOne)
{
    kxtest::TempDir dir;
    EXPECT_EQ(usage_output_of({"-h"}, dir.file("a.txt")), expected_usage(960));
    std::string out = usage_output_of({"-width", "1024", "-help"}, dir.file("b.txt"));
    EXPECT_EQ(out, expected_usage(1024));
    EXPECT_NE(out.find("\n   -width 1024\n"), std::string::npos);
    EXPECT_NE(out.find("\n   -depthoffield\n"), std::string::npos);
}

TEST(CommandLine, FlagsCountValuesTakeTheNextArgument)
{
    testing::internal::CaptureStderr();
    run_args({"-depthoffield", "-width", "1024", "xdebug", "1", "-depthoffield", "-height", "768",
              "a.rpl", "b.rpl", "arena.kxm", ".rpl", "-framerate"});
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(option_get(OPT_DEPTHOFFIELD), 2);
    EXPECT_EQ(option_get(OPT_WIDTH), 1024);
    EXPECT_EQ(option_get(OPT_HEIGHT), 768);
    EXPECT_EQ(option_get(OPT_DEBUG), 1);
    EXPECT_EQ(option_get(OPT_FRAMERATE), 30);
    const CommandLineNames *n = get_command_line_names();
    EXPECT_STREQ(n->replay, "b.rpl");
    EXPECT_EQ(n->replay_count, 2);
    EXPECT_STREQ(n->mod, "arena.kxm");
    EXPECT_EQ(n->mod_count, 1);
    EXPECT_NE(err.find("Using mod arena.kxm\n"), std::string::npos);
}

TEST(CommandLine, SizesOutsideTheLimitsAreIgnoredWithAMessage)
{
    testing::internal::CaptureStderr();
    run_args({"-width", "100", "-height", "5000", "-width", "320"});
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(option_get(OPT_WIDTH), 960);
    EXPECT_EQ(option_get(OPT_HEIGHT), 540);
    EXPECT_NE(err.find("Ignoring -width 100"), std::string::npos);
    EXPECT_NE(err.find("Ignoring -height 5000"), std::string::npos);
    run_args({"-width", "321", "-height", "2047"});
    EXPECT_EQ(option_get(OPT_WIDTH), 321);
    EXPECT_EQ(option_get(OPT_HEIGHT), 2047);
}

TEST(CommandLine, OverlongFileNamesAreRefused)
{
    std::string name(300, 'r');
    name += ".rpl";
    testing::internal::CaptureStderr();
    run_args({"ok.rpl", name});
    testing::internal::GetCapturedStderr();
    EXPECT_STREQ(get_command_line_names()->replay, "ok.rpl");
    EXPECT_EQ(get_command_line_names()->replay_count, 2);
}

TEST(Settings, TextSetterClamps)
{
    option_set_text(1, "7");
    EXPECT_EQ(option_get(OPT_BACKGROUNDCLICK), 1);
    option_set_text(1, "-3");
    EXPECT_EQ(option_get(OPT_BACKGROUNDCLICK), 0);
    option_set_text(6, "45");
    EXPECT_EQ(option_get(OPT_FRAMERATE), 30);
    option_set_text(6, "60");
    EXPECT_EQ(option_get(OPT_FRAMERATE), 60);
    graphics_reload_reset();
    option_set_text(15, "100");
    option_set_text(16, "240");
    EXPECT_EQ(option_get(OPT_WIDTH), 960);
    EXPECT_EQ(option_get(OPT_HEIGHT), 540);
    EXPECT_EQ(graphics_reload_count(), 0);
    option_set_text(15, "1280");
    EXPECT_EQ(option_get(OPT_WIDTH), 1280);
    EXPECT_EQ(graphics_reload_count(), 1);
    option_set_text(0, "17");
    EXPECT_EQ(option_get(OPT_MOUSEBUTTONS), 17);
    option_set_text(4, "5");
    EXPECT_EQ(option_get(OPT_AUTOSAVE), 0);
    option_set_text(18, "1");
    option_set_text(-1, "1");
    char buf[16];
    EXPECT_EQ(option_get_text(18, buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "");
}

TEST(Settings, ValuesAreTakenNotToggled)
{
    // A stored 2 cannot invert an option: the value given is what counts.
    option_set(OPT_FLUID, 2);
    graphics_reload_reset();
    option_set_text(8, "0");
    EXPECT_EQ(option_get(OPT_FLUID), 0);
    option_set_text(8, "0");
    EXPECT_EQ(option_get(OPT_FLUID), 0);
    EXPECT_EQ(graphics_reload_count(), 1);
    option_set_text(8, "1");
    EXPECT_EQ(option_get(OPT_FLUID), 1);
    option_set(OPT_NORELOAD, 3);
    option_set_text(14, "1");
    EXPECT_EQ(option_get(OPT_NORELOAD), 1);
    option_set(OPT_SHADERS, 1);
    shader_path_set(0);
    option_set_text(7, "1");
    EXPECT_EQ(option_get(OPT_SHADERS), 1);
    EXPECT_EQ(shader_path_on(), 1);
    option_set_text(7, "2");
    EXPECT_EQ(option_get(OPT_SHADERS), 0);
    EXPECT_EQ(shader_path_on(), 0);
    char buf[16];
    option_get_text(7, buf, sizeof buf);
    EXPECT_STREQ(buf, "0");
}

TEST(Settings, VolumeIsClampedAndKeptWhileSoundIsOff)
{
    char buf[16];
    option_set_text(2, "300");
    option_get_text(2, buf, sizeof buf);
    EXPECT_STREQ(buf, "128");
    option_set_text(2, "-4");
    option_get_text(2, buf, sizeof buf);
    EXPECT_STREQ(buf, "0");
    // The audio device failed: the player's choice is still what is saved.
    sound_mark_failed();
    option_set_text(2, "77");
    EXPECT_EQ(sound_volume(), 0);
    option_get_text(2, buf, sizeof buf);
    EXPECT_STREQ(buf, "77");
}
