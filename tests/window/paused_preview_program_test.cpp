#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <unistd.h>

#include "window/game_run.h"

// The running program driven by real X events: a turn paused with P, then
// the ghost preview started by G, by B and by a click on the other fighter.
// The preview runs from the paused state while the turn waits with its
// frames; after P the turn ends at its own length. A test script starts
// turns of a known length (key U) and logs what the game reports.
namespace {

const int kTurn = 100;

const char kScript[] = R"(
n = 0
set_hook("key_up", function(key)
    if key == 117 then
        n = n + 1
        run_frames(100)
        log("turn" .. n .. " " .. get_world_state().frame)
    end
end)
set_hook("pause", function() log("pause" .. n .. " " .. get_world_state().frame) end)
set_hook("resume", function() log("resume" .. n .. " " .. get_world_state().frame) end)
set_hook("enter_freeze", function() log("freeze" .. n .. " " .. get_world_state().frame) end)
set_hook("draw2d", function()
    local s = get_world_state()
    local f = io.open("data/state.txt", "w")
    f:write("frame ", s.frame, "\nghost ", s.ghost_mode, "\n")
    local x, y = get_body_screen_pos(1, 3)
    if x then f:write("other ", math.floor(x), " ", math.floor(y), "\n") end
    f:close()
end)
)";

// The number logged after key (the last such line), -1 when none.
int logged(GameRun &run, const std::string &key)
{
    const std::string v = run.value("data/events.log", key);
    return v.empty() ? -1 : std::stoi(v);
}

// A value the script writes every frame; a read that meets the file half
// written is tried again.
std::string state(GameRun &run, const std::string &key)
{
    std::string v;
    for (int t = 0; t < 40 && v.empty(); t++) {
        if (t)
            usleep(25000);
        v = run.value("data/state.txt", key);
    }
    return v;
}

} // namespace

TEST(PausedPreviewProgram, ThePausedTurnEndsAtItsOwnLengthAfterAPreview)
{
    GameRun run;
    run.write_event_script(kScript);
    ASSERT_TRUE(run.start_in_game()) << run.err();
    const std::string win = std::to_string(run.window_id());

    const char *const ways[] = {"G", "B", "click"};
    for (int k = 1; k <= 3; k++) {
        const std::string n = std::to_string(k), way = ways[k - 1];
        SCOPED_TRACE(way);
        run.xdotool("key u");
        ASSERT_TRUE(run.wait_text("data/events.log", "turn" + n + " ")) << run.err();
        run.xdotool("key p");
        ASSERT_TRUE(run.wait_text("data/events.log", "pause" + n + " "));
        const int start = logged(run, "turn" + n), paused = logged(run, "pause" + n);
        ASSERT_LT(paused, start + kTurn) << "the turn ended before P";

        if (way == "G") {
            run.xdotool("key g");
        } else if (way == "B") {
            run.xdotool("key b");
        } else {
            std::istringstream at(state(run, "other"));
            int x = -1, y = -1;
            at >> x >> y;
            ASSERT_GE(x, 0);
            run.xdotool("mousemove --window " + win + " " + std::to_string(x) + " " + std::to_string(y) +
                        " click 1");
        }
        // The preview runs; the live turn waits where it was paused.
        std::string ghost;
        for (int t = 0; t < 80 && (ghost.empty() || ghost == "0"); t++, usleep(25000))
            ghost = state(run, "ghost");
        EXPECT_NE(ghost, "0") << "no preview started";
        usleep(500000);
        EXPECT_EQ(state(run, "frame"), std::to_string(paused));
        EXPECT_EQ(logged(run, "freeze" + n), -1) << "the turn ended during the preview";

        run.xdotool("key p");
        ASSERT_TRUE(run.wait_text("data/events.log", "resume" + n + " ")) << "P did not resume";
        EXPECT_EQ(logged(run, "resume" + n), paused);
        ASSERT_TRUE(run.wait_text("data/events.log", "freeze" + n + " "));
        EXPECT_EQ(logged(run, "freeze" + n), start + kTurn);
    }
    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
}
