// The handlers behind the rows of the command table. server_* run for the
// game server, replay_* for replay files, lobby_* on the lobby reader
// thread; line_* serve more than one column.
#pragma once
#include "game/protocol/command_table.h"

// ---- match set-up ----
void server_newgame(int number, const LineArg *arg);
void replay_newgame(int number, const LineArg *arg);
void lobby_newgame(int number, const LineArg *arg);
void line_teams(int number, const LineArg *arg);
void line_engage(int number, const LineArg *arg);

// ---- results ----
void server_win(int number, const LineArg *arg);
void server_win2(int number, const LineArg *arg);
void server_game(int number, const LineArg *arg);
void server_lost(int number, const LineArg *arg);

// ---- lines passed on to the console, chat and connection ----
void server_run(int number, const LineArg *arg);
void server_id(int number, const LineArg *arg);
void server_connect(int number, const LineArg *arg);
void server_say(int number, const LineArg *arg);
void server_whisper(int number, const LineArg *arg);
void server_centerprint(int number, const LineArg *arg);
void server_disconnect(int number, const LineArg *arg);
void server_kick(int number, const LineArg *arg);
void server_forward(int number, const LineArg *arg);
void server_announce(int number, const LineArg *arg);
void server_ugc(int number, const LineArg *arg);
void server_echo(int number, const LineArg *arg);
void server_kaelmund(int number, const LineArg *arg);
void server_clients(int number, const LineArg *arg);
void server_emote(int number, const LineArg *arg);
// Rows whose line has no effect in a column.
void server_no_action(int number, const LineArg *arg);
void replay_no_action(int number, const LineArg *arg);

// ---- bout list and spectators ----
void server_bout(int number, const LineArg *arg);
void replay_bout(int number, const LineArg *arg);
void server_specs(int number, const LineArg *arg);

// ---- received state (server) and replay frames (replay) ----
void server_qat(int number, const LineArg *arg);
void replay_qat(int number, const LineArg *arg);
void server_pos(int number, const LineArg *arg);
void replay_pos(int number, const LineArg *arg);
void server_hingefmax(int number, const LineArg *arg);
void server_hingevel(int number, const LineArg *arg);
void server_angvel(int number, const LineArg *arg);
void replay_angvel(int number, const LineArg *arg);
void server_linvel(int number, const LineArg *arg);
void replay_linvel(int number, const LineArg *arg);
void server_p_qat(int number, const LineArg *arg);
void replay_p_qat(int number, const LineArg *arg);
void server_p_pos(int number, const LineArg *arg);
void replay_p_pos(int number, const LineArg *arg);
void server_p_angvel(int number, const LineArg *arg);
void replay_p_angvel(int number, const LineArg *arg);
void server_p_linvel(int number, const LineArg *arg);
void replay_p_linvel(int number, const LineArg *arg);
void server_world(int number, const LineArg *arg);
void server_crush(int number, const LineArg *arg);
void replay_crush(int number, const LineArg *arg);
void server_fract(int number, const LineArg *arg);
void replay_fract(int number, const LineArg *arg);
void server_break(int number, const LineArg *arg);
void server_discl(int number, const LineArg *arg);
void server_frame(int number, const LineArg *arg);
void replay_frame(int number, const LineArg *arg);
void server_p_env(int number, const LineArg *arg);
void replay_p_env(int number, const LineArg *arg);
void replay_epos(int number, const LineArg *arg);
void replay_eqat(int number, const LineArg *arg);
void replay_eangvel(int number, const LineArg *arg);
void replay_elinvel(int number, const LineArg *arg);

// ---- turn input ----
void server_grip(int number, const LineArg *arg);
void replay_grip(int number, const LineArg *arg);
void server_b_grip(int number, const LineArg *arg);
void server_grab(int number, const LineArg *arg);
void replay_grab(int number, const LineArg *arg);
void server_size(int number, const LineArg *arg);
void server_joint(int number, const LineArg *arg);
void replay_joint(int number, const LineArg *arg);
void server_b_joint(int number, const LineArg *arg);
void server_ready(int number, const LineArg *arg);
void server_batch(int number, const LineArg *arg);

// ---- replay header rows ----
void replay_fight(int number, const LineArg *arg);
void replay_fightname(int number, const LineArg *arg);
void replay_author(int number, const LineArg *arg);
void replay_version(int number, const LineArg *arg);
void replay_emote(int number, const LineArg *arg);
void replay_cam(int number, const LineArg *arg);

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
void line_rpg_strength(int number, const LineArg *arg);
void line_rpg_speed(int number, const LineArg *arg);
void line_rpg_dm_thresh(int number, const LineArg *arg);

// ---- lobby column (lobby reader thread; into the lobby handler target) ----
void lobby_kaelmund(int number, const LineArg *arg);
void lobby_server(int number, const LineArg *arg);
void lobby_info(int number, const LineArg *arg);
void lobby_desc(int number, const LineArg *arg);
void lobby_clients(int number, const LineArg *arg);
