// MERGE SEAM PLACEHOLDER: weak stand-ins for the operations named in
// match_seam.h. Delete this file when `turns` is merged;
// their real definitions replace these.
#include "game/match_seam.h"

#define WEAK __attribute__((weak))

WEAK void frame_cache_clear(void) {}
WEAK void set_frame_cache_playback(int) {}
WEAK void clear_emote_history(void) {}
WEAK void set_ghost_trail_complete(int) {}
WEAK void leave_ghost_mode(void) {}
WEAK void set_record_mode(int) {}
WEAK void trails_reset(void) {}
