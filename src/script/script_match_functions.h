// Script functions that drive the match: run_frames, step_game,
// set_gameover_timelimit and set_grip. Rows of script_functions[].
#pragma once

struct lua_State;

// run_frames(n): starts a turn of exactly n frames (n <= 0: the rules' next
// turn length).
int script_run_frames(lua_State *L);
// step_game(): commits the turn as the player would (fires exit_freeze).
int script_step_game(lua_State *L);
// set_gameover_timelimit(t): -1 suppresses the end-of-match report,
// autosave and automatic replay.
int script_set_gameover_timelimit(lua_State *L);
// set_grip(fighter, hand, value): hand is body 11 (right) or 12 (left),
// value 0 none, 1 grip, 2 release. Returns true when set; false when the
// rules forbid grips, the match is running or a value is out of range.
int script_set_grip(lua_State *L);
// set_option(name, value): sets the named option; returns 0, 1 for a name
// that no option has, 2 for an option scripts may not set.
int script_set_option(lua_State *L);
