#include "script/script_context.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <lua.hpp>

#include "app/base/text.h"
#include "gui/services/chat_log.h"
#include "script/script_functions.h"

namespace {

std::atomic<ScriptContext *> live_ctx{nullptr};

// The libraries scripts get; no os, debug or package (no loading of C
// modules, no running of programs).
const luaL_Reg script_libraries[] = {
    {"", luaopen_base},
    {LUA_MATHLIBNAME, luaopen_math},
    {LUA_STRLIBNAME, luaopen_string},
    {LUA_TABLIBNAME, luaopen_table},
    {LUA_IOLIBNAME, luaopen_io},
    {nullptr, nullptr},
};

void open_libraries(lua_State *L)
{
    for (const luaL_Reg *lib = script_libraries; lib->func; lib++) {
        lua_pushcfunction(L, lib->func);
        lua_pushstring(L, lib->name);
        lua_call(L, 1, 0);
    }
}

// Script names are relative to data/script and stay inside it.
bool script_name_is_safe(const char *name)
{
    if (!name[0] || name[0] == '/' || strchr(name, '\\'))
        return false;
    const char *p = name;
    for (;;) {
        const char *end = strchr(p, '/');
        size_t len = end ? (size_t)(end - p) : strlen(p);
        if (len == 0 || (len == 2 && p[0] == '.' && p[1] == '.'))
            return false;
        if (!end)
            return true;
        p = end + 1;
    }
}

} // namespace

void script_error(const char *where, const char *message)
{
    fprintf(stderr, "Script error in %s: %s\n", where ? where : "script",
            message ? message : "(no message)");
}

ScriptContext::ScriptContext() : L(nullptr), owner(std::this_thread::get_id())
{
    for (int i = 0; i < HOOK_COUNT; i++)
        hook_ref[i] = LUA_NOREF;
    L = luaL_newstate();
    if (!L) {
        fprintf(stderr, "Unable to create the script state\n");
        return;
    }
    open_libraries(L);
    script_register_functions(this);
    ScriptContext *none = nullptr;
    if (!live_ctx.compare_exchange_strong(none, this))
        fprintf(stderr, "ScriptContext: a script context already exists\n");
    if (live_ctx.load() == this)
        chat_set_console_filter(script_console_filter);
    load_script(this, "startup.lua");
}

ScriptContext::~ScriptContext()
{
    ScriptContext *self = this;
    if (live_ctx.compare_exchange_strong(self, nullptr)) {
        if (chat_get_console_filter() == script_console_filter)
            chat_set_console_filter(nullptr);
    }
    if (L)
        lua_close(L);
}

ScriptContext *get_script_ctx(void)
{
    return live_ctx.load();
}

int load_script(ScriptContext *ctx, const char *text)
{
    if (!ctx || !ctx->L || !text)
        return 1;
    char buf[1024];
    n_strncpyz(buf, text, (int)sizeof buf);
    char *name = buf;
    while (*name == ' ' || *name == '\t')
        name++;
    char *arg = name;
    while (*arg && *arg != ' ' && *arg != '\t')
        arg++;
    if (*arg) {
        *arg++ = '\0';
        while (*arg == ' ' || *arg == '\t')
            arg++;
        size_t len = strlen(arg);
        while (len > 0 && (arg[len - 1] == ' ' || arg[len - 1] == '\t' ||
                           arg[len - 1] == '\r' || arg[len - 1] == '\n'))
            arg[--len] = '\0';
    }
    if (!script_name_is_safe(name)) {
        fprintf(stderr, "load_script: refused script name %s\n", name);
        return 1;
    }
    const char *path = va_format("data/script/%s", name);
    lua_State *L = ctx->L;
    int top = lua_gettop(L);
    if (luaL_loadfile(L, path) != 0) {
        script_error(path, lua_tostring(L, -1));
        lua_settop(L, top);
        return 1;
    }
    int nargs = 0;
    if (*arg) {
        lua_pushstring(L, arg);
        nargs = 1;
    }
    int rc = lua_pcall(L, nargs, 0, 0);
    if (rc != 0)
        script_error(path, lua_tostring(L, -1));
    lua_settop(L, top);
    return rc != 0;
}
