#include "script/script_context.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <lua.hpp>
#include <string>

#include "app/base/platform_fs.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "gui/services/chat_log.h"
#include "script/script_functions.h"
#include "script/script_limits.h"

namespace {

std::atomic<ScriptContext *> live_ctx{nullptr};

// The libraries scripts get; no os, debug or package (no loading of C
// modules, no running of programs). The io library loses popen, tmpfile
// and standard input and opens files only under data/ (see limit_io).
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

// ---- a script that never returns ----

int (*g_quit_check)(void);
int g_quit_checks;   // checks in a row that saw the quit request

// Runs every SCRIPT_CHECK_INSTRUCTIONS instructions of any script. A script
// still running SCRIPT_QUIT_GRACE_CHECKS checks after the program was asked
// to quit is ended with an error (reported with the script's or hook's
// name by whoever called it): a script that ends by itself is not cut
// short. From then on the hook runs at every instruction, so that a pcall
// inside the script cannot catch the error and go on.
void count_hook(lua_State *L, lua_Debug *)
{
    if (!g_quit_check || !g_quit_check()) {
        g_quit_checks = 0;
        if (lua_gethookcount(L) != SCRIPT_CHECK_INSTRUCTIONS)
            lua_sethook(L, count_hook, LUA_MASKCOUNT, SCRIPT_CHECK_INSTRUCTIONS);
        return;
    }
    if (g_quit_checks < SCRIPT_QUIT_GRACE_CHECKS) {
        g_quit_checks++;
        return;
    }
    lua_sethook(L, count_hook, LUA_MASKCOUNT, 1);
    luaL_error(L, "script stopped: the program is quitting");
}

} // namespace

void script_quit_point(lua_State *L)
{
    count_hook(L, nullptr);
}

