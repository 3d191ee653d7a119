// The game-server column of the per-fighter rows: body state, motors, breaks,
// turn input, batches and results go into each fighter's received state; also
// the per-player rpg joint rows.
#pragma once
#include "game/protocol/command_table.h"

// ---- results ----
void server_win(int number, const LineArg *arg);
void server_win2(int number, const LineArg *arg);
void server_game(int number, const LineArg *arg);
void server_lost(int number, const LineArg *arg);

// ---- received state (server) and replay frames (replay) ----
void server_qat(int number, const LineArg *arg);
void server_pos(int number, const LineArg *arg);
void server_hingefmax(int number, const LineArg *arg);
void server_hingevel(int number, const LineArg *arg);
void server_angvel(int number, const LineArg *arg);
void server_linvel(int number, const LineArg *arg);
void server_p_qat(int number, const LineArg *arg);
void server_p_pos(int number, const LineArg *arg);
void server_p_angvel(int number, const LineArg *arg);
void server_p_linvel(int number, const LineArg *arg);
void server_world(int number, const LineArg *arg);
void server_crush(int number, const LineArg *arg);
void server_fract(int number, const LineArg *arg);
void server_break(int number, const LineArg *arg);
void server_discl(int number, const LineArg *arg);
void server_frame(int number, const LineArg *arg);
void server_p_env(int number, const LineArg *arg);

// ---- turn input ----
void server_grip(int number, const LineArg *arg);
void server_b_grip(int number, const LineArg *arg);
void server_grab(int number, const LineArg *arg);
void replay_grab(int number, const LineArg *arg);
void server_size(int number, const LineArg *arg);
void server_joint(int number, const LineArg *arg);
void server_b_joint(int number, const LineArg *arg);
void server_ready(int number, const LineArg *arg);
void server_batch(int number, const LineArg *arg);

// ---- user records and RPG ----
void line_rpg_strength(int number, const LineArg *arg);
void line_rpg_speed(int number, const LineArg *arg);
void line_rpg_dm_thresh(int number, const LineArg *arg);
