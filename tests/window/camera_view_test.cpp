#include <gtest/gtest.h>

#include <algorithm>
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

// A start turned by the engage rotation, framed by a new game (Ctrl+N): the
// camera turns with the pair of fighters, so both fighters' colours are in
// the picture side by side, neither hiding the other. Fighter 0's bodies
// are dark red, fighter 1's dark blue.
class TurnedStart : public testing::TestWithParam<int> {};

TEST_P(TurnedStart, ShowsBothFighters)
{
    GameRun run;
    run.write("default.cfg", "#settings\r\nrememberrules \"1\"\r\nengagerotation \"" + std::to_string(GetParam()) +
                                 "\"\r\n");
    run.write_event_script("games = 0\n"
                           "set_hook(\"new_game\", function() games = games + 1; log(\"game \" .. games) end)\n");
    ASSERT_TRUE(run.start_in_game()) << run.err();
    run.xdotool("keydown ctrl key n keyup ctrl");
    ASSERT_TRUE(run.wait_text("data/events.log", "game 2"));
    const Shot shot = run.screenshot();
    ASSERT_GT(shot.w, 0);

    // Below the names at the top: the pixels of each fighter's body colour
    // and where they lie across the picture on average.
    long count[2] = {0, 0};
    double sum_x[2] = {0, 0};
    for (int y = shot.h / 10; y < shot.h; y++)
        for (int x = 0; x < shot.w; x++) {
            const int b = shot.at(x, y, 0), g = shot.at(x, y, 1), r = shot.at(x, y, 2);
            const int who = r > 90 && g < 40 && b < 40 ? 0 : b > 80 && r < 40 && g < 40 ? 1 : -1;
            if (who >= 0) {
                count[who]++;
                sum_x[who] += x;
            }
        }
    ASSERT_GT(count[0], 0);
    ASSERT_GT(count[1], 0);
    // Seen along the line between them, the fighter in front leaves about a
    // fifth of the other's colour in sight, and both stand mid-picture.
    EXPECT_GT(std::min(count[0], count[1]) * 3, std::max(count[0], count[1])) << count[0] << " / " << count[1];
    EXPECT_GT(std::fabs(sum_x[0] / count[0] - sum_x[1] / count[1]), shot.w * 0.03);

    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
}

INSTANTIATE_TEST_SUITE_P(CameraView, TurnedStart, testing::Values(135, 315));
