// Script functions that drive the match through the game's own operations.
#include "script/script_match_functions.h"

#include <lua.hpp>

#include "app/base/options.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/turn_cycle.h"
#include "game/turn_control.h"
#include "script/script_context.h"

// Integer arguments are clamped to the 32-bit range before they reach the game.
static int check_int(lua_State *L, int index)
{
    const lua_Number v = luaL_checknumber(L, index);
    if (!(v == v))
        return 0;
    if (v > 2147483647.0)
        return 2147483647;
    if (v < -2147483648.0)
        return -2147483647 - 1;
    return (int)v;
}

// A value outside the option's range is held to it (it would reach
// default.cfg as it is), with a message.
int script_set_option(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    const lua_Number wanted = luaL_checknumber(L, 2);
    if (wanted != wanted)
        return luaL_error(L, "set_option: %s is not set to a number", name);
    const int rc = set_option_by_name(name, check_int(L, 2));
    const int row = option_find(name);
    if (rc == 0 && option_get(row) != wanted) {
        int lo, hi;
        option_range(row, &lo, &hi);
        lua_pushfstring(L, "%s takes %d..%d: %f set as %d", name, lo, hi, wanted, option_get(row));
        script_error("set_option", lua_tostring(L, -1));
        lua_pop(L, 1);
    }
    lua_pushinteger(L, rc);
    return 1;
}

// run_frames(n): a count above the longest turn (or not a number) is a
// script error; the turn would overflow its frame count.
int script_run_frames(lua_State *L)
{
    const lua_Number n = luaL_checknumber(L, 1);
    if (!(n <= TURN_FRAMES_MAX))
        return luaL_error(L, "run_frames: %f is no turn length (at most %d frames)", n, (int)TURN_FRAMES_MAX);
    start_turn_frames(check_int(L, 1));
    return 0;
}

int script_step_game(lua_State *)
{
    commit_turn(0);
    return 0;
}

int script_set_gameover_timelimit(lua_State *L)
{
    get_game_state()->gameover_timelimit = check_int(L, 1);
    return 0;
}

int script_set_grip(lua_State *L)
{
    const int fighter = check_int(L, 1);
    const int hand = check_int(L, 2);
    const int value = check_int(L, 3);
    const bool ok = !(get_match_rules()->flags & RULE_FLAG_NO_GRIP) && !game_is_running() && fighter >= 0 &&
                    fighter < get_game_state()->players && set_grip(fighter, hand, value) == 0;
    lua_pushboolean(L, ok ? 1 : 0);
    return 1;
}
