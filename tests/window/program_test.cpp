#include <gtest/gtest.h>

#include <filesystem>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <string>
#include <unistd.h>

#include "window/game_run.h"

// The real program in its window: start-up to a running caption, the end by
// the window's close request, SIGTERM or the quit command, and what it
// leaves behind.
namespace {

// A replay written by hand: the rules line and two frame lines.
const char kReplay[] = "#!/usr/bin/kaelmund\nVERSION 0\nFIGHTNAME 0; by hand\n"
                       "NEWGAME 0;500 10 0 0 0 2 100 0 0 classic 0 0 100 0 0 0 1 0 2 0 0 0 0 0 0 0 0 -9.82 0 0\n"
                       "FRAME 0; 0 0 0 0\nFRAME 100; 0 0 0 0\n";

// Logs the replay mode and frame of every drawn frame.
const char kScript[] = "set_hook('draw2d', function()\n"
                       "  local w = get_world_state()\n"
                       "  local f = io.open('data/frames.log', 'a')\n"
                       "  f:write('mode ', w.replay_mode, ' frame ', w.frame, '\\n')\n"
                       "  f:close()\n"
                       "end)\n";

// Waits until a drawn frame of the replay at or past frame 60 is logged: a
// busy machine draws fewer frames than the replay plays, so frame 60 itself
// may never be drawn.
bool replay_reached_frame_60(GameRun &run)
{
    for (int t = 0; t < 400; t++, usleep(50000)) {
        std::istringstream in(kxtest::read_file(run.path("data/frames.log")));
        std::string line;
        while (std::getline(in, line)) {
            int mode = 0, frame = 0;
            if (sscanf(line.c_str(), "mode %d frame %d", &mode, &frame) == 2 && mode == 1 && frame >= 60)
                return true;
        }
    }
    return false;
}

enum EndBy { CLOSE_REQUEST, SIGTERM_SIGNAL, QUIT_COMMAND };

struct EndCase {
    const char *name;
    EndBy by;
    const char *audio;
};

class ProgramEnd : public testing::TestWithParam<EndCase> {};

TEST_P(ProgramEnd, RunsAndShutsDownInOrder)
{
    const EndCase &c = GetParam();
    GameRun run;
    // The file holds the width, the command line gives both sizes: the
    // file wins for its key, the command line keeps the other.
    run.write("default.cfg", "#settings\r\nwidth \"800\"\r\n");
    run.write("fight.rpl", kReplay);
    run.write("data/script/startup.lua", kScript);
    ASSERT_TRUE(run.start({"-width", "1024", "-height", "600", "fight.rpl"},
                          {std::string("SDL_AUDIODRIVER=") + c.audio}));
    ASSERT_TRUE(run.wait_caption("KAELMUND 3.9-alpha2 fps:")) << run.err();
    const std::string caption = run.caption();
    EXPECT_GT(std::stoi(caption.substr(caption.find("fps:") + 4)), 0) << caption;
    // The replay named on the command line plays.
    EXPECT_TRUE(replay_reached_frame_60(run)) << run.err();
    int w = 0, h = 0;
    run.window_size(&w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    if (c.by == SIGTERM_SIGNAL) {
        run.terminate();
    } else if (c.by == CLOSE_REQUEST) {
        run.close_window();
    } else {
        // The console command typed into the chat input line.
        run.xdotool("windowfocus --sync " + std::to_string(run.window_id()));
        run.xdotool("key t");
        usleep(300000);
        run.type("/quit", 30);
        run.xdotool("key Return");
    }
    EXPECT_EQ(run.wait_exit(), 0) << run.err();

    const std::string cfg = kxtest::read_file(run.path("default.cfg"));
    EXPECT_EQ(cfg.rfind("#Automatically generated from Setup. Don't edit\r\n", 0), 0u) << cfg;
    EXPECT_NE(cfg.find("width \"800\"\r\n"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("height \"600\"\r\n"), std::string::npos) << cfg;
    EXPECT_TRUE(std::ifstream(run.path("history.log")).good());
    if (c.by == QUIT_COMMAND) {     // the typed line is kept for the next run
        EXPECT_NE(kxtest::read_file(run.path("history.log")).find("/quit"), std::string::npos);
    }
    const bool silent = run.err().find("runs without sound") != std::string::npos;
    EXPECT_EQ(silent, std::string(c.audio) != "dummy") << run.err();
}

INSTANTIATE_TEST_SUITE_P(Window, ProgramEnd,
                         testing::Values(EndCase{"CloseRequest", CLOSE_REQUEST, "dummy"},
                                         EndCase{"SigtermWithoutAudioDevice", SIGTERM_SIGNAL, "no-such-device"},
                                         EndCase{"QuitTypedInTheChat", QUIT_COMMAND, "dummy"}),
                         [](const testing::TestParamInfo<EndCase> &i) { return std::string(i.param.name); });

} // namespace

TEST(Window, ReplayFolderBrowsedByKeysWraps)
{
    GameRun run;
    for (const char *name : {"a", "b", "c"}) {
        std::string replay = kReplay;
        replay.replace(replay.find("by hand"), 7, std::string("fight ") + name);
        run.write(std::string("replay/") + name + ".rpl", replay);
    }
    run.write("data/script/startup.lua",
              "local last = ''\n"
              "set_hook('draw2d', function()\n"
              "  set_gameover_timelimit(-1)  -- no automatic move to the next replay\n"
              "  local name = get_world_state().fight_name\n"
              "  if name ~= last then\n"
              "    last = name\n"
              "    local f = io.open('data/fights.log', 'a')\n"
              "    f:write(name, '\\n')\n"
              "    f:close()\n"
              "  end\n"
              "end)\n");
    ASSERT_TRUE(run.start({}));
    ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
    ASSERT_TRUE(run.wait_text("data/fights.log", "fight a\n"));     // the folder's first replay plays
    run.xdotool("windowfocus --sync " + std::to_string(run.window_id()));
    run.xdotool("key Escape");
    const char *keys[] = {"bracketright", "bracketright", "bracketright", "bracketleft"};
    const char *seen[] = {"fight a\nfight b\n", "fight b\nfight c\n", "fight c\nfight a\n",
                          "fight a\nfight c\n"};
    for (int i = 0; i < 4; i++) {
        run.xdotool(std::string("keydown ctrl key ") + keys[i] + " keyup ctrl");
        EXPECT_TRUE(run.wait_text("data/fights.log", seen[i], 5000)) << keys[i];
    }
    run.terminate();
    EXPECT_EQ(run.wait_exit(), 0);
}

// Scripts that never return and files that are no regular files do not
// keep the program from ending as usual: the script is stopped with a
// message naming it, the program ends with status 0 and saves what it saves.
namespace {

struct StuckCase {
    const char *name;
    const char *startup;
    bool close_request;
    const char *stopped;     // the message naming the stopped script
};

class StuckScript : public testing::TestWithParam<StuckCase> {};

TEST_P(StuckScript, TheProgramStillEndsAndSaves)
{
    const StuckCase &c = GetParam();
    GameRun run;
    run.write("default.cfg", "#settings\r\nwidth \"800\"\r\n");
    run.write("data/script/startup.lua", c.startup);
    // A FIFO with a replay's name: the first replay the program opens.
    ASSERT_EQ(mkfifo(run.path("replay/a.rpl").c_str(), 0644), 0);
    ASSERT_TRUE(run.start({}));
    if (c.close_request) {
        ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
        sleep(1);
        run.close_window();
    } else {
        // Started: the user folder is made before the scripts run.
        for (int t = 0; t < 100 && !std::filesystem::is_directory(run.path("user/Kaelmund")); t++)
            usleep(50000);
        sleep(1);
        run.terminate();
    }
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
    EXPECT_NE(run.err().find(c.stopped), std::string::npos) << run.err();
    EXPECT_NE(run.err().find("Unable to open replay/a.rpl"), std::string::npos) << run.err();
    EXPECT_NE(kxtest::read_file(run.path("default.cfg")).find("width \"800\"\r\n"), std::string::npos);
    EXPECT_TRUE(std::ifstream(run.path("history.log")).good());
}

INSTANTIATE_TEST_SUITE_P(
    Window, StuckScript,
    testing::Values(StuckCase{"StartupLoopsSigterm", "while true do end\n", false,
                              "Script error in data/script/startup.lua: script stopped"},
                    StuckCase{"Draw2dLoopsSigterm", "set_hook('draw2d', function() while true do end end)\n", false,
                              "Script error in draw2d: script stopped"},
                    StuckCase{"Draw2dLoopsCloseRequest",
                              "set_hook('draw2d', function() while true do end end)\n", true,
                              "Script error in draw2d: script stopped"}),
    [](const testing::TestParamInfo<StuckCase> &i) { return std::string(i.param.name); });

} // namespace
