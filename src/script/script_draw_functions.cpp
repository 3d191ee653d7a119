#include "script/script_draw_functions.h"

#include <cstdio>
#include <lua.hpp>

#include "app/base/utils.h"

static ScriptDrawHooks g_hooks;

void script_set_draw_hooks(const ScriptDrawHooks *hooks) { g_hooks = hooks ? *hooks : ScriptDrawHooks{}; }

int script_load_texture(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    int slot = -1;
    if (!is_safe_path(name, 0)) {
        fprintf(stderr, "load_texture: unsafe name %s\n", name);
    } else if (g_hooks.load_texture) {
        char path[300];
        snprintf(path, sizeof path, "data/script/%s", name);
        slot = g_hooks.load_texture(path);
    }
    lua_pushinteger(L, slot);
    return 1;
}

int script_unload_texture(lua_State *L)
{
    const lua_Number slot = luaL_checknumber(L, 1);
    if (g_hooks.unload_texture && slot >= 0 && slot < 1 << 20)
        g_hooks.unload_texture((int)slot);
    return 0;
}

int script_draw_quad(lua_State *L)
{
    const float x = (float)luaL_checknumber(L, 1), y = (float)luaL_checknumber(L, 2);
    const float w = (float)luaL_checknumber(L, 3), h = (float)luaL_checknumber(L, 4);
    const lua_Number slot = luaL_optnumber(L, 5, -1);
    if (g_hooks.draw_quad && slot >= -1 && slot < 1 << 20)
        g_hooks.draw_quad(x, y, w, h, (int)slot);
    return 0;
}
