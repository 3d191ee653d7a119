// Moving on from one replay to the next.
#include "game/replay_browse.h"
#include "net/turn_control.h"

void replay_next(void) { start_playback(0); }
