// The script context: the libraries it opens, the startup script, and
// load_script with its argument and its failures.
#include <gtest/gtest.h>
#include <fstream>
#include "script/script_hooks.h"
#include "script/script_test_util.h"

TEST(ScriptContext, OpensOnlyTheListedLibraries)
{
    ScriptFolder folder("started = 'yes'");
    ScriptContext ctx;
    ASSERT_NE(ctx.L, nullptr);
    EXPECT_EQ(get_script_ctx(), &ctx);
    EXPECT_EQ(eval(ctx, "started"), "yes");
    EXPECT_EQ(run_lua(ctx,
        "assert(type(print) == 'function' and type(pcall) == 'function')\n"
        "assert(math.floor(2.5) == 2 and string.rep('a', 3) == 'aaa')\n"
        "local t = {3, 1, 2}; table.sort(t); assert(t[1] == 1)\n"
        "assert(type(io.open) == 'function')\n"
        "assert(os == nil and debug == nil and package == nil and require == nil)\n"),
        "");
}

TEST(ScriptContext, ShippedStartupScriptRuns)
{
    ScriptFolder folder;
    kxtest::write_file(folder.dir.file("data/script/startup.lua"),
                       kxtest::read_file(std::string(KX_SOURCE_DIR) + "/data/script/startup.lua"));
    testing::internal::CaptureStderr();
    ScriptContext ctx;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(script_call_announce(&ctx, 3, "hello"), 0);
}

TEST(ScriptContext, MissingOrFailingStartupIsReportedAndTheContextWorks)
{
    {
        ScriptFolder folder;
        testing::internal::CaptureStderr();
        ScriptContext ctx;
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("data/script/startup.lua"), std::string::npos) << err;
        EXPECT_EQ(run_lua(ctx, "x = 1 + 1"), "");
    }
    EXPECT_EQ(get_script_ctx(), nullptr);
    ScriptFolder folder("early = 1\nerror('startup broke')\nlate = 1");
    testing::internal::CaptureStderr();
    ScriptContext ctx;
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("startup broke"), std::string::npos) << err;
    EXPECT_EQ(eval(ctx, "early"), "1");
    EXPECT_EQ(eval(ctx, "late"), "nil");
}

TEST(ScriptContext, LoadScriptPassesItsArgumentAndSurvivesFailures)
{
    ScriptFolder folder;
    folder.script("args.lua", "count = select('#', ...)\ngot = ...\n");
    folder.script("syntax.lua", "this is not lua");
    folder.script("runtime.lua", "local t = nil; t.x = 1");
    folder.script("errobj.lua", "error({})");
    kxtest::write_file(folder.dir.file("outside.lua"), "escaped = true");
    testing::internal::CaptureStderr();
    ScriptContext ctx;
    for (const char *name : {"nosuch.lua", "syntax.lua", "runtime.lua", "errobj.lua", "../outside.lua", "/etc/passwd", ""})
        EXPECT_NE(load_script(&ctx, name), 0) << name;
    EXPECT_NE(load_script(nullptr, "x.lua"), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("runtime.lua"), std::string::npos) << err;
    EXPECT_NE(err.find("refused script name ../outside.lua"), std::string::npos) << err;
    EXPECT_EQ(eval(ctx, "escaped"), "nil");
    // The state is still usable and balanced after the failures.
    EXPECT_EQ(lua_gettop(ctx.L), 0);
    EXPECT_EQ(load_script(&ctx, "args.lua two words  "), 0);
    EXPECT_EQ(eval(ctx, "count"), "1");
    EXPECT_EQ(eval(ctx, "got"), "two words");
    EXPECT_EQ(load_script(&ctx, "  args.lua"), 0);
    EXPECT_EQ(eval(ctx, "count"), "0");
    EXPECT_EQ(eval(ctx, "got"), "nil");
}

