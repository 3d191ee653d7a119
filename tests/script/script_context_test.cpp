// The script context: the libraries it opens, the startup script, and
// load_script with its argument and its failures.
#include <gtest/gtest.h>
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
