#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>

#include "window/game_run.h"

// The orbiting camera in the running program: switched on by Shift+2 and
// left alone, it keeps the fighters as large on the screen as they were. A
// test script logs the frame count and the screen distance between the two
// fighters' chests every frame.
namespace {

const char kScript[] = R"(
frames = 0
set_hook("draw2d", function()
    frames = frames + 1
    local ax, ay = get_body_screen_pos(0, 2)
    local bx, by = get_body_screen_pos(1, 2)
    local f = io.open("data/view.txt", "w")
    f:write("frames ", frames, "\n")
    if ax and bx then
        f:write("spread ", math.sqrt((ax - bx) ^ 2 + (ay - by) ^ 2), "\n")
    end
    f:close()
end)
)";

// The script rewrites the file every frame: a read that meets it half
// written is tried again.
double view_value(GameRun &run, const char *key)
{
    for (int t = 0; t < 80; t++, usleep(25000)) {
        const std::string v = run.value("data/view.txt", key);
        if (!v.empty())
            return atof(v.c_str());
    }
    return -1;
}

// Waits until the program has drawn n more frames.
bool wait_frames(GameRun &run, int n)
{
    const double start = view_value(run, "frames");
    for (int t = 0; t < 1200; t++, usleep(25000))
        if (view_value(run, "frames") >= start + n)
            return start >= 0;
    return false;
}

} // namespace

TEST(CameraView, TheOrbitingCameraStaysWhereShift2PutIt)
{
    GameRun run;
    run.write("data/script/startup.lua", kScript);
    ASSERT_TRUE(run.start({}));
    ASSERT_TRUE(run.wait_caption("KAELMUND 3.9-alpha2 fps:")) << run.err();
    ASSERT_EQ(run.xdotool("windowfocus --sync " + std::to_string(run.window_id())), 0);
    run.xdotool("key Escape");      // from the welcome menu to the game
    ASSERT_TRUE(wait_frames(run, 30));
    const double before = view_value(run, "spread");
    ASSERT_GT(before, 50) << "the fighters are not framed at start";

    run.xdotool("keydown shift key 2 keyup shift");
    ASSERT_TRUE(wait_frames(run, 240));
    const double after = view_value(run, "spread");
    // The eye stands as far from the point it looks at as the default
    // camera did: the fighters fill about as much of the picture.
    EXPECT_GT(after, before * 0.6) << before << " -> " << after;
    ASSERT_TRUE(wait_frames(run, 120));
    EXPECT_NEAR(view_value(run, "spread"), after, after * 0.02);

    // The floor fills the lower part of the picture and the fighters stand
    // on it: the bottom rows are one colour, unlike the top.
    const Shot shot = run.screenshot();
    ASSERT_GT(shot.w, 0);
    auto rgb = [&](int x, int y) { return shot.at(x, y, 0) | shot.at(x, y, 1) << 8 | shot.at(x, y, 2) << 16; };
    int floor_like = 0;
    const int floor = rgb(shot.w / 2, shot.h - 3);
    for (int x = 0; x < shot.w; x += 8)
        floor_like += std::abs((rgb(x, shot.h - 3) & 0xff) - (floor & 0xff)) < 40;
    EXPECT_GT(floor_like, shot.w / 8 * 3 / 4);
    EXPECT_NE(rgb(5, 5), floor);

    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
}