// Scripts run no programs and open files only under data/.
TEST(ScriptContext, ScriptsRunNoProgramsAndWriteOnlyUnderData)
{
    ScriptFolder folder;
    mkdir(folder.dir.file("data/out").c_str(), 0755);
    ScriptContext ctx;
    EXPECT_EQ(run_lua(ctx,
        "assert(io.popen == nil and io.tmpfile == nil and os == nil)\n"
        "local f = assert(io.open('data/out/kept.txt', 'w'))\n"
        "f:write('kept') f:close()\n"
        "assert(io.open('data/out/kept.txt'):read('*a') == 'kept')\n"
        "for _, name in ipairs({'escaped.txt', '../escaped.txt', 'data/../escaped.txt',\n"
        "                       'data/.hidden', '/tmp/escaped.txt', 'data/'}) do\n"
        "  for _, mode in ipairs({'w', 'a', 'r+', 'wb'}) do\n"
        "    local g, err = io.open(name, mode)\n"
        "    assert(g == nil and err:find('only under data/'), name .. ' ' .. mode)\n"
        "  end\n"
        "end\n"
        "assert(not pcall(io.output, 'escaped.txt'))\n"
        "io.output('data/out/output.txt') io.write('through io.output') io.close()\n"),
        "");
    EXPECT_FALSE(std::ifstream(folder.dir.file("escaped.txt")).good());
    EXPECT_EQ(kxtest::read_file(folder.dir.file("data/out/output.txt")), "through io.output");
}

// Precompiled chunks are refused by every loader (broken byte code is not
// checked by Lua); source loads as before, also with a '#' first line.
TEST(ScriptContext, OnlySourceIsLoaded)
{
    ScriptFolder folder;
    folder.script("lines.lua", "#!/usr/bin/lua\n\nerror('on the third line')\n");
    ScriptContext ctx;
    EXPECT_EQ(run_lua(ctx,
        "local code = string.dump(function() return 1 end)\n"
        "local out = assert(io.open('data/script/dumped.lua', 'wb')) out:write(code) out:close()\n"
        "local sent = false\n"
        "assert(load(function() if not sent then sent = true return code end end) == nil)\n"
        "assert(loadfile('data/script/dumped.lua') == nil)\n"
        "assert(not pcall(dofile, 'data/script/dumped.lua'))\n"
        "assert(select(2, loadstring(code)):find('precompiled'))\n"
        "assert(loadstring('return 7')() == 7)\n"),
        "");
    testing::internal::CaptureStderr();
    EXPECT_NE(load_script(&ctx, "dumped.lua"), 0);
    EXPECT_NE(load_script(&ctx, "lines.lua"), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("dumped.lua: precompiled chunks are not loaded"), std::string::npos) << err;
    EXPECT_NE(err.find("lines.lua:3: on the third line"), std::string::npos) << err;
}

// A FIFO named like a script, or opened by one, would block the program in
// its open, where no quit request can reach it: refused.
TEST(ScriptContext, AScriptThatIsNoRegularFileIsRefused)
{
    ScriptFolder folder;
    ASSERT_EQ(mkfifo(folder.dir.file("data/script/startup.lua").c_str(), 0644), 0);
    testing::internal::CaptureStderr();
    ScriptContext ctx;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot open data/script/startup.lua"), std::string::npos) << err;
    EXPECT_EQ(run_lua(ctx, "local pipe = 'data/script/startup.lua'\n"
                           "assert(loadfile(pipe) == nil and io.open(pipe) == nil)\n"
                           "assert(not pcall(io.lines, pipe) and not pcall(io.output, pipe))\n"),
              "");
}

namespace {
int g_quit_asked;
int quit_asked(void) { return g_quit_asked; }
} // namespace

// A script that never returns goes on while nobody asks to quit; once asked,
// it is ended with an error naming it, and a pcall inside it cannot keep
// it alive. Scripts that end by themselves run to their end as before.
TEST(ScriptContext, AScriptThatNeverReturnsEndsOnceTheProgramQuits)
{
    ScriptFolder folder;
    folder.script("forever.lua",
                  "set_hook('draw2d', function() while true do pcall(function() while true do end end) end end)\n"
                  "local n = 0\n"
                  "while true do n = n + 1 if n == 50000 then progress = n end end\n");
    ScriptContext ctx;
    g_quit_asked = 0;
    script_set_quit_check(quit_asked);
    EXPECT_EQ(run_lua(ctx, "local n = 0 for i = 1, 500000 do n = n + i end total = n"), "");
    EXPECT_EQ(eval(ctx, "total"), "125000250000");
    g_quit_asked = 1;
    testing::internal::CaptureStderr();
    EXPECT_NE(load_script(&ctx, "forever.lua"), 0);
    fire_hook_draw2d(&ctx);
    const std::string err = testing::internal::GetCapturedStderr();
    script_set_quit_check(nullptr);
    EXPECT_NE(err.find("Script error in data/script/forever.lua: script stopped"), std::string::npos) << err;
    EXPECT_NE(err.find("Script error in draw2d: script stopped"), std::string::npos) << err;
    EXPECT_EQ(eval(ctx, "progress"), "50000");
    EXPECT_EQ(lua_gettop(ctx.L), 0);
}
