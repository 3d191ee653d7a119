// A script that steps the game (step_game from its enter_freeze hook) on a
// mod the physics engine fails in: the match ends, the script's end_game
// hook hears it, and the script then drives a default game to its end. In
// a child process, so that an engine abort fails the test.
#include <gtest/gtest.h>
#include <lua.hpp>
#include "game/child_match.h"
#include "game/engine_step.h"
#include "script/script_context.h"
#include "script/script_hooks.h"
#include "script_test_util.h"

namespace {

ScriptContext *g_ctx;

void fire_script_hook(int hook, int arg)
{
    if (hook == HOOK_ENTER_FREEZE)
        fire_hook_enter_freeze(g_ctx);
    else if (hook == HOOK_END_GAME)
        fire_hook_end_game(g_ctx, arg);
}

// Ticks until the match is over; the frames it took.
int tick_to_the_end(int most)
{
    int k = 0;
    for (; k < most && !get_game_state()->game_over; k++)
        run_match_tick(0);
    return k;
}

} // namespace

TEST(EngineFaultScript, AScriptSteppingTheGameSeesTheMatchEndAndPlaysOn)
{
    ScriptFolder folder("");
    mkdir("data/mod", 0755);
    kxtest::write_file("data/mod/cylinders.kxm",
                       "env_obj 1\nshape cylinder\nsides 5 10\nmass 1000000\nbounce 1\n"
                       "body r_hand\ndensity 1\nthrust 1 100000 100000 100000\n");
    folder.script("drive.lua", "ended = 0\n"
                               "set_hook('enter_freeze', function() step_game() end)\n"
                               "set_hook('end_game', function(kind) ended = ended + 1 end)\n"
                               "step_game()\n");
    const std::vector<kxtest::ChildEnd> ends = kxtest::run_children({[] {
        if (init_game() != 0)
            return 20;
        ScriptContext ctx;
        g_ctx = &ctx;
        game_callbacks()->fire_hook = fire_script_hook;
        if (kxtest::new_short_mod_game("cylinders.kxm") != 0)
            return 21;
        if (load_script(&ctx, "drive.lua") != 0)
            return 22;
        for (int k = 0; k < 100 && get_game_state()->frame < 30; k++)
            run_match_tick(0);
        engine_fail_next_step_for_test(ENGINE_TEST_STEP);
        tick_to_the_end(200);
        if (!get_game_state()->game_over || eval(ctx, "ended") != "1")
            return 23;
        if (kxtest::new_short_mod_game("classic") != 0)
            return 24;
        load_script(&ctx, "drive.lua");
        tick_to_the_end(5000);
        const int rc = get_game_state()->game_over && eval(ctx, "ended") == "1" && kxtest::bodies_finite() ? 0 : 25;
        game_callbacks()->fire_hook = nullptr;
        free_game();
        return rc;
    }});
    EXPECT_EQ(ends[0].how, "ok") << ends[0].err.substr(0, 3000);
    EXPECT_NE(ends[0].err.find("The physics engine failed in the world of the match on mod cylinders.kxm"),
              std::string::npos)
        << ends[0].err.substr(0, 3000);
}
