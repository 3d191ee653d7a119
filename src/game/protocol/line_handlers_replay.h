// The replay column of the per-frame rows: each line writes into the replay
// frame being filled (the FRAME row advances it), for the fighter numbered
// by the line.
#pragma once
#include "game/protocol/command_table.h"

// ---- received state (server) and replay frames (replay) ----
void replay_qat(int number, const LineArg *arg);
void replay_pos(int number, const LineArg *arg);
void replay_angvel(int number, const LineArg *arg);
void replay_linvel(int number, const LineArg *arg);
void replay_p_qat(int number, const LineArg *arg);
void replay_p_pos(int number, const LineArg *arg);
void replay_p_angvel(int number, const LineArg *arg);
void replay_p_linvel(int number, const LineArg *arg);
void replay_crush(int number, const LineArg *arg);
void replay_fract(int number, const LineArg *arg);
void replay_frame(int number, const LineArg *arg);
void replay_p_env(int number, const LineArg *arg);
void replay_epos(int number, const LineArg *arg);
void replay_eqat(int number, const LineArg *arg);
void replay_eangvel(int number, const LineArg *arg);
void replay_elinvel(int number, const LineArg *arg);

// ---- turn input ----
void replay_grip(int number, const LineArg *arg);
void replay_joint(int number, const LineArg *arg);

// ---- replay header rows ----
void replay_emote(int number, const LineArg *arg);
void replay_cam(int number, const LineArg *arg);

// ---- the reader's position ----
// The replay reader's frame being filled; reset before a file is read.
void replay_reader_reset(void);
int replay_reader_frame_index(void);
