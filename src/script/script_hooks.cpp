#include "script/script_hooks.h"

#include <climits>
#include <cstdarg>
#include <cstring>
#include <lua.hpp>

#include "script/script_context.h"
#include "script/script_functions.h"

const HookName hook_names[HOOK_COUNT] = {
    {HOOK_ENTER_FRAME, "enter_frame"},
    {HOOK_END_GAME, "end_game"},
    {HOOK_ENTER_FREEZE, "enter_freeze"},
    {HOOK_EXIT_FREEZE, "exit_freeze"},
    {HOOK_NEW_GAME, "new_game"},
    {HOOK_NEW_MP_GAME, "new_mp_game"},
    {HOOK_LEAVE_GAME, "leave_game"},
    {HOOK_PLAY, "play"},
    {HOOK_PAUSE, "pause"},
    {HOOK_RESUME, "resume"},
    {HOOK_KEY_DOWN, "key_down"},
    {HOOK_KEY_UP, "key_up"},
    {HOOK_MOUSE_BUTTON_DOWN, "mouse_button_down"},
    {HOOK_MOUSE_BUTTON_UP, "mouse_button_up"},
    {HOOK_MOUSE_MOVE, "mouse_move"},
    {HOOK_PLAYER_SELECT, "player_select"},
    {HOOK_JOINT_SELECT, "joint_select"},
    {HOOK_BODY_SELECT, "body_select"},
    {HOOK_CAMERA, "camera"},
    {HOOK_DRAW3D, "draw3d"},
    {HOOK_DRAW2D, "draw2d"},
    {HOOK_CONSOLE, "console"},
};

int hook_find(const char *name)
{
    if (!name)
        return -1;
    for (int i = 0; i < HOOK_COUNT; i++)
        if (strcmp(hook_names[i].name, name) == 0)
            return i;
    return -1;
}

namespace {

struct HookCall {
    const ScriptContext *ctx;
    HookId id;
    const char *fmt;    // 'i' an int, 's' a string
    int ints[4];
    const char *text;   // the one string argument
    int result;
};

// A callback's result as the hooks read it: true counts 1, any non-zero
// number (also a fraction or a huge one) counts non-zero.
int result_of(lua_State *L, int index)
{
    if (lua_type(L, index) == LUA_TBOOLEAN)
        return lua_toboolean(L, index);
    if (lua_type(L, index) != LUA_TNUMBER)
        return 0;
    const lua_Number n = lua_tonumber(L, index);
    if (n != n)
        return 0;
    if (n >= INT_MAX)
        return INT_MAX;
    if (n <= INT_MIN)
        return INT_MIN;
    if (n > 0 && n < 1)
        return 1;
    if (n < 0 && n > -1)
        return -1;
    return (int)n;
}

void call_hook(lua_State *L, void *data)
{
    HookCall *c = (HookCall *)data;
    lua_rawgeti(L, LUA_REGISTRYINDEX, c->ctx->hook_ref[c->id]);
    int nargs = 0, next_int = 0;
    for (const char *f = c->fmt; *f; f++, nargs++) {
        if (*f == 'i')
            lua_pushinteger(L, c->ints[next_int++]);
        else
            lua_pushstring(L, c->text);
    }
    lua_call(L, nargs, 1);
    c->result = result_of(L, -1);
}

// Calls the callback of a hook with arguments described by fmt: 'i' an
// int, 's' a string (at most one). Returns the callback's integer result,
// 0 when none is set or the call failed (reported as a script error).
int fire(ScriptContext *ctx, HookId id, const char *fmt, ...)
{
    if (!ctx || !ctx->L || ctx->hook_ref[id] == LUA_NOREF)
        return 0;
    HookCall call = {ctx, id, fmt, {0, 0, 0, 0}, "", 0};
    int n = 0;
    va_list ap;
    va_start(ap, fmt);
    for (const char *f = fmt; *f; f++) {
        if (*f == 'i' && n < 4)
            call.ints[n++] = va_arg(ap, int);
        else if (*f == 's')
            call.text = va_arg(ap, const char *);
    }
    va_end(ap);
    if (script_protected(ctx, hook_names[id].name, call_hook, &call) != 0)
        return 0;
    return call.result;
}

} // namespace

void fire_game_hook(int hook, int arg)
{
    if (hook == HOOK_END_GAME)
        fire(get_script_ctx(), HOOK_END_GAME, "i", arg);
    else if (hook >= HOOK_ENTER_FRAME && hook <= HOOK_RESUME)
        fire(get_script_ctx(), (HookId)hook, "");
}

