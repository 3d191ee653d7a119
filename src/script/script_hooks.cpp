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

// Calls the callback of a hook with arguments described by fmt: 'i' an
// int, 's' a string. Returns the callback's integer result (true counts
// 1), 0 when none is set or the call failed.
int fire(ScriptContext *ctx, HookId id, const char *fmt, ...)
{
    if (!ctx || !ctx->L || ctx->hook_ref[id] == LUA_NOREF)
        return 0;
    lua_State *L = ctx->L;
    int top = lua_gettop(L);
    lua_rawgeti(L, LUA_REGISTRYINDEX, ctx->hook_ref[id]);
    int nargs = 0;
    va_list ap;
    va_start(ap, fmt);
    for (const char *f = fmt; *f; f++, nargs++) {
        if (*f == 'i')
            lua_pushinteger(L, va_arg(ap, int));
        else
            lua_pushstring(L, va_arg(ap, const char *));
    }
    va_end(ap);
    int result = 0;
    if (lua_pcall(L, nargs, 1, 0) != 0) {
        script_error(hook_names[id].name, lua_tostring(L, -1));
    } else if (lua_type(L, -1) == LUA_TBOOLEAN) {
        result = lua_toboolean(L, -1);
    } else if (lua_type(L, -1) == LUA_TNUMBER) {
        lua_Number n = lua_tonumber(L, -1);
        // Any non-zero number counts, also a fraction or a huge one.
        if (n != n)
            result = 0;
        else if (n >= INT_MAX)
            result = INT_MAX;
        else if (n <= INT_MIN)
            result = INT_MIN;
        else if (n > 0 && n < 1)
            result = 1;
        else if (n < 0 && n > -1)
            result = -1;
        else
            result = (int)n;
    }
    lua_settop(L, top);
    return result;
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

int script_call_announce(ScriptContext *ctx, int number, const char *text)
{
    if (!ctx || !ctx->L)
        return 1;
    lua_State *L = ctx->L;
    int top = lua_gettop(L);
    lua_getglobal(L, "announce_callback");
    if (!lua_isfunction(L, -1)) {
        script_error("announce_callback", "announce_callback is not a function");
        lua_settop(L, top);
        return 1;
    }
    lua_pushinteger(L, number);
    lua_pushstring(L, text ? text : "");
    int rc = lua_pcall(L, 2, 0, 0);
    if (rc != 0)
        script_error("announce_callback", lua_tostring(L, -1));
    lua_settop(L, top);
    return rc != 0;
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
