// The result of a match on the centre print.
#pragma once
#include "game/game_state.h"

// The result on the centre print (and the selected fighter).
void announce_match_result(WorldState *w);
// The report sound of a finished match: grading after a belt result from
// the server, else game over.
void end_of_match_sound(const WorldState *w);
// The end-of-match report: the sound, then the announcement.
void end_of_match(WorldState *w);
