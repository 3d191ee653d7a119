#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "window/game_run.h"

// A startup.lua that reaches for the handles' metatable, drops a thousand
// files, holds a thousand open and grows a string without end, in the real
// program: each is a script error, the window comes up,
// the program keeps only a few descriptors more than it needs (its X
// connection stays far below FD_SETSIZE) and ends normally when asked.
TEST(ScriptBudgetProgram, ManyOpenFilesAndAGrowingStringAreScriptErrors)
{
    GameRun run;
    run.write("data/script/startup.lua",
              "local ok, err = pcall(function()\n"
              "  local s = string.rep('x', 2^20) while true do s = s .. s end\n"
              "end)\n"
              "local out = io.open('data/memory.txt', 'w') out:write(tostring(err)) out:close()\n"
              // No handle leads to the handles' own __gc and close, so the
              // files dropped here are closed as they are collected.
              "pcall(function() local mt = io.stdout.__index mt.__gc = nil mt.close = function() end end)\n"
              "for i = 1, 1100 do io.open('data/g' .. (i % 50), 'w') end\n"
              "t = {}\n"
              "for i = 1, 1100 do t[i] = io.open('data/f' .. (i % 50), 'w') end\n");
    ASSERT_TRUE(run.start({}));
    ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
    EXPECT_NE(run.err().find("Script error in data/script/startup.lua: data/script/startup.lua:8: "
                             "too many open files: a script holds at most 64 at a time"),
              std::string::npos) << run.err();
    EXPECT_NE(kxtest::read_file(run.path("data/memory.txt")).find("not enough memory"), std::string::npos);
    int descriptors = 0;
    for (const auto &e : std::filesystem::directory_iterator("/proc/" + std::to_string(run.pid()) + "/fd")) {
        (void)e;
        descriptors++;
    }
    EXPECT_LT(descriptors, 200);
    sleep(1);
    run.close_window();
    EXPECT_EQ(run.wait_exit(20000), 0) << run.err();
    EXPECT_EQ(run.err().find("PANIC"), std::string::npos) << run.err();
}
