// What the turn cycle calls from the match start and the match end, plus the
// one operation not built yet: stepping to the next replay file (the replay
// browser of the tick). replay_next_placeholder.cpp holds its stand-in.
#pragma once
#include "game/contact_damage.h"
#include "game/game_state.h"
#include "game/joint_breaks.h"
#include "game/match_end.h"
#include "game/match_rules.h"
#include "game/match_start.h"

// Opens the next replay file of the replay folder.
void replay_next(void);
