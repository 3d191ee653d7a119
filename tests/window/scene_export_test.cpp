#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "window/game_run.h"

// The running program writes ray-tracer scenes three ways (F8, Ctrl+F7 and
// the raytrace command), and Debian's povray renders each of them with the
// glossy.inc of the run folder.
namespace {

const char kScript[] = R"(
set_hook("console", function(text)
    local f = io.open("data/console.log", "a")
    f:write(text, "\n")
    f:close()
end)
)";

int render(GameRun &run, const std::string &scene, const char *extra = "")
{
    const std::string cmd = "cd '" + run.path("raytrace") + "' && HOME=. povray +I" + scene +
                            " +Oout.ppm +FP +W64 +H48 -D -V " + extra + " > render.log 2>&1";
    return system(cmd.c_str());
}

int count(const std::string &text, const std::string &needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        n++;
    return n;
}

} // namespace

TEST(SceneExport, ScreenshotRecordingAndCommandWriteScenesThatRender)
{
    GameRun run;
    run.write("data/script/startup.lua", kScript);
    ASSERT_TRUE(run.start({}));
    ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
    const std::string win = std::to_string(run.window_id());
    ASSERT_EQ(run.xdotool("windowfocus --sync " + win), 0);
    run.xdotool("key Escape");

    run.xdotool("key F8");
    ASSERT_TRUE(run.wait_text("data/console.log", ".pov")) << run.err();
    std::string shot;
    for (const auto &e : std::filesystem::directory_iterator(run.path("raytrace")))
        if (e.path().filename().string().rfind("screenshot-", 0) == 0)
            shot = e.path().filename().string();
    ASSERT_FALSE(shot.empty()) << kxtest::read_file(run.path("data/console.log"));

    run.xdotool("key ctrl+F7");
    ASSERT_TRUE(run.wait_text("data/console.log", "Saving frames to raytrace/animation.pov. Hit ctrl-F7 to stop."));
    usleep(400000);
    run.xdotool("key ctrl+F7");
    ASSERT_TRUE(run.wait_text("data/console.log", " animation frames"));
    const std::string log = kxtest::read_file(run.path("data/console.log"));
    const int frames = atoi(log.substr(log.find("Wrote ", log.find("Saving frames")) + 6).c_str());
    EXPECT_GE(frames, 2);
    const std::string anim = kxtest::read_file(run.path("raytrace/animation.pov"));
    EXPECT_EQ(count(anim, "#case ("), frames);
    EXPECT_EQ(anim.substr(anim.size() - 5), "#end\n");

    // The command takes one plain file name inside raytrace/.
    run.xdotool("key t");
    usleep(300000);
    run.type("/raytrace ../escape.pov");
    run.xdotool("key Return");
    EXPECT_TRUE(run.wait_text("data/console.log", "unable to create file raytrace/../escape.pov"));
    EXPECT_FALSE(std::filesystem::exists(run.path("escape.pov")));
    run.xdotool("key t");
    usleep(300000);
    run.type("/raytrace mine.pov");
    run.xdotool("key Return");
    EXPECT_TRUE(run.wait_text("data/console.log", "saved file to raytrace/mine.pov")) << run.err();

    // A second recording keeps the first file, and the program completes
    // it when it ends while recording.
    run.xdotool("key ctrl+F7");
    ASSERT_TRUE(run.wait_text("data/console.log", "Saving frames to raytrace/animation-1.pov."));
    usleep(200000);
    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0);
    const std::string second = kxtest::read_file(run.path("raytrace/animation-1.pov"));
    ASSERT_GT(second.size(), 5u);
    EXPECT_EQ(second.substr(second.size() - 5), "#end\n");
    EXPECT_EQ(kxtest::read_file(run.path("raytrace/animation.pov")), anim);

    std::filesystem::copy_file(std::string(KX_RUN_DIR) + "/raytrace/glossy.inc", run.path("raytrace/glossy.inc"));
    for (const std::string &scene : {shot, std::string("mine.pov")}) {
        EXPECT_EQ(render(run, scene), 0) << scene << "\n" << kxtest::read_file(run.path("raytrace/render.log"));
        EXPECT_GT(kxtest::read_file(run.path("raytrace/out.ppm")).size(), 64u * 48 * 3);
    }
    EXPECT_EQ(render(run, "animation.pov", "+KFI1 +KFF2"), 0) << kxtest::read_file(run.path("raytrace/render.log"));
    EXPECT_TRUE(std::filesystem::exists(run.path("raytrace/out2.ppm")));
}
