// What scripts hand to library and game functions is bounded: hostile
// patterns, unpack ranges, frame counts and option values give a script
// error (or a value held to its range) and the program goes on; files are
// opened only where their path really leads into data/.
#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

#include "app/base/options.h"
#include "app/services/config_file.h"
#include "app/services/settings_io.h"
#include "game/game_state.h"
#include "script/script_test_util.h"

namespace {

// Runs chunk (which returns a string) in a state and gives its result.
std::string chunk_result(lua_State *L, const std::string &chunk)
{
    if (luaL_dostring(L, chunk.c_str()) != 0)
        return std::string("error: ") + lua_tostring(L, -1);
    size_t len = 0;
    const char *text = lua_tolstring(L, -1, &len);
    std::string out = text ? std::string(text, len) : "(not a string)";
    lua_settop(L, 0);
    return out;
}

} // namespace

// The checked pattern functions, unpack and xpcall give what Lua's own give
// for everyday arguments: the same chunk run in an unrestricted state.
TEST(ScriptLimits, EverydayCallsGiveWhatLuaGives)
{
    const std::string chunk =
        "local out = {}\n"
        "local function add(...)\n"
        "  local t = {}\n"
        "  for i = 1, select('#', ...) do t[i] = tostring((select(i, ...))) end\n"
        "  out[#out + 1] = table.concat(t, ',')\n"
        "end\n"
        "local s = 'key = \"value\", other=[x], 2+2=4; a.b-c%d aa'\n"
        "for _, p in ipairs({'(%w+)%s*=%s*\"(.-)\"', '%[(.-)%]', '^(%w+)', '%d+%+%d', '[%w_]+', '%b[]',\n"
        "                    '%f[%w]%w+', '(.)%1', '[^%s]+$', 'a.b%-c', '()=()', '[]]', '[^]]+', '%%d',\n"
        "                    string.rep('a?', 30), string.rep('(a)', 20)}) do\n"
        "  add(p, string.find(s, p)) add(s:match(p)) add(string.gsub(s, p, '<%0>'))\n"
        "  for a, b in s:gmatch(p) do add(a, b) end\n"
        "end\n"
        "add(string.find(s, '+', 1, true)) add(s:find('.', 1, true))\n"
        "add(unpack({1, 2, 3})) add(unpack({1, 2, 3}, 2)) add(unpack({1, nil, 3}, 1, 3))\n"
        "add(unpack({}, 5, 4)) add(unpack({'a'}, -1, 1)) add(unpack({'a', 'b'}, 1.5, 2.5))\n"
        // Random patterns and subjects from a small alphabet (a generator of
        // its own: the same in both states), errors compared by message.
        "local seed = 12345\n"
        "local function rnd(n) seed = (seed * 1103515245 + 12345) % 2147483648 return seed % n + 1 end\n"
        "local pa, sa = 'ab()%.*+-?[]^$1dfwbz\\0', 'aab(b)] 1-c\\0'\n"
        "local function word(alpha, len)\n"
        "  local t = {} for i = 1, rnd(len) do local k = rnd(#alpha) t[i] = alpha:sub(k, k) end\n"
        "  return table.concat(t)\n"
        "end\n"
        "for i = 1, 4000 do\n"
        "  local p, subject, init = word(pa, 8), word(sa, 12), rnd(7) - 3\n"
        "  add(i, pcall(string.find, subject, p, init)) add(pcall(string.match, subject, p))\n"
        "  add(pcall(string.gsub, subject, p, '<%0%1>', rnd(3))) add(pcall(string.gsub, subject, p, {a = 'A'}))\n"
        "  add(pcall(string.gsub, subject, p, function(c, d) return d end))\n"
        "  add(pcall(function() local n = 0 for a, b in subject:gmatch(p) do add(a, b) n = n + 1 end return n end))\n"
        "end\n"
        "local t = {1, 2} table.insert(t, 1, 'x') table.insert(t, 9, 'y') table.insert(t, 'z')\n"
        "add(unpack(t, 1, 10)) add(#string.rep('ab', 3), string.rep('x', 0), string.rep('x', -1), string.rep('', 5))\n"
        "add(xpcall(function() return 1, 2 end, print))\n"
        "add(xpcall(function() error('boom', 0) end, function(e) return 'handled ' .. e end))\n"
        "return table.concat(out, '\\n')\n";
    lua_State *ref = luaL_newstate();
    luaL_openlibs(ref);
    const std::string expected = chunk_result(ref, chunk);
    lua_close(ref);
    ASSERT_EQ(expected.rfind("error: ", 0), std::string::npos) << expected;
    EXPECT_GT(expected.size(), 100000u);
    ScriptFolder folder;
    ScriptContext ctx;
    EXPECT_EQ(chunk_result(ctx.L, chunk), expected);
}

