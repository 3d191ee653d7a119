#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "window/game_run.h"

// The real program in its window: start-up to a running caption, the end by
// the window's close request or by SIGTERM, and what it leaves behind.
namespace {

struct EndCase {
    const char *name;
    bool by_signal;
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
    ASSERT_TRUE(run.start({"-width", "1024", "-height", "600"}, {std::string("SDL_AUDIODRIVER=") + c.audio}));
    ASSERT_TRUE(run.wait_caption("KAELMUND 3.9-alpha2 fps:")) << run.err();
    const std::string caption = run.caption();
    EXPECT_GT(std::stoi(caption.substr(caption.find("fps:") + 4)), 0) << caption;
    int w = 0, h = 0;
    run.window_size(&w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    if (c.by_signal)
        run.terminate();
    else
        run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();

    const std::string cfg = kxtest::read_file(run.path("default.cfg"));
    EXPECT_EQ(cfg.rfind("#Automatically generated from Setup. Don't edit\r\n", 0), 0u) << cfg;
    EXPECT_NE(cfg.find("width \"800\"\r\n"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("height \"600\"\r\n"), std::string::npos) << cfg;
    EXPECT_TRUE(std::ifstream(run.path("history.log")).good());
    const bool silent = run.err().find("runs without sound") != std::string::npos;
    EXPECT_EQ(silent, std::string(c.audio) != "dummy") << run.err();
}

INSTANTIATE_TEST_SUITE_P(Window, ProgramEnd,
                         testing::Values(EndCase{"CloseRequest", false, "dummy"},
                                         EndCase{"SigtermWithoutAudioDevice", true, "no-such-device"}),
                         [](const testing::TestParamInfo<EndCase> &i) { return std::string(i.param.name); });

} // namespace
