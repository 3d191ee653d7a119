// MERGE SEAM PLACEHOLDER: weak stand-ins for the operations named in
// match_seam.h. Delete this file when `rules`, `mods` and `turns` are merged;
// their real definitions replace these.
#include <cstdio>

#include "game/match_seam.h"
#include "game/mod_world.h"

#define WEAK __attribute__((weak))

WEAK int set_pending_break(int, int j, int type, int) { return (j < 0 || j > 19 || type < 0 || type > 2) ? 1 : 0; }
WEAK void clear_pending_breaks(void) {}
WEAK void clear_server_result(void) {}
WEAK int record_server_result(int, int, const int32_t *, const int32_t *, const float *, const float *,
                              const double (*)[3], int)
{
    return 0;
}
WEAK int record_server_scores(int, const float *, const float *) { return 0; }
WEAK int record_lost_mark(int, int, int, const double *) { return 0; }
WEAK void clear_ground_impacts(void) {}

// Without the mod loader every named mod is missing.
WEAK int load_mod(const char *name)
{
    fprintf(stderr, "Unable to open mod data/mod/%.255s\n", name ? name : "");
    return 1;
}
WEAK int load_rpg_mod(int, const char *) { return 1; }
WEAK ModWorld *build_mod_world(void) { return get_default_mod_world(); }
WEAK void reset_env_objects(void) {}

WEAK void frame_cache_clear(void) {}
WEAK void set_frame_cache_playback(int) {}
WEAK void clear_emote_history(void) {}
WEAK void set_ghost_trail_complete(int) {}
WEAK void leave_ghost_mode(void) {}
WEAK void set_record_mode(int) {}
WEAK void trails_reset(void) {}
