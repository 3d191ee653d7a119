#include <gtest/gtest.h>

#include <lua.hpp>
#include <string>
#include <thread>

#include "gui/chat_text.h"
#include "script/script_context.h"
#include "script/script_hooks.h"
#include "script/script_test_util.h"

// Every hook is set by its name and fired here or in the next test (or as
// the console hook below): a wrong or repeated name would lose a call.
TEST(ScriptHooks, HooksFireWithTheirArguments)
{
    ScriptFolder folder(
        "log = {}\n"
        "local function rec(...) log[#log + 1] = table.concat({...}, ',') end\n"
        "for _, n in ipairs({'enter_frame', 'end_game', 'enter_freeze', 'exit_freeze',\n"
        "    'new_game', 'new_mp_game', 'leave_game', 'play', 'pause', 'resume',\n"
        "    'player_select', 'joint_select', 'body_select', 'draw3d', 'draw2d'}) do\n"
        "  set_hook(n, function(...) rec(n, ...) end)\n"
        "end\n");
    ScriptContext ctx;
    for (int hook = HOOK_ENTER_FRAME; hook <= HOOK_RESUME; hook++)
        fire_game_hook(hook, 2); // the game's path; only end_game passes the argument
    fire_hook_player_select(1);
    fire_hook_joint_select(0, 19);
    fire_hook_body_select(1, 20);
    fire_hook_draw3d(&ctx);
    fire_hook_draw2d(&ctx);
    EXPECT_EQ(eval(ctx, "table.concat(log, ';')"),
              "enter_frame;end_game,2;enter_freeze;exit_freeze;new_game;new_mp_game;"
              "leave_game;play;pause;resume;player_select,1;joint_select,0,19;"
              "body_select,1,20;draw3d;draw2d");
    EXPECT_EQ(lua_gettop(ctx.L), 0);
}

TEST(ScriptHooks, InputHooksReturnTheScriptsAnswer)
{
    ScriptFolder folder;
    testing::internal::CaptureStderr();
    ScriptContext ctx;
    testing::internal::GetCapturedStderr();
    // No hook set: nothing handled.
    EXPECT_EQ(fire_hook_key(97, 1), 0);
    EXPECT_EQ(fire_hook_camera(), 0);
    ASSERT_EQ(run_lua(ctx,
        "set_hook('key_down', function(k) if k == 97 then return 1 end end)\n"
        "set_hook('key_up', function(k) return k == 98 end)\n"
        "set_hook('mouse_button_down', function(b, x, y) return b * 1000 + x + y end)\n"
        "set_hook('mouse_button_up', function(b, x, y) return 0.5 end)\n"
        "set_hook('mouse_move', function(x, y) return 'not a number' end)\n"
        "set_hook('camera', function() return true end)\n"), "");
    EXPECT_EQ(fire_hook_key(97, 1), 1);
    EXPECT_EQ(fire_hook_key(98, 1), 0);
    EXPECT_EQ(fire_hook_key(98, 0), 1);
    EXPECT_EQ(fire_hook_key(97, 0), 0);
    EXPECT_EQ(fire_hook_mouse_button(1, 3, 10, 20), 3030);
    EXPECT_EQ(fire_hook_mouse_button(0, 3, 10, 20), 1);   // a fraction still counts
    EXPECT_EQ(fire_hook_mouse_move(1, 2), 0);
    EXPECT_EQ(fire_hook_camera(), 1);
    EXPECT_EQ(lua_gettop(ctx.L), 0);
}

TEST(ScriptHooks, OneCallbackPerNameAndErrorsAreReported)
{
    ScriptFolder folder("n = 0");
    ScriptContext ctx;
    ASSERT_EQ(run_lua(ctx,
        "set_hook('play', function() n = n + 1 end)\n"
        "set_hook('play', function() n = n + 10 end)\n"), "");
    fire_hook_play(&ctx);
    EXPECT_EQ(eval(ctx, "n"), "10");
    ASSERT_EQ(run_lua(ctx, "set_hook('play', nil)"), "");
    fire_hook_play(&ctx);
    EXPECT_EQ(eval(ctx, "n"), "10");

    EXPECT_NE(run_lua(ctx, "set_hook('no_such', function() end)").find("no hook named 'no_such'"),
              std::string::npos);
    EXPECT_NE(run_lua(ctx, "set_hook('play', 5)"), "");
    EXPECT_NE(run_lua(ctx, "set_hook()"), "");

    // A failing hook is reported and the game goes on.
    ASSERT_EQ(run_lua(ctx,
        "frames = 0\n"
        "set_hook('enter_frame', function()\n"
        "  frames = frames + 1\n"
        "  if frames == 2 then error('boom at two') end\n"
        "end)\n"
        "set_hook('key_down', function() error({}) end)\n"), "");
    testing::internal::CaptureStderr();
    for (int i = 0; i < 4; i++)
        fire_hook_enter_frame(&ctx);
    EXPECT_EQ(fire_hook_key(1, 1), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Script error in enter_frame"), std::string::npos) << err;
    EXPECT_NE(err.find("boom at two"), std::string::npos) << err;
    EXPECT_NE(err.find("Script error in key_down"), std::string::npos) << err;
    EXPECT_EQ(eval(ctx, "frames"), "4");
    EXPECT_EQ(lua_gettop(ctx.L), 0);
}

TEST(ScriptHooks, ConsoleHookVetoesLines)
{
    chat_init();
    ScriptFolder folder(
        "seen = {}\n"
        "set_hook('console', function(text, kind, tab)\n"
        "  seen[#seen + 1] = text .. '|' .. kind .. '|' .. tab\n"
        "  if text:find('hide') then return 1 end\n"
        "  if text:find('crash') then error('console hook failed') end\n"
        "end)\n");
    ScriptContext ctx;
    EXPECT_EQ(chat_get_console_filter(), script_console_filter);
    console_echo("shown", 4);
    console_echo("hide me", 4);
    const std::string err = kxtest::stderr_of([&] { console_echo_tab(0, "please crash", 1); });
    EXPECT_NE(err.find("console hook failed"), std::string::npos) << err;
    ASSERT_EQ(chat_line_count(0), 2);
    EXPECT_EQ(chat_text(0, 0), "shown");
    EXPECT_EQ(chat_text(0, 1), "please crash");      // a failing hook vetoes nothing
    EXPECT_EQ(eval(ctx, "table.concat(seen, ';')"), "shown|4|0;hide me|4|0;please crash|1|0");

    // Lines from another thread never enter the Lua state; they are kept.
    std::thread([] { console_echo_tab(0, "hide from lobby", 1); }).join();
    EXPECT_EQ(chat_line_count(0), 3);
    EXPECT_EQ(eval(ctx, "#seen"), "3");
}

TEST(ScriptHooks, DeletingTheContextRemovesTheConsoleHook)
{
    chat_init();
    {
        ScriptFolder folder("set_hook('console', function() return 1 end)");
        ScriptContext ctx;
        console_echo("vetoed", 4);
        EXPECT_EQ(chat_line_count(0), 0);
    }
    EXPECT_EQ(chat_get_console_filter(), nullptr);
    EXPECT_EQ(get_script_ctx(), nullptr);
    console_echo("kept", 4);
    EXPECT_EQ(chat_line_count(0), 1);
    // Hooks fired with no context do nothing.
    fire_hook_enter_frame(nullptr);
    EXPECT_EQ(fire_hook_key(1, 1), 0);
}
