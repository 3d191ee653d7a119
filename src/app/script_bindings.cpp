#include "app/script_bindings.h"

#include <lua.hpp>

#include "app/key_bindings.h"
#include "script/script_context.h"

namespace {

int lua_enable_camera_movement(lua_State *)
{
    enable_camera_movement();
    return 0;
}

int lua_disable_camera_movement(lua_State *)
{
    disable_camera_movement();
    return 0;
}

// disable_player_select(fighter): a click no longer selects the fighter
// (-1: every fighter may be selected again).
int lua_disable_player_select(lua_State *L)
{
    const lua_Number v = luaL_checknumber(L, 1);
    disable_player_select(v >= -1 && v <= 3 ? (int)v : -1);
    return 0;
}

int lua_end_tutorial(lua_State *)
{
    end_tutorial();
    return 0;
}

const luaL_Reg k_functions[] = {
    {"enable_camera_movement", lua_enable_camera_movement},
    {"disable_camera_movement", lua_disable_camera_movement},
    {"disable_player_select", lua_disable_player_select},
    {"end_tutorial", lua_end_tutorial},
    {nullptr, nullptr},
};

} // namespace

void script_register_binding_functions(ScriptContext *ctx)
{
    if (!ctx || !ctx->L)
        return;
    for (const luaL_Reg *f = k_functions; f->name; f++)
        lua_register(ctx->L, f->name, f->func);
}
