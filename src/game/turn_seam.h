// MERGE SEAM: the two operations the turn cycle calls that are built
// elsewhere and not merged yet: the match reset (the match start, branch
// `protocol`) and stepping to the next replay file (the replay browser of
// the tick). Until then turn_seam_placeholder.cpp gives minimal stand-ins.
// At the merge: delete turn_seam_placeholder.cpp and include the real
// headers here instead.
#pragma once
#include "game/contact_damage.h"
#include "game/game_state.h"
#include "game/joint_breaks.h"
#include "game/match_end.h"
#include "game/match_rules.h"

// Puts the match back to frame 0 (fighters placed, joints relaxed, blood,
// grips and contacts cleared); keep_fighters leaves the fighters as they are.
void reset_match(int keep_fighters);
// Opens the next replay file of the replay folder.
void replay_next(void);
