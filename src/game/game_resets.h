// The resets that the menus, the network and scripts call: a new single-play
// game and a new network game. Each starts its match through new_match.
#pragma once
#include "game/match_rules.h"

// New single-play game from the next-match rules; the fighters but the first
// hold all their joints. Fires leave_game before and new_game after.
void reset_game(void);
// New network game from the network room rules; both fighter slots get back
// their default names and a win count of 0. Fires leave_game, new_mp_game.
void reset_network_game(void);
// Fighter 0 takes the player's nick (the first default name when there is
// none), every further fighter of the match its default name.
void name_players_from_nick(void);
// Every fighter but the first holds all its joints: the player moves
// fighter 0, the others stand.
void hold_other_fighters(void);

// The rules network games start from (multiplayer defaults until changed).
MatchRules *get_network_room_rules(void);
void reset_network_room_rules(void);
