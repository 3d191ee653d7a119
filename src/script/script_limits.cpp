#include "script/script_limits.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <lua.hpp>
#include <string>
#include <sys/stat.h>

#include "app/base/utils.h"

const char *script_path_problem(const char *name)
{
    if (strncmp(name, "data/", 5) != 0 || !is_safe_path(name + 5, 1))
        return "scripts open files only under data/";
    char root[PATH_MAX], real[PATH_MAX];
    if (!realpath("data", root))
        return "data/ cannot be found";
    // The longest part of the name that exists, resolved; what is left
    // are names that do not exist yet. A part that is there but cannot be
    // resolved (a link to nowhere, a loop) would be followed by open.
    std::string part = name;
    while (!realpath(part.c_str(), real)) {
        struct stat st;
        const size_t slash = part.rfind('/');
        if (errno != ENOENT || lstat(part.c_str(), &st) == 0 || slash == std::string::npos)
            return "leads outside data/";
        part.resize(slash);
    }
    const size_t n = strlen(root);
    if (strncmp(real, root, n) != 0 || (real[n] != '\0' && real[n] != '/'))
        return "leads outside data/";
    return nullptr;
}

const char *script_pattern_problem(const char *p, size_t len)
{
    const char *end = p + len;
    int depth = 0, quantifiers = 0;
    if (p < end && *p == '^')
        p++;
    while (p < end) {
        const char c = *p++;
        if (c == '(' || c == ')') {
            depth++;
            continue;
        }
        if (c == '%' && p < end) {
            const char e = *p++;
            if (e == 'b') {             // %bxy: no quantifier follows
                p += end - p < 2 ? end - p : 2;
                continue;
            }
            if (e == 'f' || (e >= '0' && e <= '9'))
                continue;               // the frontier's set is read as an item next
        } else if (c == '[') {
            // As the matcher reads a set: the first character (after '^')
            // never closes it, "%x" escapes one.
            if (p < end && *p == '^')
                p++;
            do {
                if (p >= end)
                    break;
                if (*p++ == '%' && p < end)
                    p++;
            } while (p < end && *p != ']');
            if (p < end)
                p++;
        }
        if (p < end && (*p == '*' || *p == '+' || *p == '-' || *p == '?')) {
            p++;
            depth++;
            quantifiers++;
        }
    }
    if (quantifiers > SCRIPT_PATTERN_QUANTIFIERS_MAX)
        return "pattern has too many quantifiers";
    if (depth > SCRIPT_PATTERN_DEPTH_MAX)
        return "pattern too complex";
    return nullptr;
}

namespace {

// unpack(t [, i [, j]]): Lua 5.1's own counts the range in an int that
// overflows; here the range is checked in double before anything is read.
int checked_unpack(lua_State *L)
{
    luaL_checktype(L, 1, LUA_TTABLE);
    const lua_Number first = luaL_optnumber(L, 2, 1);
    const lua_Number last = lua_isnoneornil(L, 3) ? (lua_Number)lua_objlen(L, 1) : luaL_checknumber(L, 3);
    if (!(first == first && last == last))
        return luaL_error(L, "unpack: the range is not a number");
    if (first > last)
        return 0;
    if (!(first >= INT_MIN && last <= INT_MAX) || last - first + 1 > SCRIPT_UNPACK_MAX)
        return luaL_error(L, "too many results to unpack (at most %d)", (int)SCRIPT_UNPACK_MAX);
    // Whole numbers as Lua's own takes them (cut towards zero, which keeps
    // first <= last: n is 1 or more).
    const int i = (int)first, n = (int)last - i + 1;
    if (!lua_checkstack(L, n))
        return luaL_error(L, "too many results to unpack");
    for (int k = 0; k < n; k++)
        lua_rawgeti(L, 1, i + k);
    return n;
}

// table.insert(t, pos, v): Lua 5.1's own moves every element between pos
// and the end one by one, so a position far below 1 (or one beyond the
// integers, which wraps around) keeps the program in C for minutes.
// Positions start at 1, as later Lua versions require.
int checked_insert(lua_State *L)
{
    if (lua_gettop(L) == 3 && lua_isnumber(L, 2) &&     // a numeric string is a position too
        !(lua_tonumber(L, 2) >= 1 && lua_tonumber(L, 2) <= INT_MAX))
        return luaL_error(L, "table.insert: position %f out of bounds (1..%d)", lua_tonumber(L, 2), INT_MAX);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// string.rep(s, n): a result of gigabytes takes the program a minute to
// build, out of the quit check's reach.
int checked_rep(lua_State *L)
{
    size_t len;
    luaL_checklstring(L, 1, &len);
    const lua_Number n = luaL_checknumber(L, 2);
    if (n > 0 && (lua_Number)len * n > SCRIPT_STRING_MAX)
        return luaL_error(L, "string.rep: the result would be longer than %d bytes", (int)SCRIPT_STRING_MAX);
    // Lua's own loop runs once per copy even when the copies are empty.
    if (len == 0) {
        lua_pushliteral(L, "");
        return 1;
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    return 1;
}

} // namespace

void wrap_library_function(lua_State *L, const char *lib, const char *name, lua_CFunction fn)
{
    lua_getglobal(L, lib);
    lua_getfield(L, -1, name);
    lua_pushcclosure(L, fn, 1);
    lua_setfield(L, -2, name);
    lua_pop(L, 1);
}

namespace {

// xpcall(f, handler): Lua calls the handler where the error was raised,
// which for the quit check's error is inside a hook, where hooks are off:
// a handler that never returns could then never be stopped. Here f runs
// in protected mode and the handler is called with the message afterwards,
// as an ordinary call that the quit check reaches. A handler that fails
// gives its own message (Lua's gives "error in error handling").
int checked_xpcall(lua_State *L)
{
    luaL_checkany(L, 2);
    lua_settop(L, 2);
    lua_pushvalue(L, 1);
    if (lua_pcall(L, 0, LUA_MULTRET, 0) == 0) {
        lua_pushboolean(L, 1);
        lua_replace(L, 1);      // over f: true and the results remain above the handler
        lua_remove(L, 2);
        return lua_gettop(L);
    }
    // Stack: f, handler, message.
    lua_pushvalue(L, 2);
    lua_insert(L, 3);
    lua_pcall(L, 1, 1, 0);      // the handler's result, or its own error
    lua_pushboolean(L, 0);
    lua_insert(L, -2);
    return 2;
}

} // namespace

void script_limit_library(lua_State *L)
{
    script_replace_pattern_functions(L);
    wrap_library_function(L, LUA_TABLIBNAME, "insert", checked_insert);
    wrap_library_function(L, LUA_STRLIBNAME, "rep", checked_rep);
    lua_register(L, "unpack", checked_unpack);
    lua_register(L, "xpcall", checked_xpcall);
    // newproxy makes userdata with a __gc function, which Lua runs with
    // hooks off: one that never returns could not be stopped.
    lua_pushnil(L);
    lua_setglobal(L, "newproxy");
}
