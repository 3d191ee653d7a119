// Every call from the program into the script state is protected: a
// hostile global table (a metamethod that raises, or one that never
// returns), or a state out of memory, gives script errors at every entry
// (hooks, the server's ANNOUNCE line, key, console and game hooks,
// scripts loaded by name) and the program goes on.
#include <gtest/gtest.h>

#include <string>

#include "app/services/services_callbacks.h"
#include "game/protocol/command_table.h"
#include "script/script_hooks.h"
#include "script/script_test_util.h"

namespace {

void announce(const std::string &line)
{
    CommandCursor cursor;
    command_cursor_reset(&cursor);
    parse_cmd(CMD_SOURCE_SERVER, line.c_str(), (int)line.size(), &cursor);
}

// Fires every kind of entry once; what they print on standard error.
// Each fails (fail) or each succeeds.
std::string fire_every_entry(ScriptContext &ctx, bool fail = true)
{
    return kxtest::stderr_of([&] {
        EXPECT_EQ(script_call_announce(&ctx, 1, std::string(20000, 'd').c_str()), fail ? 1 : 0);
        announce("ANNOUNCE 2; " + std::string(1000, 's') + "\n");
        fire_hook_draw2d(&ctx);
        fire_game_hook(HOOK_ENTER_FRAME, 0);
        EXPECT_EQ(fire_hook_key(32, 1), 0);
        EXPECT_EQ(fire_hook_console(&ctx, std::string(20000, 'c').c_str(), 0, 0), 0);
        EXPECT_EQ(load_script(&ctx, "reads.lua"), fail ? 1 : 0);
    });
}

int g_quitting;
int quitting(void) { return g_quitting; }

} // namespace

// The server's ANNOUNCE line, with a _G whose __index raises: today's
// script error, not the end of the program; so at every other entry.
TEST(ProtectedCalls, AGlobalTableThatRaisesIsAScriptErrorAtEveryEntry)
{
    ScriptFolder folder("for _, name in ipairs({'draw2d', 'enter_frame', 'key_down', 'console'}) do\n"
                        "  set_hook(name, function() return missing_value end)\n"
                        "end\n"
                        "announce_callback = nil\n"
                        "setmetatable(_G, {__index = function(t, k) error('no ' .. k) end})\n");
    folder.script("reads.lua", "return missing_value");
    ScriptContext ctx;
    services_install_callbacks();
    const std::string err = fire_every_entry(ctx);
    for (const char *where : {"announce_callback", "draw2d", "enter_frame", "key_down", "console",
                              "data/script/reads.lua"})
        EXPECT_NE(err.find(std::string("Script error in ") + where + ": "), std::string::npos) << where << err;
    EXPECT_NE(err.find("startup.lua:5: no announce_callback"), std::string::npos) << err;
    EXPECT_NE(err.find("startup.lua:5: no missing_value"), std::string::npos) << err;
    EXPECT_EQ(lua_gettop(ctx.L), 0);
    // The state still works.
    EXPECT_EQ(eval(ctx, "rawget(_G, 'tostring')(7)"), "7");
}

// A _G whose __index never returns: the entries wait (a script may run
// long) until the program is asked to quit; then each is stopped with a
// script error and the quit goes on.
TEST(ProtectedCalls, AGlobalTableThatNeverReturnsIsStoppedWhenTheProgramQuits)
{
    ScriptFolder folder("for _, name in ipairs({'draw2d', 'enter_frame', 'key_down', 'console'}) do\n"
                        "  set_hook(name, function() return missing_value end)\n"
                        "end\n"
                        "announce_callback = nil\n"
                        "setmetatable(_G, {__index = function(t, k) while true do end end})\n");
    folder.script("reads.lua", "return missing_value");
    ScriptContext ctx;
    services_install_callbacks();
    g_quitting = 1;
    script_set_quit_check(quitting);
    const std::string err = fire_every_entry(ctx);
    script_set_quit_check(nullptr);
    for (const char *where : {"announce_callback", "draw2d", "enter_frame", "key_down", "console",
                              "data/script/reads.lua"})
        EXPECT_NE(err.find(std::string("Script error in ") + where + ": script stopped: the program is quitting"),
                  std::string::npos) << where << err;
    EXPECT_EQ(lua_gettop(ctx.L), 0);
}

// A state at its budget: each entry needs memory (the console line's text,
// the announcement's, a script's source, what the callback makes) and gets
// "not enough memory" as a script error; a hook that needs none still runs
// and lets go of what the script held, and every entry works again.
TEST(ProtectedCalls, AStateOutOfMemoryIsAScriptErrorAtEveryEntry)
{
    ScriptFolder folder("calls = 0\n"
                        "for _, name in ipairs({'draw2d', 'enter_frame', 'key_down', 'console'}) do\n"
                        "  set_hook(name, function(a) local z = ('z'):rep(10000) calls = calls + 1 return z end)\n"
                        "end\n"
                        "function announce_callback(n, text) local a = text .. ('a'):rep(10000) calls = calls + 1 end\n"
                        "set_hook('camera', function() full = nil collectgarbage() end)\n");
    folder.script("reads.lua", "local r = '" + std::string(20000, 'r') + "' calls = calls + 1");
    ScriptContext ctx;
    services_install_callbacks();
    ctx.memory.budget = ctx.memory.used + (4 << 20);
    ASSERT_EQ(run_lua(ctx, "full = nil\n"
                           "local ok, err = pcall(function() while true do full = {full} end end)\n"
                           "assert(err == 'not enough memory')\n"
                           "for i = 1, 4 do collectgarbage() end\n"),
              "");
    // Nothing more: every entry needs more than the garbage it leaves.
    ctx.memory.budget = ctx.memory.used;
    const std::string err = fire_every_entry(ctx);
    for (const char *where : {"announce_callback", "draw2d", "enter_frame", "key_down", "console",
                              "data/script/reads.lua"})
        EXPECT_NE(err.find(std::string("Script error in ") + where + ": not enough memory"), std::string::npos)
            << where << err;
    EXPECT_EQ(lua_gettop(ctx.L), 0);
    fire_hook_camera();
    // Room again: each entry runs its callback to the end.
    ASSERT_EQ(run_lua(ctx, "calls = 0"), "");
    EXPECT_EQ(fire_every_entry(ctx, false), "");
    EXPECT_EQ(eval(ctx, "calls"), "7");
}
