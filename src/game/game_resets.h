// The resets that the menus, the network and scripts call: a new single-play
// game, a new network game, a game set up by a script, and leaving the game
// for a script. Each starts its match through new_match.
#pragma once
#include "game/match_rules.h"

// New single-play game from the next-match rules; the fighters but the first
// hold all their joints. Fires leave_game before and new_game after.
void reset_game(void);
// New network game from the network room rules; both fighter slots get back
// their default names and a win count of 0. Fires leave_game, new_mp_game.
void reset_network_game(void);
// Fires leave_game and new_game, runs the script (its name, then optionally
// an argument), then starts a single-play game of 100 frames for it.
void load_script_game(const char *name);
// Fires leave_game, then runs the script named in text.
void leave_and_load_script(const char *text);

// The rules network games start from (multiplayer defaults until changed).
MatchRules *get_network_room_rules(void);
void reset_network_room_rules(void);
