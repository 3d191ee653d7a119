// MERGE SEAM PLACEHOLDER: delete this file when the match reset and the
// replay browser named in turn_seam.h are merged. These stand-ins do the
// least the turn cycle and its tests need: a match reset that puts the
// fighters back where they were built, and a "next replay" that plays the
// same match again.
#include <cstring>
#include "game/collision.h"
#include "game/env_objects.h"
#include "game/blood.h"
#include "game/body_defs.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/replay_buffer.h"
#include "game/turn_cycle.h"
#include "game/turn_seam.h"
#include "game/world_build.h"
#include "net/turn_control.h"
#include "particles/limb_trails.h"

void reset_match(int keep_fighters)
{
    WorldState *w = get_game_state();
    w->frame = 0;
    w->play_frame = 0;
    w->game_over = 0;
    set_record_mode(RECORD_EVERY_FRAME);
    Player *players = get_players();
    for (int i = 0; i < get_game_globals()->built_players; i++) {
        players[i].dq_time = players[i].dq_start = 0;
        if (keep_fighters)
            continue;
        // Back to the pose as built, then the hinges re-attach there.
        for (int b = 0; b < BODY_COUNT; b++) {
            const BodyDef &d = players[i].body_defs[b];
            dBodyID body = players[i].bodies[b];
            dMatrix3 R;
            dRSetIdentity(R);
            dBodySetPosition(body, d.pos[0] + players[i].offset[0], d.pos[1] + players[i].offset[1],
                             d.pos[2] + players[i].offset[2]);
            dBodySetRotation(body, R);
            dBodySetLinearVel(body, 0, 0, 0);
            dBodySetAngularVel(body, 0, 0, 0);
            dBodySetForce(body, 0, 0, 0);
            dBodySetTorque(body, 0, 0, 0);
        }
    }
    if (!keep_fighters)
        reset_fighters();
    delete_all_grip_joints();
    clear_contact_records();
    clear_ground_impacts();
    clear_pending_breaks();
    reset_blood_drops();
    refresh_env_objects();
    for (int i = 0; i < get_game_globals()->built_players; i++)
        clear_player_emote(i);
    for (int i = 0; i < w->players && i < MAX_FIGHTERS; i++) {
        relax_all(i);
        w->winners[i] = w->losers[i] = -1;
    }
    apply_world_forces();
    trails_reset();
}

void replay_next(void) { start_playback(0); }
