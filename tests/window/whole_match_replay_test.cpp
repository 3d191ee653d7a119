// A whole match played in the real program as a player plays it, a hand
// holding on from the first turn: its autosaved replay holds every frame of
// the match, and the program plays it back to the end.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>

#include "window/game_run.h"

namespace {

// Hooks that report through log(); see write_event_script.
const char kScript[] = R"(
set_hook("new_game", function() log("new game") end)
set_hook("enter_freeze", function() log("freeze " .. get_world_state().frame) end)
set_hook("end_game", function() log("end " .. get_world_state().frame) end)
set_hook("joint_select", function(fighter, joint) log("select " .. fighter .. " " .. joint) end)
set_hook("enter_frame", function()
    local w = get_world_state()
    if w.replay_mode ~= 0 then log("replay " .. w.frame) end
end)
set_hook("draw2d", function()
    local f = io.open("data/wrist.txt", "w")
    local x, y = get_joint_screen_pos(0, 10)
    if x then f:write(string.format("wrist %d %d\n", x, y)) end
    f:close()
end)
)";

// The autosaved replay, "" until there is one.
std::string autosave(GameRun &run)
{
    const std::string dir = run.path("autosave");
    if (!std::filesystem::is_directory(dir))
        return "";
    for (const auto &e : std::filesystem::directory_iterator(dir))
        if (e.path().extension() == ".rpl")
            return e.path().string();
    return "";
}

} // namespace

TEST(WholeMatch, AGripHeldThroughoutIsSavedAndPlayedWhole)
{
    std::string replay;
    {
        GameRun run;
        run.write_event_script(kScript);
        ASSERT_TRUE(run.start_in_game()) << run.err();
        const std::string win = std::to_string(run.window_id());
        run.xdotool("keydown ctrl key n keyup ctrl");
        ASSERT_TRUE(run.wait_text("data/events.log", "new game")) << run.err();

        // The right wrist under the pointer, then L: the hand grips.
        bool selected = false;
        for (int t = 0; t < 20 && !selected; t++) {
            std::istringstream in(run.value("data/wrist.txt", "wrist"));
            int x = -1, y = -1;
            in >> x >> y;
            if (x < 0 || y < 0) {
                usleep(50000);
                continue;
            }
            run.xdotool("mousemove --window " + win + " " + std::to_string(x) + " " + std::to_string(y));
            selected = run.wait_text("data/events.log", "select 0 10", 1000);
        }
        ASSERT_TRUE(selected) << run.err();
        run.xdotool("key l");

        // Fifty turns of ten frames: Space commits each.
        for (int turn = 1; turn <= 50; turn++) {
            run.xdotool("key space");
            const std::string done = turn < 50 ? "freeze " + std::to_string(turn * 10) + "\n" : "end 500\n";
            ASSERT_TRUE(run.wait_text("data/events.log", done, 20000)) << "turn " << turn << run.err();
        }
        for (int t = 0; t < 200 && replay.empty(); t++, usleep(50000))
            replay = autosave(run);
        ASSERT_FALSE(replay.empty()) << run.err();
        usleep(300000);   // written beside and renamed: whole once it is there
        replay = kxtest::read_file(replay);
        run.close_window();
        EXPECT_EQ(run.wait_exit(), 0) << run.err();
    }

    // Every frame of the match is in the file, each with the hand's grip.
    std::istringstream lines(replay);
    std::string line;
    std::set<int> frames;
    int grips = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("FRAME ", 0) == 0)
            frames.insert(std::stoi(line.substr(6)));
        grips += line == "GRIP 0; 0 1";
    }
    ASSERT_EQ(frames.size(), 500u);
    EXPECT_EQ(*frames.begin(), 0);
    EXPECT_EQ(*frames.rbegin(), 499);
    EXPECT_EQ(grips, 500);

    // Opened in the program, the replay plays to the match's end.
    GameRun again;
    again.write_event_script(kScript);
    again.write("whole.rpl", replay);
    ASSERT_TRUE(again.start({"whole.rpl"}));
    ASSERT_TRUE(again.wait_caption("KAELMUND")) << again.err();
    EXPECT_TRUE(again.wait_text("data/events.log", "replay 499\n", 60000)) << again.err();
    again.close_window();
    EXPECT_EQ(again.wait_exit(), 0) << again.err();
}
