// MERGE SEAM: operations that starting a match and the line handlers call:
// the pending breaks, the server's result record and the mod loaders from
// their own headers, and the frame cache, emote history, ghost preview,
// record mode and limb trails of the turn cycle, which is built on branch
// `turns`. Until that branch is merged, match_seam_placeholder.cpp gives
// weak stand-ins with the same signatures. At the merge: delete
// match_seam_placeholder.cpp and include the real headers here instead.
#pragma once
#include <cstdint>

struct ModWorld;

#include "game/contact_damage.h"
#include "game/joint_breaks.h"
#include "game/match_end.h"
#include "game/mod_file.h"

// turns (frame_cache.h, ghost.h, turn_cycle.h, limb_trails.h)
void frame_cache_clear(void);
void set_frame_cache_playback(int on);
void clear_emote_history(void);
void set_ghost_trail_complete(int v);
void leave_ghost_mode(void);
void set_record_mode(int mode);
void trails_reset(void);
