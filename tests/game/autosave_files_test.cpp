// Autosaved replays and the files rewritten at the end of a session: two
// matches with the same fighters and result keep both files, and a full
// disk loses nothing already saved and leaves no empty or partial file.
#include <filesystem>
#include <map>
#include <string>

#include "app/base/options.h"
#include "app/services/config_file.h"
#include "game/protocol/replay_file.h"
#include "match_fixture.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

// Plays the same short match (the same moves from the same start) to its
// end; the autosave is written as it ends. Returns the name it asks for.
std::string play_short_match()
{
    start_single_play_match();
    get_match_rules()->matchframes = 20;
    for (int t = 0; !get_game_state()->game_over && t < 10; t++)
        play_turn(t, 0);
    char name[REPLAY_PATH_SIZE];
    EXPECT_EQ(autosave_name(name, sizeof name), 0);
    return name;
}

// Every file under the folder, by relative name, with its bytes.
std::map<std::string, std::string> files_under(const std::string &dir)
{
    std::map<std::string, std::string> out;
    for (const auto &e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file())
            out[fs::relative(e.path(), dir).string()] = kxtest::read_file(e.path().string());
    return out;
}

} // namespace

TEST_F(MatchTest, TwoMatchesWithTheSameResultKeepTwoAutosaves)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    option_set(OPT_AUTOSAVE, 1);
    const std::string first = play_short_match();
    const std::string saved = kxtest::read_file(first);
    ASSERT_FALSE(saved.empty()) << first;
    const std::string second = play_short_match();
    option_set(OPT_AUTOSAVE, 0);
    ASSERT_EQ(second, first);    // the same name asked for twice
    const std::string counted = first.substr(0, first.size() - 4) + "-2.rpl";
    EXPECT_EQ(kxtest::read_file(first), saved);
    EXPECT_FALSE(kxtest::read_file(counted).empty()) << counted;
    EXPECT_EQ(files_under("autosave").size(), 2u);
    EXPECT_EQ(read_replay_file(counted.c_str()), 0);
}

TEST_F(MatchTest, AFullDiskLosesNothingSavedAndLeavesNoEmptyFile)
{
    kxtest::SmallDisk disk(1024);
    if (!disk.ok())
        GTEST_SKIP() << "no small file system of our own: mounting a tmpfs needs root";
    kxtest::ScopedChdir cd(disk.path());
    option_set(OPT_AUTOSAVE, 1);
    kxtest::write_file("default.cfg", "width \"1024\"\r\n");
    config_open("default.cfg");
    const std::string autosave = play_short_match();
    ASSERT_EQ(write_replay("kept.rpl", 0), 0);
    ASSERT_EQ(config_save(), 0);
    const auto before = files_under(".");
    ASSERT_EQ(before.size(), 3u);

    ASSERT_TRUE(kxtest::fill_disk("filler"));
    const std::string err = kxtest::stderr_of([] {
        play_short_match();
        config_set("width", "1280");
        EXPECT_NE(write_replay("kept.rpl", 0), 0);
        EXPECT_NE(config_save(), 0);
    });
    auto after = files_under(".");
    after.erase("filler");
    EXPECT_EQ(after, before) << err;     // byte-identical, nothing new, no temporary file

    // With room again the next match with the same result gets its own file.
    fs::remove("filler");
    play_short_match();
    option_set(OPT_AUTOSAVE, 0);
    config_close();
    EXPECT_EQ(kxtest::read_file(autosave), before.at(autosave));
    EXPECT_FALSE(kxtest::read_file(autosave.substr(0, autosave.size() - 4) + "-2.rpl").empty());
}
