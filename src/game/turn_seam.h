// MERGE SEAM: operations the turn cycle calls that are built on other
// branches (contact damage, joint breaks and the end of the match on
// `rules`; the match reset on `protocol`; stepping to the next replay file
// with the replay browser). Until those branches are merged,
// turn_seam_placeholder.cpp gives minimal stand-ins. At the merge: delete
// turn_seam_placeholder.cpp and include the real headers here instead.
#pragma once
#include "game/game_state.h"
#include "game/match_rules.h"

// (contact_damage.h) Turns the step's contact records into injury, score,
// hit flashes, blood and disqualification; the record count returns to 0.
void contact_damage(void);
// (contact_damage.h) The hit flash of every fighter's parts fades by 0.95,
// once per running world step.
void fade_hit_flash(void);
// (joint_breaks.h) Break check of fighter i after a live step (single play).
void check_joint_breaks(int i);
// Network play: the server's pending breaks due by `frame`.
void apply_pending_breaks(int frame);
// Breaks joint j of fighter i: 1 dismembered, 2 fractured; 1 when refused.
int break_joint(int i, int j, int type);
// (match_end.h) The match-end tests; each returns the game-over flag (network: 1 when the
// server's result was applied at this frame).
int match_end_single(void);
int match_end_network(void);
// The result announcement on the HUD.
void announce_match_result(WorldState *w);
// (the match start, `protocol`) Puts the match back to frame 0 (fighters placed, joints relaxed, blood,
// grips and contacts cleared); keep_fighters leaves the fighters as they are.
void reset_match(int keep_fighters);
// Opens the next replay file of the replay folder.
void replay_next(void);
