// The end of a match whose world the physics engine failed in (a fault
// caught by engine_step.h): the world is built again from the same mod,
// the match ends as a match ends (the end_game hook, the report sound, the
// automatic save of its replay so far) with a message naming the mod, on
// standard error, the console and the centre print, and the world stays
// frozen: no automatic replay follows, since the replay would fail where
// the match did.
#pragma once

void end_match_on_engine_fault(void);