// Each hostile call is a script error with a message, the first already in
// startup.lua; the state stays usable.
TEST(ScriptLimits, HostileArgumentsAreScriptErrors)
{
    ScriptFolder folder("unpack({}, -2^31, 2^31 - 1)\n");
    const std::string err = kxtest::stderr_of([] { ScriptContext probe; });
    EXPECT_NE(err.find("startup.lua:1: too many results to unpack"), std::string::npos) << err;

    ScriptContext ctx;
    const struct {
        const char *call, *message;
    } cases[] = {
        {"string.find(string.rep('a', 300000), string.rep('a?', 300000))", "too many quantifiers"},
        {"string.match(string.rep('a', 10), string.rep('(', 300) .. 'a')", "pattern too complex"},
        {"string.gsub('a', string.rep('()', 150), '')", "pattern too complex"},
        {"string.gmatch('a', string.rep('a*', 33))", "too many quantifiers"},
        {"string.find(string.rep('a', 40), string.rep('a*', 40) .. 'b')", "too many quantifiers"},
        {"('x'):find(string.rep('%a-', 40))", "too many quantifiers"},
        {"unpack({}, -2^31, 2^31 - 1)", "too many results"},
        {"unpack({}, 1, 2^31)", "too many results"},
        {"unpack({}, -2^40, 1)", "too many results"},
        {"unpack({1}, 1, 1e6)", "too many results"},
        {"unpack({}, 0/0, 1)", "not a number"},
        {"run_frames(2^31)", "no turn length"},
        {"run_frames(1e300)", "no turn length"},
        {"run_frames(0/0)", "no turn length"},
        {"set_option('width', 0/0)", "not set to a number"},
        {"table.insert({}, -2^31, 1)", "out of bounds"},
        {"table.insert({1, 2}, 0, 1)", "out of bounds"},
        {"table.insert({}, 2^32 + 2^31 + 5, 1)", "out of bounds"},
        {"table.insert({}, '-2147483648', 1)", "out of bounds"},
        {"string.rep('ab', 2^30)", "longer than"},
        {"('x'):rep(2^26 + 1)", "longer than"},
    };
    for (const auto &c : cases) {
        const std::string code = std::string("local ok, err = pcall(function() return ") + c.call +
                                 " end)\nassert(not ok, 'no error')\nassert(err:find('" + c.message +
                                 "', 1, true), err)\n";
        EXPECT_EQ(run_lua(ctx, code), "") << c.call;
    }
    // A plain find takes any text; the state is balanced and still runs.
    EXPECT_EQ(eval(ctx, "string.find(string.rep('a?', 1000) .. 'x', 'x', 1, true)"), "2001");
    // Empty copies cost no time however many are asked for.
    EXPECT_EQ(eval(ctx, "'<' .. string.rep('', 2^31 - 1) .. '>'"), "<>");
    EXPECT_EQ(run_lua(ctx, "run_frames(1000000)"), "");
    EXPECT_EQ(get_game_state()->frames_left, 1000001);
    EXPECT_EQ(lua_gettop(ctx.L), 0);
}

// Standard input is not the scripts': reading it would block the program
// where a quit request cannot reach it.
TEST(ScriptLimits, ScriptsDoNotReadStandardInput)
{
    ScriptFolder folder;
    kxtest::write_file(folder.dir.file("data/in.txt"), "first line\n");
    ScriptContext ctx;
    EXPECT_EQ(run_lua(ctx, "assert(io.stdin == nil)\n"
                           "local ok, err = pcall(io.read)\n"
                           "assert(not ok and err:find('do not read standard input'), err)\n"
                           "assert(io.input():read('*l') == nil)\n"
                           "for line in io.lines() do error('a line from standard input') end\n"
                           "io.input('data/in.txt')\n"
                           "assert(io.read('*l') == 'first line')\n"),
              "");
}

