#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>

#include "window/game_run.h"

// The running program driven by real X events: a joint picked under the
// pointer, its state changed by a click and by a key, the turn committed by
// Space, full screen and a chat line typed, and an F8 screenshot. A test
// script logs what the game reports.
namespace {

// Hooks that report through log(); see write_event_script.
const char kScript[] = R"(
set_hook("joint_select", function(fighter, joint) log("select " .. fighter .. " " .. joint) end)
set_hook("exit_freeze", function() log("commit") end)
set_hook("console", function(text) log("console " .. text) end)
set_hook("draw2d", function()
    local f = io.open("data/joints.txt", "w")
    for j = 0, 19 do
        local x, y = get_joint_screen_pos(0, j)
        local info = get_joint_info(0, j)
        if x and info then
            f:write(string.format("joint%d %d %d %d\n", j, x, y, info.state))
        end
    end
    f:close()
end)
)";

struct JointView {
    int x = -1, y = -1, state = -1;
};

// The script rewrites the file every frame: a read that meets it half
// written is tried again.
JointView joint_view(GameRun &run, int j)
{
    JointView v;
    for (int t = 0; t < 40 && v.state < 0; t++) {
        if (t)
            usleep(25000);
        std::istringstream in(run.value("data/joints.txt", "joint" + std::to_string(j)));
        v = JointView();
        in >> v.x >> v.y >> v.state;
    }
    return v;
}

// Waits for the joint's state to differ from `from`; the new state or -1.
int wait_state_change(GameRun &run, int j, int from)
{
    for (int t = 0; t < 200; t++) {
        const int s = joint_view(run, j).state;
        if (s >= 0 && s != from)
            return s;
        usleep(25000);
    }
    return -1;
}

uint32_t le32(const std::string &b, size_t at)
{
    return (uint8_t)b[at] | (uint8_t)b[at + 1] << 8 | (uint8_t)b[at + 2] << 16 | (uint32_t)(uint8_t)b[at + 3] << 24;
}

} // namespace

TEST(RealInput, PickJointChangeItCommitAndScreenshot)
{
    GameRun run;
    run.write_event_script(kScript);
    ASSERT_TRUE(run.start_in_game()) << run.err();
    const std::string win = std::to_string(run.window_id());


    // Hover each joint of the player's fighter until the game reports it
    // under the pointer.
    int joint = -1;
    for (int j = 0; j < 20 && joint < 0; j++) {
        const JointView v = joint_view(run, j);
        if (v.x < 0 || v.y < 0 || v.x >= 960 || v.y >= 540)     // the window's size
            continue;
        run.xdotool("mousemove --window " + win + " " + std::to_string(v.x) + " " + std::to_string(v.y));
        if (run.wait_text("data/events.log", "select 0 " + std::to_string(j), 1500))
            joint = j;
    }
    ASSERT_GE(joint, 0) << run.err();

    const int before = joint_view(run, joint).state;
    run.xdotool("click 1");
    const int clicked = wait_state_change(run, joint, before);
    EXPECT_GE(clicked, 1) << "the click changed nothing";
    run.xdotool("key x");
    const int keyed = wait_state_change(run, joint, clicked);
    EXPECT_TRUE(keyed == 3 || keyed == 4) << keyed;     // hold or relax

    run.xdotool("key space");
    EXPECT_TRUE(run.wait_text("data/events.log", "commit"));

    // Ctrl+Return: full screen, a new video mode and GL context; the GUI and
    // the text are made again in it, so the chat input still works.
    run.xdotool("keydown ctrl key Return keyup ctrl");
    int w = 0, h = 0;
    for (int t = 0; t < 100 && w != 1280; t++, usleep(50000))
        run.window_size(&w, &h);
    EXPECT_EQ(w, 1280);
    run.xdotool("key t");
    usleep(300000);
    run.type("hello", 30);
    run.xdotool("key Return");
    EXPECT_TRUE(run.wait_text("data/events.log", "console hello")) << kxtest::read_file(run.path("data/events.log")) << run.err();

    // Once the turn has run, the picture shows the fighter where the game
    // projects the joint.
    usleep(1500000);
    const JointView at = joint_view(run, joint);
    run.xdotool("key F8");
    std::string shot;
    for (int t = 0; t < 100 && shot.empty(); t++, usleep(50000))
        if (std::filesystem::is_directory(run.path("screenshots")))
            for (const auto &e : std::filesystem::directory_iterator(run.path("screenshots")))
                if (e.path().extension() == ".bmp")
                    shot = e.path().string();
    ASSERT_FALSE(shot.empty());
    usleep(200000);
    const std::string bmp = kxtest::read_file(shot);
    ASSERT_GT(bmp.size(), 54u);
    ASSERT_EQ(bmp.substr(0, 2), "BM");
    w = (int)le32(bmp, 18);
    h = (int)le32(bmp, 22);
    ASSERT_EQ(w, 1280);
    const size_t pitch = ((size_t)w * 3 + 3) & ~(size_t)3;
    auto pixel = [&](int x, int y) {     // rows bottom-up, blue first
        const size_t p = le32(bmp, 10) + (size_t)(h - 1 - y) * pitch + (size_t)x * 3;
        return (uint32_t)(uint8_t)bmp[p] | (uint8_t)bmp[p + 1] << 8 | (uint32_t)(uint8_t)bmp[p + 2] << 16;
    };
    // Sky at the top, floor at the bottom; something else where the joint is.
    const uint32_t sky = pixel(5, 5), floor = pixel(5, h - 5);
    EXPECT_NE(sky, floor);
    int hits = 0;
    for (int dy = -2; dy <= 2; dy++)
        for (int dx = -2; dx <= 2; dx++) {
            const int x = at.x + dx, y = at.y + dy;
            if (x >= 0 && y >= 0 && x < w && y < h)
                hits += pixel(x, y) != sky && pixel(x, y) != floor;
        }
    EXPECT_GT(hits, 0) << "the fighter is not drawn at " << at.x << "," << at.y;

    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
}
