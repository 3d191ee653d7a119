#include "game/received_state.h"

#include <cstring>
#include "game/env_objects.h"
#include "game/match_end.h"
#include "game/mod_world.h"
#include "game/pose_check.h"

static ReceivedState g_received[MAX_FIGHTERS];
static int32_t g_batches[BATCH_COUNT][BATCH_WORDS];

ReceivedState *get_received_state(int i)
{
    return i >= 0 && i < MAX_FIGHTERS ? &g_received[i] : nullptr;
}

int32_t *get_batch(int b)
{
    return b >= 0 && b < BATCH_COUNT ? g_batches[b] : nullptr;
}

void clear_received_state(void)
{
    memset(g_received, 0, sizeof g_received);
    memset(g_batches, 0, sizeof g_batches);
    get_game_state()->received_mask = 0;
    for (int i = 0; i < MAX_FIGHTERS; i++) {
        Player *p = get_player(i);
        if (p)
            p->received_mask = 0;
    }
}

int received_state_complete(void)
{
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i);
        if (!p || (p->received_mask & RECV_COMPLETE) != RECV_COMPLETE)
            return 0;
    }
    return 1;
}

int network_turn_ready(void)
{
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i);
        if (!p || p->ready != 1)
            return 0;
    }
    if ((get_game_state()->received_mask & RECV_COMPLETE) == RECV_COMPLETE)
        return 1;
    return received_state_complete();
}

void apply_received_fighter_state(int i)
{
    Player *p = get_player(i);
    const ReceivedState *r = get_received_state(i);
    if (!p || !r || i >= fighter_count())
        return;
    const int32_t mask = p->received_mask;
    const ServerResult *result = get_server_result();
    if (mask & RECV_RESULT) {
        p->injury = result->injury[i];
        p->score = result->score[i];
    }
    for (int b = 0; b < BODY_COUNT; b++) {
        dBodyID body = p->bodies[b];
        if (mask & RECV_ROTATIONS)
            pose_set_quaternion(body, r->rotations[b]);
        if (mask & RECV_POSITIONS)
            pose_set_position(body, r->positions[b]);
        if (mask & RECV_LINEAR_VEL)
            pose_set_linear_vel(body, r->linear_vel[b]);
        if (mask & RECV_ANGULAR_VEL)
            pose_set_angular_vel(body, r->angular_vel[b]);
    }
    p->received_mask = 0;
}

void apply_received_env_state(void)
{
    ModWorld *m = get_mod_world();
    if (!m->env_received)
        return;
    for (int k = 0; k < ENV_OBJECT_COUNT; k++) {
        EnvObjectBody *o = get_env_object(k);
        const EnvObject *d = get_env_object_def(k);
        if (!o || !o->body || !d || !env_object_takes_state(k))
            continue;
        pose_set_position(o->body, d->state_pos);
        pose_set_quaternion(o->body, d->state_quat);
        pose_set_angular_vel(o->body, d->state_avel);
        pose_set_linear_vel(o->body, d->state_lvel);
    }
    m->env_received = 0;
}
