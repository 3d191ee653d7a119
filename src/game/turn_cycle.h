// The turn and frame cycle: starting a turn with a number of frames,
// stepping the live world one frame per tick, counting the turn down, ending
// it (freeze, ghost preview, network hand-over), and the end of the match
// followed by its automatic replay.
#pragma once
#include "game/replay_buffer.h"

// Network record mode: 0 record every frame, 1 hold one frame for the
// server, 2 record and switch to 1 at the next turn end.
enum { RECORD_EVERY_FRAME = 0, RECORD_HOLD_FRAME = 1, RECORD_THEN_HOLD = 2 };

// Frames the automatic replay waits after the end of a match.
enum { END_REPLAY_DELAY = 100 };
// The longest turn a rule can ask for (frames).
enum { TURN_FRAMES_MAX = 1000000 };

// 1 when no replay plays, no ghost preview runs, the world is not frozen and
// the game is not over.
int game_is_running(void);

// Starts a turn. n > 0: exactly n world steps follow. n <= 0: the next entry
// of the rules' turn frame list (network play: the opening turn frames while
// the match is in its opening frames). Leaves a ghost preview and unfreezes.
void start_turn_frames(int n);
// The list entry for the current turn index plus 1; the index advances. A
// list of count 0 (or an entry below 1) gives the nominal turn length.
int take_turnframes(void);
// The frames the coming turn will run (the turn list's next entry, at least
// 1), without taking it.
int next_turn_frames(void);
// Every tick: counts the running turn down and ends it at 0.
void turn_countdown(void);
// Every tick: the network turn time-out.
void check_turn_timeout(void);
// Ends the turn: the ghost preview of the next one (single play), the
// network hand-over, then the enter_freeze hook.
void end_turn(void);
// One live frame: record, hooks, wishes, frame cache, physics, damage,
// trails, breaks, bleeding and the end of the match. A non-zero quiet skips
// the frame cache, the emote history and the physics.
void step_world(int quiet);
// Frame = play frame = f; at the held network frame the held state is
// written back into the fighters.
void set_match_frame(int f);
// The match part of a tick in its fixed order: countdown, time-out, then one
// of the live step, the ghost trail or the ghost step.
void run_match_tick(int arg);

int get_record_mode(void);
void set_record_mode(int mode);
// Raised by the network turn start for the tick that starts a turn.
int turn_just_started(void);
// The frame held for the server in record mode 1 (valid once recorded).
const ReplayFrame *get_held_frame(void);
