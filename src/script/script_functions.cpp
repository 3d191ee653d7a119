#include "script/script_functions.h"

#include <lua.hpp>

#include "script/script_context.h"
#include "script/script_draw_functions.h"
#include "script/script_hooks.h"
#include "script/script_match_functions.h"
#include "script/script_world_functions.h"

const ScriptFunction script_functions[] = {
    {"set_hook", script_set_hook},
    {"run_frames", script_run_frames},
    {"step_game", script_step_game},
    {"set_gameover_timelimit", script_set_gameover_timelimit},
    {"set_grip", script_set_grip},
    {"set_option", script_set_option},
    {"get_world_state", script_get_world_state},
    {"get_joint_info", script_get_joint_info},
    {"get_joint_screen_pos", script_get_joint_screen_pos},
    {"get_body_screen_pos", script_get_body_screen_pos},
    {"load_texture", script_load_texture},
    {"unload_texture", script_unload_texture},
    {"draw_quad", script_draw_quad},
    {"draw_disk", script_draw_disk},
    {"draw_disk_3d", script_draw_disk_3d},
    {"draw_boxed_text", script_draw_boxed_text},
    {"draw_vako", script_draw_vako},
    {"set_gradient_color", script_set_gradient_color},
    {"get_head_info", script_get_head_info},
    {nullptr, nullptr},
};

void script_register_functions(ScriptContext *ctx)
{
    lua_State *L = ctx->L;
    for (const ScriptFunction *f = script_functions; f->name; f++) {
        lua_pushlightuserdata(L, ctx);
        lua_pushcclosure(L, f->fn, 1);
        lua_setglobal(L, f->name);
    }
}

ScriptContext *script_ctx_of(lua_State *L)
{
    return (ScriptContext *)lua_touserdata(L, lua_upvalueindex(1));
}
