// Starting matches: a new match with or without rebuilding the world and
// reloading the mod, the match reset, the engage placement of the fighters,
// the RPG scaling of a mod world, the TEAMS line and the names announcement.
#pragma once
#include "game/match_rules.h"

struct ModWorld;

// mode 0 single play, 1 network. Leaves the world frozen, waiting for the
// first turn. Returns 0.
int new_match(int mode, int keep_mod_name, MatchRules *rules, int keep_next_rules);
// Puts the match back to frame 0; keep_fighters leaves the fighters where
// they are.
void reset_match(int keep_fighters);
// The world of the match built again from the same mod after the engine
// failed in it: a new engine world, the fighters at their start with the
// names, teams, colours, scores and injuries they had. Frame, replay and
// rules stay.
void rebuild_match_world(void);
// Places every fighter from its stance slot at its start position and
// heading under the rules.
void engage_placement(const MatchRules *rules);
// 1 when the mod name stands for the built-in world: empty, "0", or
// "classic", "default", "classic.kxm", "default.kxm" in any letter case.
int is_builtin_mod_name(const char *name);

// TEAMS line: players = values[0], teams = values[1], team of fighter i =
// values[2 + i] (count values). Values outside the fighters or teams are
// refused with a message. Returns 0, 1 when refused.
int set_rules_teams(const int32_t *values, int count, MatchRules *rules);
// "TEAMS %i;%i" (players, team of fighter 0), " %i" per further fighter,
// newline, into dst (always terminated). Returns the length.
int write_teams_line(char *dst, int size, const MatchRules *rules);

// Scales the mod world's tables of player slot p by its six RPG stats (a
// value <= 0 leaves its field); the values the player's rpg joint table
// holds (rpg_stats.h) replace the joints' before the percentages apply.
void rpg_scale_world(ModWorld *m, int p, const int32_t *stats);

// Empties the loaded mod name so that the next match loads the mod again.
void forget_loaded_mod(void);
// The mod-keep word: while set, a network match with the mod already loaded
// does not load it again. Every new match sets it back to 0.
void set_mod_state_word(int v);
int get_mod_state_word(void);
// The start-up words, cleared together when the game server sends the
// player away: the mod-keep word and the network decision frame.
void clear_startup_flags(void);

// The names announcement of a network match start (centre print, 5 s).
void announce_names(void);
