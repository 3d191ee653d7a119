#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/base/command_line.h"
#include "app/services/config_file.h"
#include "app/base/options.h"
#include "app/base/temp_names.h"
#include "app/services/settings.h"
#include "app/services/settings_io.h"
#include "app/services/sound.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "support/test_support.h"
#include "command_line_util.h"

namespace {

std::vector<int> current_options()
{
    std::vector<int> v;
    for (int r = 0; r < OPTION_COUNT; r++)
        v.push_back(option_get(r));
    return v;
}
// The option values the process started with, taken before any test runs.
const std::vector<int> k_start_options = current_options();

// A folder of its own and everything the settings read and write as at a
// start: the options, an empty command line and configuration table, live
// play with no locked rules, the shader path off, the full volume, no
// reload asked for. Afterwards the options are put back and nothing read
// is left locked or kept.
struct CfgDir {
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd{dir.path()};
    std::vector<int> saved = current_options();
    CfgDir()
    {
        for (int r = 0; r < OPTION_COUNT; r++)
            option_set(r, k_start_options[r]);
        run_args({});
        config_clear();
        get_game_globals()->replay_mode = 0;
        rules_clear_config_locks();
        shader_path_set(0);
        sound_set_volume(SOUND_VOLUME_MAX);
        graphics_reload_reset();
    }
    ~CfgDir()
    {
        for (int r = 0; r < OPTION_COUNT; r++)
            option_set(r, saved[r]);
        run_args({});
        config_clear();
        rules_clear_config_locks();
        shader_path_set(0);
    }
};

int count_of(const std::string &text, const std::string &needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        n++;
    return n;
}

} // namespace

