// Small readers the line handlers share: the argument text, the fighter
// check, bounded lists of doubles from binary blocks and body-state rows.
#pragma once
#include "game/protocol/command_table.h"

// The text after the semicolon, "" when the line has none.
const char *line_arg_text(const LineArg *arg);
// 1 when number is a fighter of the match, else 0 with a message.
int line_fighter_ok(const char *keyword, int number);
// The block's words after the count in millionths, into out (up to max).
// -1, with a message, when there is no block or fewer than need values.
int line_block_values(const char *keyword, const LineArg *arg, int need, int max, double *out);
// The 21 body groups of width values (3 or 4) of a state line into rows:
// from text, the whole groups read (up to 21); from a block (block 1), all 21
// groups, or -1 with a message. Returns the values taken.
int line_body_rows(const char *keyword, const LineArg *arg, int width, int block, double *rows);
// "left right" grips 0..2 into grips; 1, with a message, when the line has
// fewer or one is out of range.
int line_grip_pair(const char *keyword, const LineArg *arg, int32_t grips[2]);
// Up to 20 "joint state" pairs; a pair with a joint outside 0..19 or a state
// outside 0..4 is dropped with a message. The pairs kept go to pairs in line
// order; returns how many were kept.
int line_joint_pairs(const char *keyword, const LineArg *arg, int32_t pairs[][2]);
// Up to 20 joint numbers; one outside 0..19 is dropped with a message.
// Returns how many were kept.
int line_joint_list(const char *keyword, const LineArg *arg, int32_t *joints);
