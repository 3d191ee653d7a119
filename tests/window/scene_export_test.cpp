#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
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

// A replay whose fighters' heads wear one colour each (green and yellow),
// which the window and the exported scene both show.
const char kHeads[] = "#!/usr/bin/kaelmund\nVERSION 0\nFIGHTNAME 0; heads\n"
                      "NEWGAME 0;500 10 0 0 0 2 100 0 0 classic 0 0 100 0 0 0 1 0 2 0 0 0 0 0 0 0 0 -9.82 0 0\n"
                      "GRADCOL1 0;0 10\nGRADCOL2 0;0 10\nGRADCOL1 1;0 9\nGRADCOL2 1;0 9\n"
                      "FRAME 0; 0 0 0 0\nFRAME 400; 0 0 0 0\n";

// A picture as rows of 0..1 colours, y from the top.
struct Picture {
    int w = 0, h = 0;
    std::vector<float> rgb;
    const float *at(int x, int y) const { return &rgb[((size_t)y * w + x) * 3]; }
};

Picture from_shot(const Shot &s)
{
    Picture p;
    p.w = s.w;
    p.h = s.h;
    p.rgb.resize((size_t)s.w * s.h * 3);
    for (int y = 0; y < s.h; y++)
        for (int x = 0; x < s.w; x++)
            for (int c = 0; c < 3; c++)
                p.rgb[((size_t)y * s.w + x) * 3 + c] = s.at(x, y, 2 - c) / 255.0f;
    return p;
}

// A binary PPM (povray +FP) with a maximum value of 255.
Picture from_ppm(const std::string &data)
{
    Picture p;
    std::istringstream in(data);
    std::string magic;
    int most = 0;
    in >> magic;
    // Comment lines may follow the magic number.
    for (in >> std::ws; in.peek() == '#'; in >> std::ws)
        in.ignore(1 << 16, '\n');
    in >> p.w >> p.h >> most;
    in.get();
    if (magic != "P6" || most != 255 || p.w <= 0 || p.h <= 0)
        return Picture{};
    const size_t at = (size_t)in.tellg();
    if (data.size() < at + (size_t)p.w * p.h * 3)
        return Picture{};
    p.rgb.resize((size_t)p.w * p.h * 3);
    for (size_t i = 0; i < p.rgb.size(); i++)
        p.rgb[i] = (unsigned char)data[at + i] / 255.0f;
    return p;
}

// The centre of the pixels a test accepts; false when fewer than `least`.
bool centre_of(const Picture &p, const std::function<bool(const float *)> &is, int least, double *cx, double *cy)
{
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < p.h; y++)
        for (int x = 0; x < p.w; x++)
            if (is(p.at(x, y))) {
                sx += x;
                sy += y;
                n++;
            }
    if (n < least)
        return false;
    *cx = sx / n;
    *cy = sy / n;
    return true;
}

// Green and yellow by their hue, lit or in shade.
bool greenish(const float *c) { return c[1] > 0.12f && c[1] > 2.2f * c[0] && c[1] > 2.2f * c[2]; }
bool yellowish(const float *c)
{
    const float hi = std::max(c[0], c[1]);
    return c[0] > 0.12f && c[1] > 0.12f && std::fabs(c[0] - c[1]) < 0.2f * hi && c[2] < 0.35f * hi;
}

} // namespace

// A scene saved beside an F8 screenshot and rendered by povray at the
// screenshot's size frames the fighters as the window did: each fighter's
// head lands within a few pixels of where the window showed it, and povray
// has nothing to warn about.
TEST(SceneExport, RenderedScreenshotSceneShowsTheHeadsWhereTheWindowDid)
{
    GameRun run;
    run.write("fight.rpl", kHeads);
    ASSERT_TRUE(run.start({"-width", "640", "-height", "360", "fight.rpl"}));
    ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
    ASSERT_EQ(run.xdotool("windowfocus --sync " + std::to_string(run.window_id())), 0);
    const Shot shot = run.screenshot();
    ASSERT_EQ(shot.w, 640) << run.err();
    ASSERT_EQ(shot.h, 360);
    std::string scene;
    for (int t = 0; t < 100 && scene.empty(); t++, usleep(50000))
        for (const auto &e : std::filesystem::directory_iterator(run.path("raytrace")))
            if (e.path().extension() == ".pov")
                scene = e.path().filename().string();
    ASSERT_FALSE(scene.empty());
    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0);

    for (const char *f : {"glossy.inc", "povray.ini"})
        std::filesystem::copy_file(std::string(KX_RUN_DIR) + "/raytrace/" + f, run.path(std::string("raytrace/") + f));
    const std::string cmd = "cd '" + run.path("raytrace") + "' && HOME=. povray +I" + scene +
                            " +Oheads.ppm +FP +W640 +H360 -D -V > heads.log 2>&1";
    ASSERT_EQ(system(cmd.c_str()), 0) << kxtest::read_file(run.path("raytrace/heads.log"));
    const std::string log = kxtest::read_file(run.path("raytrace/heads.log"));
    EXPECT_EQ(log.find("Warning:"), std::string::npos) << log;
    const Picture window = from_shot(shot), traced = from_ppm(kxtest::read_file(run.path("raytrace/heads.ppm")));
    ASSERT_EQ(traced.w, 640);
    for (auto is : {greenish, yellowish}) {
        double wx, wy, tx, ty;
        ASSERT_TRUE(centre_of(window, is, 20, &wx, &wy));
        ASSERT_TRUE(centre_of(traced, is, 20, &tx, &ty));
        EXPECT_NEAR(tx, wx, 4) << (is == greenish ? "green" : "yellow") << " head";
        EXPECT_NEAR(ty, wy, 4) << (is == greenish ? "green" : "yellow") << " head";
    }
}

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