TEST(ConfigFile, ReaderTrimsSkipsAndBounds)
{
    CfgDir d;
    std::string text = "# a comment\n"
                       "width   \"  1280 \"  \r\n"
                       "   # not a comment: a key of its own\n"
                       "nick \"[clan]Some Body\"\n"
                       "frameskip\n"
                       "bogus \"1\"\n"
                       "height \"100\"\n"
                       "\n"
                       "noreload " + std::string(2000, '9') + "\n"
                       "beginner 0\n"
                       "volume \"" + std::string(200, '5') + "\"\n";
    kxtest::write_file("default.cfg", text);
    const std::string err = kxtest::stderr_of([&] { EXPECT_EQ(config_open("default.cfg"), 0); });
    EXPECT_NE(err.find("no such key bogus\n"), std::string::npos);
    EXPECT_NE(err.find("no such key #\n"), std::string::npos);
    char buf[256];
    EXPECT_EQ(config_get("width", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "1280");
    EXPECT_EQ(config_get("nick", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "[clan]Some Body");
    EXPECT_EQ(config_get("frameskip", buf, sizeof buf), 1);   // a key alone: empty
    EXPECT_EQ(config_get("noreload", buf, sizeof buf), 1);    // its line was skipped
    EXPECT_EQ(config_get("beginner", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "0");
    EXPECT_EQ(config_get("volume", buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf), std::string(127, '5'));
    char small[4];
    EXPECT_EQ(config_get("width", small, sizeof small), 0);
    EXPECT_STREQ(small, "128");

    kxtest::stderr_of([&] { options_load(); });
    EXPECT_EQ(option_get(OPT_WIDTH), 1280);
    EXPECT_EQ(option_get(OPT_HEIGHT), 540);
    EXPECT_EQ(option_get(OPT_BEGINNER), 0);
    EXPECT_EQ(sound_stored_volume(), 128);
    EXPECT_EQ(graphics_reload_count(), 0);
}

TEST(ConfigFile, LoadSaveLoadSaveGivesTheSameBytes)
{
    CfgDir d;
    kxtest::write_file("default.cfg",
                       "nick \"someone\"\r\nrememberrules \"1\"\r\nwidth 1024\r\n"
                       "cellshading \"3\"\r\nturnframes \"10, 20,30\"\r\ngravity \"0 0\"\r\n"
                       "engageplayerpos \"1,2,3,4,5,6\"\r\nmod \"classic\"\r\n"
                       "matchframes \"750\"\r\ndismemberment \"0\"\r\nvolume \"64\"\r\n");
    testing::internal::CaptureStderr();
    config_open("default.cfg");
    options_load();
    options_save();
    std::string first = kxtest::read_file("default.cfg");
    config_clear();
    config_load("default.cfg");
    options_load();
    options_save();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(first, kxtest::read_file("default.cfg"));
    // sumo and rpg have no key in the file: each load and each save reports
    // both missing and neither is written; every other rule has its key.
    EXPECT_EQ(count_of(err, "no such key sumo\n"), 4) << err;
    EXPECT_EQ(count_of(err, "no such key rpg\n"), 4) << err;
    EXPECT_EQ(count_of(err, "no such key "), 8) << err;
    EXPECT_EQ(first.find("\nsumo "), std::string::npos) << first;
    EXPECT_EQ(first.find("\nrpg "), std::string::npos) << first;
    EXPECT_EQ(first.rfind("#Automatically generated from Setup. Don't edit\r\n", 0), 0u);
    EXPECT_NE(first.find("turnframes \"10,20,30\"\r\n"), std::string::npos);

    MatchRules *next = get_next_match_rules();
    EXPECT_EQ(next->matchframes, 750);
    EXPECT_EQ(next->turnframe_count, 3);
    EXPECT_EQ(next->flags & RULE_FLAG_DISMEMBER, 0);
    EXPECT_EQ(next->engage_set, 1);
    EXPECT_FLOAT_EQ(next->gravity[2], -9.82f);
    // Every remembered rule is locked against outside changes until a new game.
    EXPECT_TRUE(rules_config_locked(RULE_MATCHFRAMES));
    EXPECT_TRUE(rules_config_locked(RULE_RPG));
    EXPECT_FALSE(rules_config_locked(RULE_REACTIONTIME));
    set_rule("matchframes", "5", next);
    EXPECT_EQ(next->matchframes, 750);
}

TEST(ConfigFile, RuleKeysOnlyWhileRememberRulesIsOne)
{
    CfgDir d;
    kxtest::write_file("default.cfg", "rememberrules \"0\"\nmatchframes \"750\"\ndamage \"2\"\n");
    config_open("default.cfg");
    options_load();
    EXPECT_EQ(get_next_match_rules()->matchframes, 500);
    options_save();
    std::string out = kxtest::read_file("default.cfg");
    EXPECT_EQ(out.find("matchframes"), std::string::npos);
    EXPECT_EQ(out.find("damage"), std::string::npos);
    EXPECT_FALSE(rules_config_locked(RULE_MATCHFRAMES));
}

TEST(ConfigFile, TheFileWinsOverTheCommandLine)
{
    CfgDir d;
    kxtest::write_file("default.cfg", "width \"1280\"\n");
    testing::internal::CaptureStderr();
    run_args({"-width", "1024", "-height", "768", "own.kxm"});
    config_open("default.cfg");
    options_load();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(option_get(OPT_WIDTH), 1280);
    EXPECT_EQ(option_get(OPT_HEIGHT), 768);
    EXPECT_STREQ(get_next_match_rules()->mod, "own.kxm");
}

// The saved shaders setting switches the shader path only when the path is
// not already as the file says: before the window opens (the path not yet
// running) a saved "0" leaves -shaders 1 in place, a saved "1" turns the
// option on.
TEST(ConfigFile, ASavedShadersOffLeavesTheCommandLinesOn)
{
    CfgDir d;
    kxtest::write_file("default.cfg", "shaders \"0\"\n");
    run_args({"-shaders", "1"});
    config_open("default.cfg");
    options_load();
    EXPECT_EQ(option_get(OPT_SHADERS), 1);
    EXPECT_EQ(shader_path_on(), 0);

    kxtest::write_file("default.cfg", "shaders \"1\"\n");
    run_args({});
    option_set(OPT_SHADERS, 0);
    config_open("default.cfg");
    options_load();
    EXPECT_EQ(option_get(OPT_SHADERS), 1);
    EXPECT_EQ(shader_path_on(), 1);
    EXPECT_EQ(graphics_reload_count(), 0);
}

TEST(ConfigFile, UnwritableFileIsLeftAsItWas)
{
    CfgDir d;
    kxtest::write_file("default.cfg", "width \"1280\"\n");
    config_open("default.cfg");
    config_set("width", "800");
    // Every temporary name is taken by a folder: no temporary file can be
    // made and the saved file stays whole.
    std::vector<std::string> names;
    for (int n = 1; n <= TEMP_NAME_TRIES; n++) {
        char tmp[300];
        ASSERT_EQ(temp_name_beside(tmp, sizeof tmp, "default.cfg", n), 1);
        names.push_back(tmp);
        mkdir(tmp, 0755);
    }
    const std::string err = kxtest::stderr_of([&] { EXPECT_EQ(config_save(), 1); });
    EXPECT_NE(err.find(names.back() + " is not a regular file of ours: left alone\n"), std::string::npos) << err;
    EXPECT_NE(err.find("Unable to open default.cfg\n"), std::string::npos) << err;
    EXPECT_EQ(kxtest::read_file("default.cfg"), "width \"1280\"\n");
    // One name free: the save goes through it and the folders stay.
    rmdir(names[4].c_str());
    kxtest::stderr_of([] { EXPECT_EQ(config_save(), 0); });
    EXPECT_NE(kxtest::read_file("default.cfg").find("width \"800\"\r\n"), std::string::npos);
    for (const std::string &n : names)
        EXPECT_EQ(rmdir(n.c_str()), n == names[4] ? -1 : 0) << n;
}

TEST(ConfigFile, HostileValuesAreBoundedAndRawBytesPrintedEscaped)
{
    CfgDir d;
    kxtest::write_file("default.cfg",
                       "rememberrules \"1\"\r\nautosave_rpl \"-1\"\r\nfullscreen \"7\"\r\n"
                       "matchframes \"-1\"\r\nturnframes \"0,0,0,-5\"\r\nsumo \"1\"\r\n"
                       "bad\x01key\xff\\ \"x\"\r\n");
    testing::internal::CaptureStderr();
    config_open("default.cfg");
    options_load();
    options_save();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no such key bad\\x01key\\xff\\\\\n"), std::string::npos) << err;
    EXPECT_NE(err.find("matchframes \"-1\" refused"), std::string::npos) << err;
    EXPECT_NE(err.find("turnframes \"0,0,0,-5\" refused"), std::string::npos) << err;
    EXPECT_EQ(option_get(OPT_AUTOSAVE), 0);
    EXPECT_EQ(option_get(OPT_FULLSCREEN), 1);
    const MatchRules *next = get_next_match_rules();
    EXPECT_EQ(next->matchframes, 500);
    EXPECT_EQ(next->turnframe_count, 1);
    EXPECT_EQ(next->turnframe_list[0], 10);
    // sumo has no key in the file: its line is an unknown key.
    EXPECT_NE(err.find("no such key sumo\n"), std::string::npos) << err;
    EXPECT_EQ(next->sumo, 0);
    // What is written back is what the game plays with.
    const std::string saved = kxtest::read_file("default.cfg");
    for (const char *line : {"autosave_rpl \"0\"\r\n", "fullscreen \"1\"\r\n", "matchframes \"500\"\r\n",
                             "turnframes \"10\"\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << saved;
    EXPECT_EQ(saved.find("sumo"), std::string::npos) << saved;
}

// A remembered match longer than the game plays is refused with the message
// of every refused value, not cut to the longest match in silence; the
// longest match and the longest turn are taken.
TEST(ConfigFile, RememberedFramesBeyondTheGamesLimitsAreRefused)
{
    CfgDir d;
    kxtest::write_file("default.cfg", "rememberrules \"1\"\r\nmatchframes \"100001\"\r\nturnframes \"20,1000001\"\r\n");
    config_open("default.cfg");
    std::string err = kxtest::stderr_of([] { options_load(); });
    EXPECT_NE(err.find("default.cfg: matchframes \"100001\" refused (whole numbers from 1 to 100000), the default "
                       "kept\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("default.cfg: turnframes \"20,1000001\" refused (whole numbers from 1 to 1000000), the "
                       "default kept\n"),
              std::string::npos)
        << err;
    EXPECT_EQ(get_next_match_rules()->matchframes, 500);
    EXPECT_EQ(get_next_match_rules()->turnframe_list[0], 10);

    kxtest::write_file("default.cfg", "rememberrules \"1\"\r\nmatchframes \"100000\"\r\nturnframes \"20,1000000\"\r\n");
    config_open("default.cfg");
    err = kxtest::stderr_of([] { options_load(); });
    EXPECT_EQ(err.find("refused"), std::string::npos) << err;
    EXPECT_EQ(get_next_match_rules()->matchframes, 100000);
    EXPECT_EQ(get_next_match_rules()->turnframe_count, 2);
    EXPECT_EQ(get_next_match_rules()->turnframe_list[1], 1000000);
}