namespace {

// ---- files ----

// True when name is there but no regular file: opening a FIFO would block
// the program where no count hook can end the script.
bool exists_not_regular(const char *name)
{
    return fs_exists(name) && !fs_is_file(name);
}

// Calls the io function a wrapper stands for (its upvalue) with the
// wrapper's arguments and returns all its results.
int call_original(lua_State *L)
{
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// io.open(name, mode): only under data/, regular files only.
int script_io_open(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    const char *refused = script_path_problem(name);
    if (!refused && exists_not_regular(name))
        refused = "not a regular file";
    if (refused) {
        lua_pushnil(L);
        lua_pushfstring(L, "%s: %s", name, refused);
        return 2;
    }
    return call_original(L);
}

// io.output(name), io.input(name) and io.lines(name) open the file named:
// the same rules. Without a name they use the default files.
int script_io_by_name(lua_State *L)
{
    if (lua_type(L, 1) == LUA_TSTRING) {
        const char *name = lua_tostring(L, 1);
        if (const char *refused = script_path_problem(name))
            return luaL_error(L, "%s: %s", name, refused);
        if (exists_not_regular(name))
            return luaL_error(L, "%s: not a regular file", name);
    }
    return call_original(L);
}

// io.read(): the default input starts as an empty stream (upvalue 2) in
// place of the program's standard input, which scripts do not read: a read
// from it would block the program where no quit request reaches it. Until
// io.input(name) chooses a file, io.read is a script error.
int script_io_read(lua_State *L)
{
    lua_pushvalue(L, lua_upvalueindex(3));
    lua_call(L, 0, 1);
    const bool unchosen = lua_rawequal(L, -1, lua_upvalueindex(2));
    lua_pop(L, 1);
    if (unchosen)
        return luaL_error(L, "io.read: scripts do not read standard input (io.input chooses a file)");
    return call_original(L);
}

// The default input becomes an empty stream (/dev/null), and io.stdin
// goes: nothing a script holds reaches the program's standard input.
void hide_stdin(lua_State *L)
{
    lua_getglobal(L, LUA_IOLIBNAME);
    lua_getfield(L, -1, "read");
    lua_getfield(L, -2, "input");
    lua_pushvalue(L, -1);
    lua_pushstring(L, "/dev/null");
    if (lua_pcall(L, 1, 1, 0) != 0) {
        fprintf(stderr, "Unable to give scripts an empty input: %s\n", lua_tostring(L, -1));
        lua_pop(L, 1);
        lua_getfield(L, -3, "stdin");
    }
    // Stack: io, read, input, the default input.
    lua_insert(L, -2);
    lua_pushcclosure(L, script_io_read, 3);
    lua_setfield(L, -2, "read");
    lua_pushnil(L);
    lua_setfield(L, -2, "stdin");
    lua_pop(L, 1);
}

void limit_io(lua_State *L)
{
    hide_stdin(L);
    wrap_library_function(L, LUA_IOLIBNAME, "open", script_io_open);
    wrap_library_function(L, LUA_IOLIBNAME, "output", script_io_by_name);
    wrap_library_function(L, LUA_IOLIBNAME, "input", script_io_by_name);
    wrap_library_function(L, LUA_IOLIBNAME, "lines", script_io_by_name);
    lua_getglobal(L, LUA_IOLIBNAME);
    lua_pushnil(L);
    lua_setfield(L, -2, "popen");
    lua_pushnil(L);
    lua_setfield(L, -2, "tmpfile");
    lua_pop(L, 1);
}

// ---- loading chunks ----

// Loads Lua source text. Precompiled chunks are refused: Lua does not check
// their byte code, and broken byte code can take over the program. A first
// line starting with '#' is skipped as luaL_loadfile does (its line break
// is kept, so that line numbers stay right). 0, or a Lua error code with
// the message on the stack.
int load_source(lua_State *L, const char *text, size_t len, const char *chunkname)
{
    if (len > 0 && text[0] == LUA_SIGNATURE[0]) {
        lua_pushfstring(L, "%s: precompiled chunks are not loaded", chunkname);
        return LUA_ERRSYNTAX;
    }
    if (len > 0 && text[0] == '#') {
        const char *nl = (const char *)memchr(text, '\n', len);
        len = nl ? len - (size_t)(nl - text) : 0;
        text = nl ? nl : text;
    }
    return luaL_loadbuffer(L, text, len, chunkname);
}

// Loads a file of Lua source: only a regular file (a FIFO would block the
// program), at most SCRIPT_FILE_MAX bytes.
int load_source_file(lua_State *L, const char *path)
{
    FILE *f = fopen_regular(path, "rb");
    if (!f) {
        lua_pushfstring(L, "cannot open %s", path);
        return LUA_ERRFILE;
    }
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0 && text.size() <= SCRIPT_FILE_MAX)
        text.append(buf, n);
    const bool failed = ferror(f) != 0;
    fclose(f);
    if (failed || text.size() > SCRIPT_FILE_MAX) {
        lua_pushfstring(L, "cannot read %s", path);
        return LUA_ERRFILE;
    }
    const char *chunkname = lua_pushfstring(L, "@%s", path);
    const int rc = load_source(L, text.data(), text.size(), chunkname);
    lua_remove(L, -2);   // the chunk name; the function or the message stays
    return rc;
}

// loadstring(text [, chunkname])
int script_loadstring(lua_State *L)
{
    size_t len;
    const char *text = luaL_checklstring(L, 1, &len);
    const char *chunkname = luaL_optstring(L, 2, text);
    if (load_source(L, text, len, chunkname) == 0)
        return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

// load(fn [, chunkname]): the pieces fn returns are joined, then loaded.
int script_load(lua_State *L)
{
    luaL_checktype(L, 1, LUA_TFUNCTION);
    const char *chunkname = luaL_optstring(L, 2, "=(load)");
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    for (;;) {
        lua_pushvalue(L, 1);
        lua_call(L, 0, 1);
        if (lua_isnil(L, -1)) {
            lua_pop(L, 1);
            break;
        }
        if (!lua_isstring(L, -1))
            return luaL_error(L, "reader function must return a string");
        if (lua_objlen(L, -1) == 0) {
            lua_pop(L, 1);
            break;
        }
        luaL_addvalue(&b);
    }
    luaL_pushresult(&b);
    size_t len;
    const char *text = lua_tolstring(L, -1, &len);
    if (load_source(L, text, len, chunkname) == 0)
        return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

// loadfile([name]): no name (standard input) is not offered; files only
// under data/.
int script_loadfile(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    if (const char *refused = script_path_problem(name)) {
        lua_pushnil(L);
        lua_pushfstring(L, "%s: %s", name, refused);
        return 2;
    }
    if (load_source_file(L, name) == 0)
        return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

// dofile(name): loads and runs it, its errors go on to the caller.
int script_dofile(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    if (const char *refused = script_path_problem(name))
        return luaL_error(L, "%s: %s", name, refused);
    lua_settop(L, 1);
    if (load_source_file(L, name) != 0)
        return lua_error(L);
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - 1;
}

void limit_loading(lua_State *L)
{
    lua_register(L, "loadstring", script_loadstring);
    lua_register(L, "load", script_load);
    lua_register(L, "loadfile", script_loadfile);
    lua_register(L, "dofile", script_dofile);
    script_limit_library(L);
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

// The functions a layer above adds to the context (the key bindings'),
// registered with the game's own before startup.lua runs.
static void (*g_more_functions)(ScriptContext *ctx);

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
    limit_io(L);
    limit_loading(L);
    lua_sethook(L, count_hook, LUA_MASKCOUNT, SCRIPT_CHECK_INSTRUCTIONS);
    script_register_functions(this);
    if (g_more_functions)
        g_more_functions(this);
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

void script_set_more_functions(void (*add)(ScriptContext *ctx)) { g_more_functions = add; }

void script_set_quit_check(int (*check)(void))
{
    g_quit_check = check;
    g_quit_checks = 0;
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
    if (load_source_file(L, path) != 0) {
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
