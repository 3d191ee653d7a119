#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/base/text.h"
#include "game/match_rules.h"
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

// The real program plays a replay whose NEWGAME line names a mod of heavy
// cylinders beside light bodies thrust every frame; the player takes the
// match over (E) and commits the turn (Space), and the physics engine fails
// in the ghost preview's step that follows (made to fail there, once, by
// the program's test setting, through the engine's own check of a body's
// rotation). The match ends naming the mod, its replay so far is saved,
// the program goes on drawing, and it then quits normally and saves its
// configuration and history.
TEST(EngineFaultPlay, AFailedPreviewAfterTakingOverAReplayEndsTheMatchAndTheProgramGoesOn)
{
    GameRun run;
    ASSERT_EQ(mkdir(run.path("data/mod").c_str(), 0755), 0);
    std::string mod;
    for (int i = 1; i <= 4; i++)
        mod += "env_obj " + std::to_string(i) + "\nshape cylinder\nsides 10 10 10\nmass 1000000\nbounce 1\n";
    for (const char *body : {"r_hand", "r_butt"})
        mod += std::string("body ") + body + "\ndensity 1\nthrust 1 100000 100000 100000\n";
    run.write("data/mod/cylinders.kxm", mod);
    MatchRules rules;
    fill_default_rules(0, &rules);
    n_strncpyz(rules.mod, "cylinders.kxm", sizeof rules.mod);
    std::string replay = "#!/usr/bin/kaelmund\nVERSION 0\n" + std::string(make_newgame_line(0, &rules));
    for (int f = 0; f < 200; f += 10)
        replay += "FRAME " + std::to_string(f) + "; 0 0\nJOINT 0; 1 " + std::to_string(1 + f % 4) +
                  " 4 2\nJOINT 1; 2 3 5 1\n";
    run.write("named.rpl", replay);
    run.write_event_script("set_hook('enter_frame', function()\n"
                           "  if get_world_state().frame == 20 then log('frame 20') end end)\n"
                           "set_hook('draw2d', function() drawn = (drawn or 0) + 1\n"
                           "  if ended_seen and drawn % 200 == 0 then log('drawn after end') end end)\n"
                           "set_hook('end_game', function(kind) ended_seen = true log('ended ' .. kind) end)\n");

    ASSERT_TRUE(run.start({"named.rpl"}, {"KX_TEST_ENGINE_FAULT=ghost"}));
    ASSERT_TRUE(run.wait_caption("KAELMUND 3.9-alpha2 fps:")) << run.err();
    ASSERT_TRUE(run.wait_text("data/events.log", "frame 20", 60000)) << run.err();
    ASSERT_EQ(run.xdotool("windowfocus --sync " + std::to_string(run.window_id())), 0);
    run.xdotool("key e");
    usleep(300000);
    run.xdotool("key space");
    EXPECT_TRUE(run.wait_text("data/events.log", "ended 1", 60000)) << run.err();
    // Still drawing after the end.
    EXPECT_TRUE(run.wait_text("data/events.log", "drawn after end", 60000)) << run.err();
    EXPECT_EQ(kill(run.pid(), 0), 0);
    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();

    const std::string err = run.err();
    EXPECT_NE(err.find("The physics engine failed in the ghost preview of the match on mod cylinders.kxm"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("cannot go on"), std::string::npos) << err;
    EXPECT_NE(kxtest::read_file(run.path("default.cfg")).find("#Automatically generated"), std::string::npos);
    EXPECT_TRUE(kxtest::kind_of(run.path("history.log")) == "file");
    // The match so far, saved as a match end saves it.
    const std::string saved = names_in(run.path("autosave"));
    ASSERT_FALSE(saved.empty()) << err;
    const std::string first = saved.substr(0, saved.find('\n'));
    EXPECT_NE(kxtest::read_file(run.path("autosave/" + first)).find("cylinders.kxm"), std::string::npos);
}
