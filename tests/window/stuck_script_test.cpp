#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "window/game_run.h"

// Scripts stuck where Lua's count hook does not reach them: inside a long
// pattern match, in an error handler (which Lua calls inside the hook that
// raised the error, with hooks off), or waiting on standard input. The
// program still ends soon after SIGTERM or the window's close request, and
// the configuration and the typed-line history are saved.
namespace {

const char kFind[] = "string.find(string.rep('a', 3000), string.rep('a*', 12) .. 'b')";
const char kXpcall[] = "xpcall(function() while true do end end, function(e) while true do end end)";
const char kRead[] = "io.read('*l')";

struct StuckCase {
    const char *name;
    const char *call;
    bool in_startup;    // in startup.lua, else in the draw2d hook
    bool close_request; // the window's close request, else SIGTERM
};

class StuckInC : public testing::TestWithParam<StuckCase> {};

TEST_P(StuckInC, TheProgramEndsSoonAndSaves)
{
    const StuckCase &c = GetParam();
    GameRun run;
    const std::string cfg = "#settings\r\nwidth \"800\"\r\n";
    run.write("default.cfg", cfg);
    run.write("history.log", "/typed earlier\n");
    const std::string call = c.call;
    run.write("data/script/startup.lua",
              c.in_startup ? "io.open('data/started', 'w'):close()\n" + call + "\n"
                           : "set_hook('draw2d', function()\n"
                             "  io.open('data/started', 'w'):close()\n  " + call + "\nend)\n");
    // The program's standard input is a pipe nobody writes to: a read
    // from it would wait for good.
    int in[2];
    ASSERT_EQ(pipe(in), 0);
    const int saved_stdin = dup(0);
    dup2(in[0], 0);
    const bool started = run.start({});
    dup2(saved_stdin, 0);
    close(saved_stdin);
    close(in[0]);
    ASSERT_TRUE(started);
    if (!c.in_startup) {
        ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
    }
    for (int t = 0; t < 600 && !std::filesystem::exists(run.path("data/started")); t++)
        usleep(50000);
    ASSERT_TRUE(std::filesystem::exists(run.path("data/started"))) << run.err();
    sleep(1);
    if (c.close_request)
        run.close_window();
    else
        run.terminate();
    // A few seconds are allowed; the wait only bounds a program that
    // would never end.
    EXPECT_EQ(run.wait_exit(20000), 0) << run.err();
    close(in[1]);
    const std::string saved = kxtest::read_file(run.path("default.cfg"));
    const std::string history = kxtest::read_file(run.path("history.log"));
    // Nothing the files held is lost; once the loop ran they were written.
    EXPECT_NE(saved.find("width \"800\"\r\n"), std::string::npos) << saved;
    EXPECT_NE(history.find("/typed earlier"), std::string::npos) << history;
    if (!c.in_startup) {
        EXPECT_EQ(saved.rfind("#Automatically generated from Setup. Don't edit\r\n", 0), 0u) << saved;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Window, StuckInC,
    testing::Values(StuckCase{"LongMatchInDrawHookSigterm", kFind, false, false},
                    StuckCase{"LongMatchInDrawHookCloseRequest", kFind, false, true},
                    StuckCase{"LongMatchInStartupSigterm", kFind, true, false},
                    StuckCase{"HandlerLoopsInDrawHookSigterm", kXpcall, false, false},
                    StuckCase{"HandlerLoopsInDrawHookCloseRequest", kXpcall, false, true},
                    StuckCase{"StandardInputReadInDrawHookCloseRequest", kRead, false, true}),
    [](const testing::TestParamInfo<StuckCase> &i) { return std::string(i.param.name); });

} // namespace
