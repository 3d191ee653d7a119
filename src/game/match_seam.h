// MERGE SEAM: operations that starting a match and the line handlers call
// and that are built on other branches: the pending breaks and the server's
// result record (`rules`), the mod loaders (`mods`), and the frame cache,
// emote history, ghost preview, record mode and limb trails (`turns`).
// Until those branches are merged, match_seam_placeholder.cpp gives weak
// stand-ins with the same signatures. At the merge: delete
// match_seam_placeholder.cpp and include the real headers here instead.
#pragma once
#include <cstdint>

struct ModWorld;

// rules (joint_breaks.h, match_end.h, contact_damage.h)
int set_pending_break(int i, int j, int type, int frame);
void clear_pending_breaks(void);
void clear_server_result(void);
int record_server_result(int frame, int kind, const int32_t *winners, const int32_t *losers,
                         const float *injuries, const float *scores, const double (*positions)[3],
                         int word);
int record_server_scores(int word, const float *injuries, const float *scores);
int record_lost_mark(int frame, int fighter, int mark, const double *position);
void clear_ground_impacts(void);

// mods (mod_file.h)
int load_mod(const char *name);
int load_rpg_mod(int player, const char *name);
ModWorld *build_mod_world(void);
void reset_env_objects(void);

// turns (frame_cache.h, ghost.h, turn_cycle.h, limb_trails.h)
void frame_cache_clear(void);
void set_frame_cache_playback(int on);
void clear_emote_history(void);
void set_ghost_trail_complete(int v);
void leave_ghost_mode(void);
void set_record_mode(int mode);
void trails_reset(void);
