#include "game/turn_handover.h"
#include "game/env_objects.h"
#include "game/game_state.h"
#include "game/mod_world.h"
#include "game/received_state.h"

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

void apply_received_fighter_state(int i)
{
    Player *p = get_player(i);
    const ReceivedState *r = get_received_state(i);
    if (!p || !r)
        return;
    for (int b = 0; b < BODY_COUNT; b++) {
        dBodyID body = p->bodies[b];
        if (!body)
            continue;
        // A rotation the server never filled stays as it is: the engine
        // cannot normalise a zero quaternion.
        const double *q = r->rotations[b];
        if (q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3] > 0.0)
            dBodySetQuaternion(body, q);
        dBodySetPosition(body, r->positions[b][0], r->positions[b][1], r->positions[b][2]);
        dBodySetLinearVel(body, r->linear_vel[b][0], r->linear_vel[b][1], r->linear_vel[b][2]);
        dBodySetAngularVel(body, r->angular_vel[b][0], r->angular_vel[b][1], r->angular_vel[b][2]);
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
        if (!env_object_takes_state(k) || !o || !o->body)
            continue;
        const EnvObject *d = get_env_object_def(k);
        dBodySetPosition(o->body, d->state_pos[0], d->state_pos[1], d->state_pos[2]);
        dBodySetQuaternion(o->body, d->state_quat);
        dBodySetAngularVel(o->body, d->state_avel[0], d->state_avel[1], d->state_avel[2]);
        dBodySetLinearVel(o->body, d->state_lvel[0], d->state_lvel[1], d->state_lvel[2]);
    }
    m->env_received = 0;
}
