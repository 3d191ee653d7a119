#include "script/script_context.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <lua.hpp>
#include <string>

#include "app/base/text.h"
#include "app/base/utils.h"
#include "gui/services/chat_log.h"
#include "script/script_files.h"
#include "script/script_functions.h"
#include "script/script_limits.h"

namespace {

std::atomic<ScriptContext *> live_ctx{nullptr};

// The libraries scripts get; no os, debug or package (no loading of C
// modules, no running of programs). The io library loses popen, tmpfile
// and standard input and opens files only under data/ (script_files.h).
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

// ---- loading chunks ----

// True when text is a precompiled chunk. These are refused: Lua does not
// check their byte code, and broken byte code can take over the program.
bool is_precompiled(const char *text, size_t len)
{
    return len > 0 && text[0] == LUA_SIGNATURE[0];
}

// Loads Lua source text that is known not to be precompiled. A first line
// starting with '#' is skipped as luaL_loadfile does (its line break is
// kept, so that line numbers stay right). Raises no error: 0, or a Lua
// error code with the message on the stack.
int load_text(lua_State *L, const char *text, size_t len, const char *chunkname)
{
    if (len > 0 && text[0] == '#') {
        const char *nl = (const char *)memchr(text, '\n', len);
        len = nl ? len - (size_t)(nl - text) : 0;
        text = nl ? nl : text;
    }
    return luaL_loadbuffer(L, text, len, chunkname);
}

// Loads Lua source: 0, or a Lua error code with the message on the stack.
int load_source(lua_State *L, const char *text, size_t len, const char *chunkname)
{
    if (is_precompiled(text, len)) {
        lua_pushfstring(L, "%s: precompiled chunks are not loaded", chunkname);
        return LUA_ERRSYNTAX;
    }
    return load_text(L, text, len, chunkname);
}

// Reads a file of Lua source into text: only a regular file (a FIFO would
// block the program), at most SCRIPT_FILE_MAX bytes. A name a script gave
// is opened as the scripts' files are (script_open_file). Null, or what
// went wrong (kept in problem).
const char *read_source(const char *path, bool scripts_name, std::string *text, char *problem, size_t size)
{
    const char *why = nullptr;
    FILE *f = scripts_name ? script_open_file(path, "rb", &why) : fopen_regular(path, "rb");
    if (!f) {
        snprintf(problem, size, why ? "cannot open %s: %s" : "cannot open %s", path, why);
        return problem;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0 && text->size() <= SCRIPT_FILE_MAX)
        text->append(buf, n);
    const bool failed = ferror(f) != 0;
    fclose(f);
    if (failed || text->size() > SCRIPT_FILE_MAX) {
        snprintf(problem, size, "cannot read %s", path);
        return problem;
    }
    if (is_precompiled(text->data(), text->size())) {
        snprintf(problem, size, "%s: precompiled chunks are not loaded", path);
        return problem;
    }
    return nullptr;
}

// Loads a file of Lua source (see read_source): 0, or a Lua error code with
// the message on the stack. While the text is held in C++, only the
// loader runs, which raises no error: an error (out of memory) raised
// past the text would leave it behind.
int load_source_file(lua_State *L, const char *path, bool scripts_name)
{
    const char *chunkname = lua_pushfstring(L, "@%s", path);
    char problem[PATH_MAX + 128];
    int rc = 0;
    {
        std::string text;
        if (!read_source(path, scripts_name, &text, problem, sizeof problem))
            rc = load_text(L, text.data(), text.size(), chunkname);
        else
            rc = LUA_ERRFILE;
    }
    if (rc == LUA_ERRFILE)
        lua_pushstring(L, problem);
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
    if (load_source_file(L, name, true) == 0)
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
    if (load_source_file(L, name, true) != 0)
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

namespace {

// Everything the state offers scripts, set up before any script runs.
void set_up_state(lua_State *L, void *data)
{
    ScriptContext *ctx = (ScriptContext *)data;
    // The message Lua makes when handling an error fails in turn, held so
    // that making it never needs memory: it is made where no protected
    // call is left to catch a failure.
    lua_pushliteral(L, "error in error handling");
    lua_setfield(L, LUA_REGISTRYINDEX, "kx.error_in_error_handling");
    open_libraries(L);
    script_limit_io(L);
    limit_loading(L);
    script_replace_collectgarbage(L);
    script_register_functions(ctx);
    if (g_more_functions)
        g_more_functions(ctx);
}

struct ProtectedCall {
    void (*fn)(lua_State *L, void *data);
    void *data;
    ScriptMemory *memory;
    size_t budget;      // the budget to restore once the call is entered
};

// The blocks Lua makes to enter a protected call (a closure, now and then
// a larger stack) are made even when the script has taken all of its
// budget, so that a hook can still run and let go of what it holds.
const size_t k_entry_reserve = 4096;

int run_protected_call(lua_State *L)
{
    const ProtectedCall *call = (const ProtectedCall *)lua_touserdata(L, 1);
    call->memory->budget = call->budget;
    lua_pop(L, 1);
    call->fn(L, call->data);
    return 0;
}

int collect_garbage(lua_State *L)
{
    script_collect_garbage(L);
    return 0;
}

} // namespace

int script_protected(ScriptContext *ctx, const char *where, void (*fn)(lua_State *L, void *data), void *data)
{
    if (!ctx || !ctx->L)
        return 1;
    lua_State *L = ctx->L;
    const int top = lua_gettop(L);
    ScriptMemory *memory = &ctx->memory;
    ProtectedCall call = {fn, data, memory, memory->budget};
    if (memory->budget < SIZE_MAX - k_entry_reserve)
        memory->budget += k_entry_reserve;
    const int rc = lua_cpcall(L, run_protected_call, &call);
    memory->budget = call.budget;
    if (rc != 0) {
        // The message as it stands: converting a number in place, or
        // calling __tostring, would need the state again.
        char number[64];
        const char *message = nullptr;
        if (lua_type(L, -1) == LUA_TSTRING) {
            message = lua_tostring(L, -1);
        } else if (lua_type(L, -1) == LUA_TNUMBER) {
            snprintf(number, sizeof number, LUA_NUMBER_FMT, lua_tonumber(L, -1));
            message = number;
        }
        script_error(where, message);
    }
    // What a script that ran out of memory let go of is collected now,
    // so that the next call finds room (see script_collect_garbage).
    if (rc == LUA_ERRMEM) {
        memory->budget = SIZE_MAX;
        lua_cpcall(L, collect_garbage, nullptr);
        memory->budget = call.budget;
    }
    lua_settop(L, top);
    return rc != 0;
}

ScriptContext::ScriptContext() : L(nullptr), owner(std::this_thread::get_id())
{
    for (int i = 0; i < HOOK_COUNT; i++)
        hook_ref[i] = LUA_NOREF;
    memory.used = 0;
    memory.budget = SCRIPT_MEMORY_BUDGET;
    L = script_new_state(&memory);
    if (L && script_protected(this, "the script state", set_up_state, this) != 0) {
        lua_close(L);
        L = nullptr;
    }
    if (!L) {
        fprintf(stderr, "Unable to create the script state\n");
        return;
    }
    lua_sethook(L, count_hook, LUA_MASKCOUNT, SCRIPT_CHECK_INSTRUCTIONS);
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

namespace {

struct ScriptRun {
    char path[1100];
    const char *arg;    // "" for none
};

void run_script(lua_State *L, void *data)
{
    const ScriptRun *run = (const ScriptRun *)data;
    if (load_source_file(L, run->path, false) != 0)
        lua_error(L);
    int nargs = 0;
    if (*run->arg) {
        lua_pushstring(L, run->arg);
        nargs = 1;
    }
    lua_call(L, nargs, 0);
}

} // namespace

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
    ScriptRun run;
    snprintf(run.path, sizeof run.path, "data/script/%s", name);
    run.arg = arg;
    return script_protected(ctx, run.path, run_script, &run);
}
