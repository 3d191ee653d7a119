#include "script/script_draw_functions.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <lua.hpp>

#include "app/base/utils.h"
#include "script/script_limits.h"

static ScriptDrawHooks g_hooks;

static ScriptBoxedText g_boxed_text;

void script_set_draw_hooks(const ScriptDrawHooks *hooks) { g_hooks = hooks ? *hooks : ScriptDrawHooks{}; }
void script_set_boxed_text_hook(ScriptBoxedText hook) { g_boxed_text = hook; }

// A script's number as an int within [lo, hi]; not a number gives lo.
static int int_arg(lua_State *L, int i, int lo, int hi)
{
    const lua_Number v = luaL_checknumber(L, i);
    return !(v >= lo) ? lo : v > hi ? hi : (int)v;
}

static int opt_int_arg(lua_State *L, int i, int dflt, int lo, int hi)
{
    return lua_isnoneornil(L, i) ? dflt : int_arg(L, i, lo, hi);
}

static float float_arg(lua_State *L, int i) { return (float)luaL_checknumber(L, i); }

// Three colour components from argument i on, kept to 0..1.
static void colour_args(lua_State *L, int i, float *rgb)
{
    for (int k = 0; k < 3; k++) {
        const lua_Number v = luaL_checknumber(L, i + k);
        rgb[k] = !(v > 0) ? 0.0f : v > 1 ? 1.0f : (float)v;
    }
}

int script_load_texture(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    int slot = -1;
    if (!is_safe_path(name, 0)) {
        fprintf(stderr, "load_texture: unsafe name %s\n", name);
    } else if (g_hooks.load_texture) {
        char path[300];
        snprintf(path, sizeof path, "data/script/%s", name);
        if (const char *refused = script_path_problem(path))
            fprintf(stderr, "load_texture: %s: %s\n", path, refused);
        else
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

int script_draw_disk(lua_State *L)
{
    const float x = float_arg(L, 1), y = float_arg(L, 2), inner = float_arg(L, 3), outer = float_arg(L, 4);
    const int slices = int_arg(L, 5, 1, 1024), loops = int_arg(L, 6, 1, 256);
    const float start = float_arg(L, 7), sweep = float_arg(L, 8);
    const int additive = lua_isboolean(L, 9) ? lua_toboolean(L, 9) : opt_int_arg(L, 9, 0, 0, 1);
    if (g_hooks.draw_disk)
        g_hooks.draw_disk(x, y, inner, outer, slices, loops, start, sweep, additive);
    return 0;
}

int script_draw_disk_3d(lua_State *L)
{
    const float x = float_arg(L, 1), y = float_arg(L, 2), z = float_arg(L, 3);
    const float inner = float_arg(L, 4), outer = float_arg(L, 5);
    const int slices = int_arg(L, 6, 1, 1024), loops = int_arg(L, 7, 1, 256);
    const float start = float_arg(L, 8), sweep = float_arg(L, 9);
    const int additive = lua_isboolean(L, 10) ? lua_toboolean(L, 10) : opt_int_arg(L, 10, 0, 0, 1);
    for (float v : {x, y, z, inner, outer})
        if (!std::isfinite(v))
            return 0;
    if (g_hooks.draw_disk_3d)
        g_hooks.draw_disk_3d(x, y, z, inner, outer, slices, loops, start, sweep, additive);
    return 0;
}

int script_draw_boxed_text(lua_State *L)
{
    const char *text = luaL_checkstring(L, 1);
    const float x = float_arg(L, 2), y = float_arg(L, 3), w = float_arg(L, 4), h = float_arg(L, 5);
    const float line_h = float_arg(L, 6);
    const int font = opt_int_arg(L, 7, 1, 1, 3);
    if (g_boxed_text && std::isfinite(x) && std::isfinite(y) && std::isfinite(w) && std::isfinite(h) &&
        line_h > 0 && std::isfinite(line_h))
        g_boxed_text(text, x, y, w, h, line_h, font);
    return 0;
}

int script_draw_vako(lua_State *L)
{
    const float x = float_arg(L, 1), y = float_arg(L, 2), size = float_arg(L, 3);
    if (g_hooks.draw_vako && std::isfinite(x) && std::isfinite(y) && std::isfinite(size))
        g_hooks.draw_vako(x, y, size);
    return 0;
}

int script_set_gradient_color(lua_State *L)
{
    const int fighter = int_arg(L, 1, -1, 1 << 20), body = int_arg(L, 2, -1, 1 << 20);
    float a[3], b[3];
    colour_args(L, 3, a);
    colour_args(L, 6, b);
    lua_pushinteger(L, g_hooks.body_gradient ? g_hooks.body_gradient(fighter, body, a, b) : 1);
    return 1;
}

int script_get_head_info(lua_State *L)
{
    const int fighter = int_arg(L, 1, -1, 1 << 20);
    float a[3], b[3];
    colour_args(L, 2, a);
    colour_args(L, 5, b);
    lua_pushinteger(L, g_hooks.head_gradient ? g_hooks.head_gradient(fighter, a, b) : 1);
    return 1;
}
