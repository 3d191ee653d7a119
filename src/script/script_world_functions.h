// Script functions that read the match and the screen: get_world_state,
// get_joint_info and get_joint_screen_pos. Rows of script_functions[].
#pragma once

struct lua_State;

// get_world_state(): {frame, frozen, game_over, replay_mode, selected_player,
// ghost_mode, turn_index, fight_name}.
int script_get_world_state(lua_State *L);
// get_joint_info(fighter, joint): {state, name}; nil for a bad index.
int script_get_joint_info(lua_State *L);
// get_joint_screen_pos(fighter, joint): x, y, z in window pixels (y down);
// nil for a bad index or before the window drew a frame.
int script_get_joint_screen_pos(lua_State *L);
// get_body_screen_pos(fighter, body): the body's centre, as above.
int script_get_body_screen_pos(lua_State *L);

// The window's projection of a world point to window pixels; 0 on success.
typedef int (*ScriptProjector)(float x, float y, float z, double out[3]);
void script_set_projector(ScriptProjector p);
