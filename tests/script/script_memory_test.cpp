// The script state's memory budget: a script that grows past it gets
// "not enough memory" (an error it can catch) and the program goes on.
// The tests give the state a small budget, so that none takes more than
// a few megabytes, except the one that checks the default.
#include <gtest/gtest.h>

#include <string>

#include "script/script_hooks.h"
#include "script/script_test_util.h"

namespace {

const size_t kSmallBudget = 16 << 20;

} // namespace

// Each way a script can take memory without end stops at the budget with
// Lua's "not enough memory", quickly; once the script lets go, what it
// held is given back and scripts run as before.
TEST(ScriptMemory, GrowingPastTheBudgetIsNotEnoughMemory)
{
    ScriptFolder folder;
    ScriptContext ctx;
    const size_t start = ctx.memory.used;
    ctx.memory.budget = start + kSmallBudget;
    const char *growth[] = {
        "local s = 'x' while true do s = s .. s end",
        "local s = string.rep('x', 2^20) local t = {} for i = 1, 64 do t[i] = s end return table.concat(t)",
        "local t = {} for i = 1, 64 do t[i] = string.rep('y', 2^20) .. i end return table.concat(t, ',')",
        "local s = string.rep('a', 2^16) return (s:gsub('a', string.rep('b', 1000)))",
        "local s = string.rep('a', 2^16) return (s:gsub('a', '%0%0%0%0%0%0%0%0%0%0%0%0%0%0%0%0%0%0%0%0'):gsub('a', '%0%0%0%0%0%0%0%0%0%0%0%0%0%0%0%0'))",
        "return string.rep('ab', 2^24)",
        "return ('x'):rep(2^26)",
        "local t = {} for i = 1, 1e9 do t[i] = i end",
        "local t = {} for i = 1, 1e9 do t[tostring(i)] = true end",
        "local t = {} while true do t = {t} end",
        "local t = {} while true do t[#t + 1] = coroutine.create(function() end) end",
        "local t = {} while true do t[#t + 1] = function() return t end end",
        // Source too large to load is a failed load, as any other.
        "local f, err = loadstring(string.rep('x = 1 ', 2^20)) error(err, 0)",
        "local s, t = string.rep('v', 2^20), {} for i = 1, 40 do t[i] = s end return string.format(string.rep('%s', 40), unpack(t))",
        "local s = string.rep('u', 2^23) return s:upper() .. s:lower() .. s:reverse()",
    };
    for (const char *code : growth) {
        EXPECT_EQ(run_lua(ctx, "local ok, err = pcall(function() " + std::string(code) + " end)\n"
                               "assert(not ok, 'no error')\n"
                               "assert(err == 'not enough memory', err)\n"
                               "for i = 1, 8 do collectgarbage() end\n"),
                  "") << code;
        EXPECT_LT(ctx.memory.used, start + (1 << 20)) << code;
    }
    EXPECT_EQ(run_lua(ctx, "local t = {} for i = 1, 1000 do t[i] = ('z'):rep(1000) .. i end\n"
                           "assert(#table.concat(t) > 1000000)\n"),
              "");
    EXPECT_EQ(lua_gettop(ctx.L), 0);
}

// A state at its budget still handles its errors (a message that cannot
// be made becomes "not enough memory") and still collects its garbage,
// although Lua's collector makes a new string table to shrink the old one.
TEST(ScriptMemory, AFullStateStillCollectsAndHandlesErrors)
{
    ScriptFolder folder;
    ScriptContext ctx;
    ctx.memory.budget = ctx.memory.used + kSmallBudget;
    // Everything the chunk needs once the state is full is made before.
    EXPECT_EQ(run_lua(ctx,
        "local function deeper(n) return deeper(n + 1) + 1 end\n"
        "local looped = setmetatable({}, {__index = function(t, k) return t[k] end})\n"
        "local tries = {deeper, function() return looped.x end, function() error(('e'):rep(1000)) end,\n"
        "               function() return {} .. 1 end, function() return #nil end}\n"
        "local failed = 0\n"
        "set_hook('draw2d', function() full = nil collectgarbage() end)\n"
        // Many strings, let go of: the collector will want a smaller
        // string table.
        "local names = {} for i = 1, 50000 do names[i] = 'name' .. i end names = nil\n"
        "local function fill() while true do full = {full} end end\n"
        "assert(select(2, pcall(fill)) == 'not enough memory')\n"
        "for i = 1, 10 do collectgarbage() collectgarbage('step') end\n"
        "for i = 1, #tries do if not pcall(tries[i], 1) then failed = failed + 1 end end\n"
        "assert(failed == #tries)\n"),
        "");
    // Still full, until a hook lets go of what the script held.
    EXPECT_GT(ctx.memory.used, ctx.memory.budget - (1 << 20));
    fire_hook_draw2d(&ctx);
    EXPECT_LT(ctx.memory.used, ctx.memory.budget - kSmallBudget / 2);
    EXPECT_EQ(eval(ctx, "#string.rep('w', 2^20)"), "1048576");
    EXPECT_EQ(lua_gettop(ctx.L), 0);
}

// The default budget: the shipped startup script takes a small part of it,
// a doubling string stops within a few steps and a join of 1 GiB at a
// quarter of it, long before gigabytes.
TEST(ScriptMemory, TheDefaultBudgetStopsADoublingString)
{
    ScriptFolder folder;
    kxtest::write_file(folder.dir.file("data/script/startup.lua"),
                       kxtest::read_file(std::string(KX_SOURCE_DIR) + "/data/script/startup.lua"));
    ScriptContext ctx;
    EXPECT_EQ(ctx.memory.budget, (size_t)SCRIPT_MEMORY_BUDGET);
    EXPECT_EQ(SCRIPT_MEMORY_BUDGET, 256 << 20);
    EXPECT_LT(ctx.memory.used, (size_t)(1 << 20));
    EXPECT_EQ(run_lua(ctx, "local s, n = string.rep('x', 2^20), 0\n"
                           "local ok, err = pcall(function() while true do s = s .. s n = n + 1 end end)\n"
                           "assert(err == 'not enough memory' and n == 6, n .. ' ' .. tostring(err))\n"
                           "s = nil\n"
                           "local piece = string.rep('p', 2^26) local t = {} for i = 1, 16 do t[i] = piece end\n"
                           "ok, err = pcall(table.concat, t)\n"
                           "assert(err == 'not enough memory', tostring(err))\n"
                           "piece, t = nil, nil for i = 1, 10 do collectgarbage() end\n"),
              "");
    EXPECT_LT(ctx.memory.used, (size_t)(1 << 20));
}
