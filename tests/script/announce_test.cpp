// The ANNOUNCE line of the game server reaches the script's global function
// announce_callback with its number and text; a missing or failing
// function is a script error and the game goes on.
#include <gtest/gtest.h>

#include <string>

#include "app/services/services_callbacks.h"
#include "game/protocol/command_table.h"
#include "script/script_test_util.h"
#include "support/test_support.h"

namespace {

void announce(const std::string &line)
{
    CommandCursor cursor;
    command_cursor_reset(&cursor);
    parse_cmd(CMD_SOURCE_SERVER, line.c_str(), (int)line.size(), &cursor);
}

} // namespace

TEST(Announce, ServerLineCallsTheScriptsFunction)
{
    ScriptFolder folder("got = ''\n"
                        "function announce_callback(n, text) got = got .. n .. ':' .. text .. ';' end\n");
    ScriptContext ctx;
    services_install_callbacks();
    announce("ANNOUNCE 7; the tournament begins\n");
    announce("ANNOUNCE -2; again\n");
    EXPECT_EQ(eval(ctx, "got"), "7:the tournament begins;-2:again;");

    ASSERT_EQ(run_lua(ctx, "function announce_callback(n, text) error('bad ' .. n) end"), "");
    std::string err = kxtest::stderr_of([] { announce("ANNOUNCE 3; x\n"); });
    EXPECT_NE(err.find("announce_callback"), std::string::npos) << err;
    EXPECT_NE(err.find("bad 3"), std::string::npos) << err;

    ASSERT_EQ(run_lua(ctx, "announce_callback = nil"), "");
    err = kxtest::stderr_of([] { announce("ANNOUNCE 4; y\n"); });
    EXPECT_NE(err.find("announce_callback is not a function"), std::string::npos) << err;
    EXPECT_EQ(lua_gettop(ctx.L), 0);
}
