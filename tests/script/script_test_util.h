// Script test helpers: a temporary run folder with data/script/, and Lua
// chunks run in a context's state.
#pragma once
#include <lua.hpp>
#include <string>
#include <sys/stat.h>

#include "script/script_context.h"
#include "support/test_support.h"

struct ScriptFolder {
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd;

    explicit ScriptFolder(const std::string &startup = "") : cd(dir.path())
    {
        mkdir(dir.file("data").c_str(), 0755);
        mkdir(dir.file("data/script").c_str(), 0755);
        if (!startup.empty())
            script("startup.lua", startup);
    }
    void script(const std::string &name, const std::string &text)
    {
        kxtest::write_file(dir.file("data/script/" + name), text);
    }
};

// Runs a chunk in the context's state; returns "" or the error message.
inline std::string run_lua(ScriptContext &ctx, const std::string &code)
{
    if (luaL_dostring(ctx.L, code.c_str()) != 0) {
        std::string err = lua_tostring(ctx.L, -1);
        lua_pop(ctx.L, 1);
        return err;
    }
    return "";
}

// tostring(expr) in the context's state, or "error: " and the message.
inline std::string eval(ScriptContext &ctx, const std::string &expr)
{
    std::string err = run_lua(ctx, "__r = tostring(" + expr + ")");
    if (!err.empty())
        return "error: " + err;
    lua_getglobal(ctx.L, "__r");
    std::string out = lua_tostring(ctx.L, -1);
    lua_pop(ctx.L, 1);
    return out;
}