void fire_hook_enter_frame(ScriptContext *ctx) { fire(ctx, HOOK_ENTER_FRAME, ""); }
void fire_hook_end_game(ScriptContext *ctx, int result_kind) { fire(ctx, HOOK_END_GAME, "i", result_kind); }
void fire_hook_enter_freeze(ScriptContext *ctx) { fire(ctx, HOOK_ENTER_FREEZE, ""); }
void fire_hook_exit_freeze(ScriptContext *ctx) { fire(ctx, HOOK_EXIT_FREEZE, ""); }
void fire_hook_new_game(ScriptContext *ctx) { fire(ctx, HOOK_NEW_GAME, ""); }
void fire_hook_new_mp_game(ScriptContext *ctx) { fire(ctx, HOOK_NEW_MP_GAME, ""); }
void fire_hook_leave_game(ScriptContext *ctx) { fire(ctx, HOOK_LEAVE_GAME, ""); }
void fire_hook_play(ScriptContext *ctx) { fire(ctx, HOOK_PLAY, ""); }
void fire_hook_pause(ScriptContext *ctx) { fire(ctx, HOOK_PAUSE, ""); }
void fire_hook_resume(ScriptContext *ctx) { fire(ctx, HOOK_RESUME, ""); }
void fire_hook_draw3d(ScriptContext *ctx) { fire(ctx, HOOK_DRAW3D, ""); }
void fire_hook_draw2d(ScriptContext *ctx) { fire(ctx, HOOK_DRAW2D, ""); }

int fire_hook_key(int symbol, int down)
{
    return fire(get_script_ctx(), down ? HOOK_KEY_DOWN : HOOK_KEY_UP, "i", symbol);
}

int fire_hook_mouse_button(int down, int button, int x, int y)
{
    return fire(get_script_ctx(), down ? HOOK_MOUSE_BUTTON_DOWN : HOOK_MOUSE_BUTTON_UP,
                "iii", button, x, y);
}

int fire_hook_mouse_move(int x, int y)
{
    return fire(get_script_ctx(), HOOK_MOUSE_MOVE, "ii", x, y);
}

void fire_hook_player_select(int fighter)
{
    fire(get_script_ctx(), HOOK_PLAYER_SELECT, "i", fighter);
}

void fire_hook_joint_select(int fighter, int joint)
{
    fire(get_script_ctx(), HOOK_JOINT_SELECT, "ii", fighter, joint);
}

void fire_hook_body_select(int fighter, int body)
{
    fire(get_script_ctx(), HOOK_BODY_SELECT, "ii", fighter, body);
}

int fire_hook_camera(void)
{
    return fire(get_script_ctx(), HOOK_CAMERA, "");
}

int fire_hook_console(ScriptContext *ctx, const char *text, int type, int tab)
{
    return fire(ctx, HOOK_CONSOLE, "sii", text ? text : "", type, tab);
}

int script_console_filter(int tab, const char *text, int type)
{
    ScriptContext *ctx = get_script_ctx();
    if (!ctx || std::this_thread::get_id() != ctx->owner)
        return 0;
    return fire_hook_console(ctx, text, type, tab) != 0;
}

namespace {

struct Announce {
    int number;
    const char *text;
};

// Reading the global can run a metamethod of the script's: inside the
// protected call like the callback itself.
void call_announce(lua_State *L, void *data)
{
    const Announce *a = (const Announce *)data;
    lua_getglobal(L, "announce_callback");
    if (!lua_isfunction(L, -1)) {
        lua_pushliteral(L, "announce_callback is not a function");
        lua_error(L);
    }
    lua_pushinteger(L, a->number);
    lua_pushstring(L, a->text);
    lua_call(L, 2, 0);
}

} // namespace

int script_call_announce(ScriptContext *ctx, int number, const char *text)
{
    Announce a = {number, text ? text : ""};
    return script_protected(ctx, "announce_callback", call_announce, &a);
}

int script_set_hook(lua_State *L)
{
    ScriptContext *ctx = script_ctx_of(L);
    const char *name = luaL_checkstring(L, 1);
    int id = hook_find(name);
    if (id < 0)
        return luaL_error(L, "set_hook: no hook named '%s'", name);
    if (!lua_isnoneornil(L, 2))
        luaL_checktype(L, 2, LUA_TFUNCTION);
    luaL_unref(L, LUA_REGISTRYINDEX, ctx->hook_ref[id]);
    ctx->hook_ref[id] = LUA_NOREF;
    if (!lua_isnoneornil(L, 2)) {
        lua_pushvalue(L, 2);
        ctx->hook_ref[id] = luaL_ref(L, LUA_REGISTRYINDEX);
    }
    return 0;
}
