// STAND-IN for the replay browser of the tick, which is not built yet: the
// "next replay" simply plays the same match again. Delete this file when the
// replay browser (which opens the next file of the replay folder) lands.
#include "game/turn_seam.h"
#include "net/turn_control.h"

void replay_next(void) { start_playback(0); }
