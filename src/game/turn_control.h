// The player's control of the match: committing a turn, pausing, replaying
// the finished match, edit mode, selecting a fighter and the joint-change
// test. The network side (sending the turn to the game server) comes with
// the connection; here they act on the match.
#pragma once
#include "game/match_mode.h"

// Ends the own turn. Single play: fires exit_freeze and starts a turn of the
// rules' turn frames; nothing while a turn runs, a replay plays or the match
// is over. The flag is the caller's (Shift held); single play reads none.
void commit_turn(int flag);
// Pauses or resumes a playing replay and fires the pause or resume hook.
// A live match pauses by itself between turns, so live play is left alone.
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
