// The match set-up rows (NEWGAME, ENGAGE, TEAMS) of both columns, the replay
// header rows, and the server rows that pass a line on to the chat, the
// centre print or the fighters' names; the scratch rules a NEWGAME fills.
#pragma once
#include "game/protocol/command_table.h"

struct MatchRules;

// ---- match set-up ----
void server_newgame(int number, const LineArg *arg);
void replay_newgame(int number, const LineArg *arg);
void line_teams(int number, const LineArg *arg);
void line_engage(int number, const LineArg *arg);

// ---- lines passed on to the console, chat and connection ----
void server_id(int number, const LineArg *arg);
void server_say(int number, const LineArg *arg);
void server_whisper(int number, const LineArg *arg);
void server_centerprint(int number, const LineArg *arg);
void server_disconnect(int number, const LineArg *arg);
void server_kick(int number, const LineArg *arg);
void server_forward(int number, const LineArg *arg);
void server_announce(int number, const LineArg *arg);
void server_ugc(int number, const LineArg *arg);
void server_kaelmund(int number, const LineArg *arg);
void server_clients(int number, const LineArg *arg);
void server_emote(int number, const LineArg *arg);

// ---- bout list and spectators ----
void replay_bout(int number, const LineArg *arg);

// ---- replay header rows ----
void replay_fight(int number, const LineArg *arg);
void replay_fightname(int number, const LineArg *arg);
void replay_author(int number, const LineArg *arg);
void replay_version(int number, const LineArg *arg);

// ---- the rules the set-up rows fill ----
// The scratch rules that NEWGAME, ENGAGE and TEAMS lines fill: created
// zeroed on first use, released after the NEWGAME that consumes it and at
// the end of a replay file.
MatchRules *scratch_rules(void);
void release_scratch_rules(void);
// Matches the game server has started since start-up.
int server_matches_started(void);
