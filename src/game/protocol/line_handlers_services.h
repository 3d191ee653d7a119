// The handlers whose lines only reach the services around the match: the
// customisation and per-player records, the bout list, the console, and the
// lobby's room list (lobby_* run on the lobby reader thread).
#pragma once
#include "game/protocol/command_table.h"

// ---- match set-up ----
void lobby_newgame(int number, const LineArg *arg);

// ---- lines passed on to the console, chat and connection ----
void server_run(int number, const LineArg *arg);
void server_connect(int number, const LineArg *arg);
void server_echo(int number, const LineArg *arg);
// Rows whose line has no effect in a column.
void server_no_action(int number, const LineArg *arg);
void replay_no_action(int number, const LineArg *arg);

// ---- bout list and spectators ----
void server_bout(int number, const LineArg *arg);
void server_specs(int number, const LineArg *arg);

// ---- customisation of player `number` ----
void line_bodcol(int number, const LineArg *arg);
void line_gradcol1(int number, const LineArg *arg);
void line_gradcol2(int number, const LineArg *arg);
void line_jforce(int number, const LineArg *arg);
void line_jrelax(int number, const LineArg *arg);
void line_jreplay(int number, const LineArg *arg);
void line_trailcol(int number, const LineArg *arg);
void line_item(int number, const LineArg *arg);
void line_decal(int number, const LineArg *arg);
void line_text(int number, const LineArg *arg);
void line_sig(int number, const LineArg *arg);
void line_beltname(int number, const LineArg *arg);
void line_texbody(int number, const LineArg *arg);
void line_bmapbody(int number, const LineArg *arg);
void line_texjoint(int number, const LineArg *arg);
void line_bmapjoint(int number, const LineArg *arg);
void line_textrail(int number, const LineArg *arg);
void line_texground(int number, const LineArg *arg);
void line_flame0(int number, const LineArg *arg);
void line_flame1(int number, const LineArg *arg);
void line_flame2(int number, const LineArg *arg);
void line_flame3(int number, const LineArg *arg);
void line_flame4(int number, const LineArg *arg);

// ---- user records and RPG ----
void server_ghost(int number, const LineArg *arg);
void server_money(int number, const LineArg *arg);
void line_rpg(int number, const LineArg *arg);

// ---- lobby column (lobby reader thread; into the lobby handler target) ----
void lobby_kaelmund(int number, const LineArg *arg);
void lobby_server(int number, const LineArg *arg);
void lobby_info(int number, const LineArg *arg);
void lobby_desc(int number, const LineArg *arg);
void lobby_clients(int number, const LineArg *arg);
