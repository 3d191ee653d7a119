// The files scripts open: only so many at a time, every way of opening one
// counted, and what is opened checked after the open, so that a link
// swapped in meanwhile reaches nothing outside data/.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <vector>

#include "script/script_test_util.h"

namespace {

int open_descriptors()
{
    int n = 0;
    for (const auto &e : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)e;
        n++;
    }
    return n;
}

} // namespace

// A thousand opens hold 64 files; the rest are script errors. Every way of
// opening counts; a file closed, or one nobody holds any more, makes room.
TEST(ScriptFiles, AScriptHoldsOnlySoManyFilesOpen)
{
    ScriptFolder folder;
    ScriptContext ctx;
    const int before = open_descriptors();
    EXPECT_EQ(run_lua(ctx,
        "held = {}\n"
        "local ok, err\n"
        "for i = 1, 1100 do\n"
        "  ok, err = pcall(io.open, 'data/f' .. (i % 50), 'w')\n"
        "  if not ok then break end\n"
        "  held[i] = err\n"
        "end\n"
        "assert(#held == 64 and err:find('too many open files: a script holds at most 64 at a time', 1, true), err)\n"
        "for _, open in ipairs({function() return io.lines('data/f1') end, function() return io.input('data/f1') end,\n"
        "                       function() return io.output('data/f2') end}) do\n"
        "  local ok, err = pcall(open)\n"
        "  assert(not ok and err:find('too many open files'), err)\n"
        "end\n"),
        "");
    EXPECT_LE(open_descriptors() - before, 64);
    EXPECT_EQ(run_lua(ctx,
        "held[1]:close()\n"
        "held[1] = assert(io.open('data/f1'))\n"
        "assert(not pcall(io.open, 'data/f1'))\n"
        "held[2] = nil\n"
        "held[2] = assert(io.open('data/f2'))\n"
        "for i = 1, 64 do held[i]:close() end\n"
        // io.lines closes its file at the end; the files io.input and
        // io.output replace are collected.
        "for i = 1, 200 do for line in io.lines('data/f3') do end end\n"
        "for i = 1, 200 do io.output('data/out' .. i % 3) io.write(i) end\n"
        "io.close()\n"
        "for i = 1, 200 do io.input('data/f3') end\n"
        "assert(io.read('*a') == '')\n"
        "io.input():close()\n"
        "for i = 1, 64 do held[i] = assert(io.open('data/g' .. i, 'w')) end\n"
        // The handles' metatable is not the scripts' to change (without
        // its __gc, files nobody holds would stay open uncounted).
        "assert(getmetatable(held[1]) == 'file')\n"
        "for i = 1, 64 do held[i]:close() end\n"),
        "");
    EXPECT_LE(open_descriptors() - before, 1);
}

// Nothing a script holds leads to the table the handles take their methods
// and metamethods from, through any handle or key: a script could otherwise
// take __gc or close away to leak descriptors past the cap, or put in a
// finalizer of its own that runs where neither the instruction hook nor the
// memory budget reaches. The methods still work, and a dropped file is
// still closed when collected.
TEST(ScriptFiles, NoHandleLeadsToTheHandlesMethodsOrMetamethods)
{
    ScriptFolder folder;
    ScriptContext ctx;
    const int before = open_descriptors();
    EXPECT_EQ(run_lua(ctx,
        "local handles = {io.stdout, io.stderr, io.output(), assert(io.open('data/a', 'w')),\n"
        "                 io.input('data/a'), io.output('data/b')}\n"
        "local keys = {'__index', '__newindex', '__gc', '__tostring', '__metatable', '__mode'}\n"
        "for _, h in ipairs(handles) do\n"
        "  assert(getmetatable(h) == 'file')\n"
        "  for _, k in ipairs(keys) do assert(h[k] == nil, k) end\n"
        "  for _, k in ipairs({'close', 'write', 'read', 'lines', '__gc', '__index'}) do\n"
        "    assert(not pcall(function() h[k] = function() end end), k)\n"
        "  end\n"
        "  assert(type(h.write) == 'function' and type(h.close) == 'function')\n"
        "  assert(not pcall(setmetatable, h, {}))\n"
        "end\n"
        // Every route the library once left: through the table a handle
        // leads to, put in a finalizer that would never return, one that
        // would allocate without end, and a close that leaks.
        "for _, h in ipairs(handles) do\n"
        "  local mt = h.__index\n"
        "  if type(mt) == 'table' then\n"
        "    mt.__gc = function() finalized = true end\n"
        "    mt.close = function() end\n"
        "  end\n"
        "end\n"
        "io.output():write('kept') io.output():close()\n"
        "for i = 1, 1000 do io.open('data/c' .. (i % 10), 'w') end\n"
        "collectgarbage() collectgarbage()\n"
        "assert(finalized == nil)\n"),
        "");
    EXPECT_EQ(kxtest::read_file(folder.dir.file("data/b")), "kept");
    // The thousand dropped files were closed as they were collected.
    EXPECT_LE(open_descriptors() - before, 2);
}