// A link inside data/ that leads out of it opens nothing there, for
// writing or reading, by any function that takes a name; a link that stays
// inside data/ works.
TEST(ScriptLimits, LinksOutOfDataAreNotFollowed)
{
    ScriptFolder folder;
    kxtest::TempDir outside;
    kxtest::write_file(outside.file("secret.lua"), "leaked = true\nreturn 'secret'\n");
    ASSERT_EQ(symlink(outside.path().c_str(), folder.dir.file("data/link").c_str()), 0);
    ASSERT_EQ(symlink(outside.file("made.txt").c_str(), folder.dir.file("data/dangling").c_str()), 0);
    ASSERT_EQ(symlink("../..", folder.dir.file("data/script/up").c_str()), 0);
    ASSERT_EQ(symlink("script", folder.dir.file("data/inner").c_str()), 0);
    ScriptContext ctx;
    EXPECT_EQ(run_lua(ctx,
        "local names = {'data/link/x', 'data/link/secret.lua', 'data/dangling', 'data/script/up/escaped.txt',\n"
        "               'data/link/new/deeper.txt', '/etc/passwd', 'data/../data/x'}\n"
        "for _, name in ipairs(names) do\n"
        "  for _, mode in ipairs({'w', 'a', 'r', 'r+', 'wb'}) do\n"
        "    local f, err = io.open(name, mode)\n"
        "    assert(f == nil and (err:find('leads outside data/') or err:find('only under data/')), name .. mode)\n"
        "  end\n"
        "  for _, fn in ipairs({io.lines, io.input, io.output, dofile}) do\n"
        "    assert(not pcall(fn, name), name)\n"
        "  end\n"
        "  assert(loadfile(name) == nil, name)\n"
        "end\n"
        "local f = assert(io.open('data/inner/kept.txt', 'w')) f:write('kept') f:close()\n"
        "assert(io.open('data/script/kept.txt'):read('*a') == 'kept')\n"),
        "");
    EXPECT_EQ(eval(ctx, "leaked"), "nil");
    EXPECT_FALSE(std::ifstream(outside.file("x")).good());
    EXPECT_FALSE(std::ifstream(outside.file("made.txt")).good());
    EXPECT_FALSE(std::ifstream(folder.dir.file("escaped.txt")).good());
    EXPECT_EQ(kxtest::read_file(outside.file("secret.lua")), "leaked = true\nreturn 'secret'\n");
}

// Values a script sets are held to the option's range before default.cfg
// gets them, with a message.
TEST(ScriptLimits, OptionValuesAreHeldToTheirRange)
{
    ScriptFolder folder;
    ASSERT_NE(config_open("default.cfg"), 0);     // no file yet
    ScriptContext ctx;
    const std::string err = kxtest::stderr_of([&] {
        EXPECT_EQ(run_lua(ctx, "assert(set_option('width', 2^31 - 1) == 0)\n"
                               "assert(set_option('height', -2^31) == 0)\n"
                               "assert(set_option('fullscreen', 7) == 0)\n"
                               "assert(set_option('mousebuttons', -2^31) == 0)\n"
                               "assert(set_option('framerate', 45) == 0)\n"
                               "assert(set_option('backgroundclick', 2^40) == 0)\n"
                               "assert(set_option('chatcache', 99) == 0)\n"
                               "assert(set_option('rememberrules', 1) == 0)\n"),
                  "");
    });
    EXPECT_NE(err.find("Script error in set_option: width takes 321..2047: 2147483647 set as 2047"),
              std::string::npos) << err;
    EXPECT_EQ(err.find("rememberrules"), std::string::npos) << err;     // in range: no message
    EXPECT_EQ(option_get(OPT_CHATCACHE), 3);
    options_save();
    const std::string cfg = kxtest::read_file(folder.dir.file("default.cfg"));
    for (const char *line : {"width \"2047\"\r\n", "height \"241\"\r\n", "fullscreen \"1\"\r\n",
                             "mousebuttons \"1\"\r\n", "framerate \"30\"\r\n", "backgroundclick \"1\"\r\n"})
        EXPECT_NE(cfg.find(line), std::string::npos) << line << cfg;
    config_close();
}

namespace {
int g_quitting;
int quitting(void) { return g_quitting; }
} // namespace

// A match that backtracks for hours (within the pattern limits) ends with
// the script once the program quits, as a loop in Lua does; a pcall around
// it does not keep the script alive.
TEST(ScriptLimits, ALongMatchEndsOnceTheProgramQuits)
{
    ScriptFolder folder;
    ScriptContext ctx;
    g_quitting = 1;
    script_set_quit_check(quitting);
    const std::string err = run_lua(ctx,
        "for _, f in ipairs({string.find, string.match, string.gsub, string.gmatch}) do\n"
        "  pcall(function()\n"
        "    local r = f(string.rep('a', 3000), string.rep('a*', 12) .. 'b', '')\n"
        "    if type(r) == 'function' then r() end\n"
        "  end)\n"
        "end\n"
        "finished = true\n");
    script_set_quit_check(nullptr);
    EXPECT_NE(err.find("script stopped: the program is quitting"), std::string::npos) << err;
    EXPECT_EQ(eval(ctx, "finished"), "nil");
}
