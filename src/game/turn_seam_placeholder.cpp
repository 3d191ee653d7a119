// MERGE SEAM PLACEHOLDER: delete this file when the branches named in
// turn_seam.h are merged. These stand-ins do the least the turn cycle and
// its tests need: no contact damage and no break checks, a match decided by
// the frame count and the truncated scores, a match reset that puts the
// fighters back where they were built.
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

void contact_damage(void) { clear_contact_records(); }
void fade_hit_flash(void) {}
void check_joint_breaks(int) {}
void apply_pending_breaks(int) {}

int break_joint(int i, int j, int type)
{
    Player *p = get_player(i);
    if (!p || j < 0 || j >= JOINT_COUNT || type < 0 || type > 2)
        return 1;
    p->joints[j].broken = type;
    p->joints[j].broken_recorded = type;
    p->joints[j].bleeding = 30.0f;
    p->joints[j].hit_mark = 0;
    p->broken_joints++;
    if (type == JOINT_DISMEMBERED)
        dJointAttach(p->hinges[j], nullptr, nullptr);
    return 0;
}

int match_end_single(void)
{
    WorldState *w = get_game_state();
    const int n = w->players < MAX_FIGHTERS ? w->players : MAX_FIGHTERS;
    if (w->frame >= get_match_rules()->matchframes && !w->game_over) {
        for (int i = 0; i < MAX_FIGHTERS; i++)
            w->winners[i] = w->losers[i] = -1;
        const int s0 = n > 0 ? (int)get_player(0)->score : 0;
        const int s1 = n > 1 ? (int)get_player(1)->score : s0;
        if (n < 2 || s0 == s1) {
            w->result_kind = 1;
        } else {
            const int win = get_player(0)->score >= get_player(1)->score ? 0 : 1;
            w->winners[win] = win;
            w->losers[1 - win] = 1 - win;
            w->result_kind = 0;
        }
        w->game_over = 1;
        w->decision_frame = w->frame;
    }
    if (w->game_over)
        w->frames_left = 0;
    return w->game_over;
}

int match_end_network(void) { return 0; }
void announce_match_result(WorldState *) {}

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
