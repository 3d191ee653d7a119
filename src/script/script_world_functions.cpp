#include "script/script_world_functions.h"

#include <lua.hpp>

#include "game/game_state.h"
#include "game/joints.h"
#include "game/world_physics.h"

static ScriptProjector g_projector;

void script_set_projector(ScriptProjector p) { g_projector = p; }

static void set_field(lua_State *L, const char *name, int value)
{
    lua_pushinteger(L, value);
    lua_setfield(L, -2, name);
}

int script_get_world_state(lua_State *L)
{
    const WorldState *w = get_game_state();
    const GameGlobals *g = get_game_globals();
    lua_newtable(L);
    set_field(L, "frame", w->frame);
    set_field(L, "frozen", w->frozen);
    set_field(L, "game_over", w->game_over);
    set_field(L, "replay_mode", g->replay_mode);
    set_field(L, "selected_player", g->selected_player);
    set_field(L, "ghost_mode", w->ghost_mode);
    set_field(L, "turn_index", w->turn_index);
    lua_pushstring(L, g->fight_name);
    lua_setfield(L, -2, "fight_name");
    return 1;
}

// The fighter's record when both indexes are in range, else none.
static Player *joint_owner(lua_State *L, int *fighter, int *joint)
{
    const lua_Number f = luaL_checknumber(L, 1), j = luaL_checknumber(L, 2);
    if (!(f >= 0 && f < fighter_count() && j >= 0 && j < JOINT_COUNT))
        return nullptr;
    *fighter = (int)f;
    *joint = (int)j;
    return get_player(*fighter);
}

int script_get_joint_info(lua_State *L)
{
    int f, j;
    Player *p = joint_owner(L, &f, &j);
    if (!p)
        return 0;
    lua_newtable(L);
    set_field(L, "state", get_joint_state(f, j));
    lua_pushstring(L, joint_id_name(j));
    lua_setfield(L, -2, "name");
    return 1;
}

int script_get_joint_screen_pos(lua_State *L)
{
    int f, j;
    Player *p = joint_owner(L, &f, &j);
    if (!p || !g_projector || !p->joint_geoms[j])
        return 0;
    double pos[3], s[3];
    geom_world_pose(p->joint_geoms[j], pos, nullptr);
    if (g_projector((float)pos[0], (float)pos[1], (float)pos[2], s) != 0)
        return 0;
    for (double v : s)
        lua_pushnumber(L, v);
    return 3;
}

int script_get_body_screen_pos(lua_State *L)
{
    const lua_Number f = luaL_checknumber(L, 1), b = luaL_checknumber(L, 2);
    if (!(f >= 0 && f < fighter_count() && b >= 0 && b < BODY_COUNT) || !g_projector)
        return 0;
    const Player *p = get_player((int)f);
    if (!p || !p->body_geoms[(int)b])
        return 0;
    double pos[3], s[3];
    geom_world_pose(p->body_geoms[(int)b], pos, nullptr);
    if (g_projector((float)pos[0], (float)pos[1], (float)pos[2], s) != 0)
        return 0;
    for (double v : s)
        lua_pushnumber(L, v);
    return 3;
}
