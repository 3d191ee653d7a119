// Moving on from one replay to the next.
#include "game/protocol/replay_browse.h"
#include "game/turn_control.h"

void replay_next(void) { start_playback(0); }