// io.input, io.output and io.lines take a number as a name, as Lua does:
// it is checked like any other name.
TEST(ScriptFiles, ANumberIsANameLikeAnyOther)
{
    ScriptFolder folder;
    kxtest::write_file(folder.dir.file("5"), "outside data\n");
    ScriptContext ctx;
    EXPECT_EQ(run_lua(ctx,
        "for _, open in ipairs({io.input, io.output, io.lines}) do\n"
        "  local ok, err = pcall(open, 5)\n"
        "  assert(not ok and err:find('only under data/'), err)\n"
        "end\n"
        "assert(select(2, io.open(5, 'w')):find('only under data/'))\n"),
        "");
    EXPECT_EQ(kxtest::read_file(folder.dir.file("5")), "outside data\n");
}

// Links in data/ swapped between places inside data/ and outside, as fast
// as it goes, while a script opens through them in every mode: no file
// outside is made, written, emptied or read, while opens inside go through.
TEST(ScriptFiles, ALinkSwappedInAfterTheCheckReachesNothingOutside)
{
    ScriptFolder folder;
    kxtest::TempDir outside;
    kxtest::write_file(outside.file("kept.lua"), "leaked = true\n");
    kxtest::write_file(outside.file("w.txt"), "kept");
    const std::string data = folder.dir.file("data/");
    mkdir((data + "in").c_str(), 0755);
    kxtest::write_file(data + "in/kept.lua", "inside = true\n");
    ScriptContext ctx;
    std::atomic<bool> stop{false};
    const struct Link {
        std::string name, inside, out;
    } links[] = {{"dir", "in", outside.path()},
                 {"file", "in/kept.lua", outside.file("kept.lua")},
                 {"wfile", "in/w.txt", outside.file("w.txt")}};
    std::vector<std::thread> swappers;
    for (const Link &l : links) {
        swappers.emplace_back([&stop, &data, &l] {
            const std::string next = data + "next_" + l.name, name = data + l.name;
            for (int i = 0; !stop; i++) {
                unlink(next.c_str());
                if (symlink(i & 1 ? l.out.c_str() : l.inside.c_str(), next.c_str()) == 0)
                    rename(next.c_str(), name.c_str());
            }
        });
    }
    const std::string err = run_lua(ctx,
        "opened = 0\n"
        "for i = 1, 300 do\n"
        "  for _, mode in ipairs({'w', 'a', 'r+', 'w+'}) do\n"
        "    for _, name in ipairs({'data/dir/made.txt', 'data/wfile', 'data/dir/w.txt'}) do\n"
        "      local f = io.open(name, mode)\n"
        "      if f then f:write('x') f:close() opened = opened + 1 end\n"
        "    end\n"
        "  end\n"
        "  for _, name in ipairs({'data/file', 'data/dir/kept.lua'}) do\n"
        "    local f = io.open(name)\n"
        "    if f then assert(f:read('*a') ~= 'leaked = true\\n', 'read outside') f:close() end\n"
        "    local chunk = loadfile(name)\n"
        "    if chunk then chunk() end\n"
        "    pcall(dofile, name)\n"
        "    pcall(function() for line in io.lines(name) do assert(not line:find('leaked'), 'read outside') end end)\n"
        "  end\n"
        "end\n");
    stop = true;
    for (std::thread &t : swappers)
        t.join();
    EXPECT_EQ(err, "");
    EXPECT_EQ(eval(ctx, "leaked"), "nil");
    EXPECT_EQ(eval(ctx, "inside"), "true");
    EXPECT_NE(eval(ctx, "opened"), "0");
    EXPECT_FALSE(std::filesystem::exists(outside.file("made.txt")));
    EXPECT_EQ(kxtest::read_file(outside.file("w.txt")), "kept");
    EXPECT_EQ(kxtest::read_file(outside.file("kept.lua")), "leaked = true\n");
}
