// The result of a match on the centre print.
#pragma once
#include "game/game_state.h"

// The result on the centre print (and the selected fighter).
void announce_match_result(WorldState *w);
