// Whole matches, headless: the default match played turn by turn fires its
// hooks in order and replays itself after the end.
#include <string>
#include "match_fixture.h"
#include "script/script_context.h"
#include "script/script_test_util.h"

static const char *k_counting_script = R"(
frames, freezes, exits, ends, kind, seq = 0, 0, 0, 0, -1, ""
set_hook("enter_frame", function() frames = frames + 1; seq = seq .. "F" end)
set_hook("enter_freeze", function() freezes = freezes + 1; seq = seq .. "Z" end)
set_hook("exit_freeze", function() exits = exits + 1; seq = seq .. "X" end)
set_hook("end_game", function(k) ends = ends + 1; kind = k; seq = seq .. "E" .. k end)
)";

TEST_F(MatchTest, DefaultMatchRunsToItsEndFiringHooksInOrderThenReplays)
{
    ScriptFolder folder("");
    folder.script("count.lua", k_counting_script);
    ScriptContext ctx;
    ASSERT_EQ(load_script(&ctx, "count.lua"), 0);

    WorldState *w = get_game_state();
    std::string expected;
    int turns = 0, live_frames = 0;
    while (!w->game_over) {
        ASSERT_TRUE(waiting());
        expected += "X";
        const int steps = play_turn(turns++, 3);
        live_frames += steps;
        expected += std::string(steps, 'F');
        expected += w->game_over ? "E" + std::to_string(w->result_kind) : "Z";
        ASSERT_LT(turns, 100);
    }
    EXPECT_EQ(turns, 50);
    EXPECT_EQ(live_frames, 500);
    EXPECT_EQ(w->frame, 500);
    EXPECT_EQ(w->end_frame, 500);
    EXPECT_EQ(w->frames_left, 0);

    // After the end the world runs on without hooks; 100 frames later the
    // automatic replay starts from frame 0.
    while (get_game_globals()->replay_mode == 0) {
        ASSERT_LE(w->frame, 600);
        tick();
    }
    EXPECT_EQ(w->frame, 0);
    EXPECT_EQ(get_game_globals()->replay_mode, 1);
    EXPECT_EQ(w->game_over, 0);

    EXPECT_EQ(eval(ctx, "frames"), "500");
    EXPECT_EQ(eval(ctx, "exits"), "50");
    // Every turn but the last ends in a freeze; the last ends the match.
    EXPECT_EQ(eval(ctx, "freezes"), "49");
    EXPECT_EQ(eval(ctx, "ends"), "1");
    EXPECT_EQ(eval(ctx, "kind"), std::to_string(w->result_kind));
    EXPECT_EQ(eval(ctx, "seq"), expected);

    // The replay fires enter_frame again, and the end is not announced twice.
    tick(10);
    EXPECT_EQ(eval(ctx, "frames"), "510");
    EXPECT_EQ(eval(ctx, "ends"), "1");
}
