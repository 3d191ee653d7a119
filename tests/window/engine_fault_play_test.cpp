#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "support/found_engine_mods.h"
#include "window/game_run.h"

namespace {

// The names in a folder of the run, one per line.
std::string names_in(const std::string &dir)
{
    std::string out;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            if (e->d_name[0] != '.')
                out += std::string(e->d_name) + "\n";
        closedir(d);
    }
    return out;
}

} // namespace

// The real program starts on a mod that the physics engine's solver fails
// on (one the object fuzz found), and the player commits turns (Space)
// until the engine fails in the match's world. The match ends naming the
// mod, its replay so far is saved, the program goes on drawing, and it then
// quits normally and saves its configuration and history.
TEST(EngineFaultPlay, AFailedStepEndsTheMatchAndTheProgramGoesOn)
{
    GameRun run;
    ASSERT_EQ(mkdir(run.path("data/mod").c_str(), 0755), 0);
    run.write("data/mod/found.kxm", found_mod_text(k_found_in_world));
    run.write_event_script("set_hook('draw2d', function() drawn = (drawn or 0) + 1\n"
                           "  if ended_seen and drawn % 200 == 0 then log('drawn after end') end end)\n"
                           "set_hook('end_game', function(kind) ended_seen = true log('ended ' .. kind) end)\n");

    ASSERT_TRUE(run.start({"found.kxm"}));
    ASSERT_TRUE(run.wait_caption("KAELMUND 3.9-alpha2 fps:")) << run.err();
    ASSERT_EQ(run.xdotool("windowfocus --sync " + std::to_string(run.window_id())), 0);
    run.xdotool("key Escape");      // past the welcome window
    // A Space while a turn runs does nothing: commit until the match ends.
    bool ended = false;
    for (int k = 0; k < 120 && !ended; k++) {
        run.xdotool("key space");
        ended = run.wait_text("data/events.log", "ended 1", 500);
    }
    EXPECT_TRUE(ended) << run.err();
    // Still drawing after the end.
    EXPECT_TRUE(run.wait_text("data/events.log", "drawn after end", 60000)) << run.err();
    EXPECT_EQ(kill(run.pid(), 0), 0);
    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();

    const std::string err = run.err();
    EXPECT_NE(err.find("The physics engine failed in the world of the match on mod found.kxm"), std::string::npos)
        << err;
    EXPECT_NE(err.find("dxLDLTRemove"), std::string::npos) << err;
    EXPECT_EQ(err.find("cannot go on"), std::string::npos) << err;
    EXPECT_NE(kxtest::read_file(run.path("default.cfg")).find("#Automatically generated"), std::string::npos);
    EXPECT_TRUE(kxtest::kind_of(run.path("history.log")) == "file");
    // The match so far, saved as a match end saves it.
    const std::string saved = names_in(run.path("autosave"));
    ASSERT_FALSE(saved.empty()) << err;
    const std::string first = saved.substr(0, saved.find('\n'));
    EXPECT_NE(kxtest::read_file(run.path("autosave/" + first)).find("found.kxm"), std::string::npos);
}
