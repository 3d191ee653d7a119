// The player's control of the match: committing a turn, pausing, replaying
// the finished match, edit mode, selecting a fighter and the joint-change
// test. The game server is reached through the game's callback table.
#pragma once
#include "game/match_mode.h"

// Ends the own turn. Single play: fires exit_freeze and starts a turn of the
// rules' turn frames. Network play: sends the own fighter's grips and joint
// states to the game server (write_turn_lines) and marks it ready, once per
// turn; a spectator sends nothing. Nothing while a turn runs, a replay plays
// or the match is over. The flag is the caller's (Shift held); none reads it.
void commit_turn(int flag);
// Fighter i's turn as protocol lines: "B_GRIP i;left right", "B_JOINT i;"
// with the 20 pairs "joint state", and "BATCH i;-1". Returns the length, -1
// for no such fighter or a buffer under TURN_LINES_SIZE.
enum { TURN_LINES_SIZE = 512 };
int write_turn_lines(int fighter, char *buf, int size);
// Pauses or resumes a playing replay, or a running turn of live single play
// (resuming leaves a preview started in the pause), and fires the pause or
// resume hook. Between turns a live match waits by itself: nothing to pause.
// Returns 1 when the world now runs, 0 when it is paused.
int toggle_game_running(int flag);
// Shows the just-finished match again from its first frame (a live match
// becomes replay mode 1).
void start_playback(int flag);
// Stops a playing replay at the current frame and makes it live from there:
// the frames not yet played are dropped and the world waits for a turn.
void enter_edit_mode(void);
// Sets the fighter's committed (ready) word.
void set_player_flag(int fighter, int value);
// Selects fighter i (-1 none) for the player.
void select_fighter(int i);
// The frame delta from the millisecond clock, kept between 1 and 200 ms
// (200 when outside).
void update_frame_time(void);
int get_frame_time(void);
