// Colliding a space: the near callback makes the contact joints with the
// world options' surface values, lets blood drops splash and gripping hands
// take hold, and keeps up to 16 contact records per step for the damage that
// follows the world step.
#include "game/collision.h"
#include <cmath>
#include <cstring>
#include "game/blood.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/mod_world.h"
#include "game/world_options.h"

static ContactRecord g_records[CONTACT_RECORDS];
static int g_record_count;

ContactRecord *get_contact_records(void) { return g_records; }
int get_contact_count(void) { return g_record_count; }

void clear_contact_records(void)
{
    memset(g_records, 0, sizeof g_records);
    g_record_count = 0;
}

static int kind_of(const GeomRecord *r) { return r ? r->kind : -1; }

// A bodiless environment object touching a hand whose grip joint holds it.
static bool grip_holds(const GeomRecord *obj, dBodyID obj_body, const GeomRecord *hand)
{
    if (obj_body || kind_of(obj) != GEOM_ENV_OBJECT || kind_of(hand) != GEOM_BODY || !hand->owner)
        return false;
    const int b = hand->index;
    if (b != R_HAND && b != L_HAND)
        return false;
    return hand->owner->grip_joints[b] && hand->owner->grip_target[b] == obj->index;
}

static bool is_gripping_hand(const GeomRecord *r)
{
    if (kind_of(r) != GEOM_BODY || !r->owner)
        return false;
    if (r->index == L_HAND)
        return r->owner->grip_state[GRIP_LEFT] == GRIP_ON;
    if (r->index == R_HAND)
        return r->owner->grip_state[GRIP_RIGHT] == GRIP_ON;
    return false;
}

// Offers the contact to a gripping hand on either side; 1 when a grip on an
// environment object took it.
static int offer_grip(const GeomRecord *ra, const GeomRecord *rb, const double *point)
{
    const GeomRecord *hand = nullptr, *other = nullptr;
    if (is_gripping_hand(ra)) {
        hand = ra; other = rb;
    } else if (is_gripping_hand(rb)) {
        hand = rb; other = ra;
    }
    if (!hand || !other)
        return 0;
    const bool object = kind_of(other) == GEOM_ENV_OBJECT;
    if (!object && kind_of(other) != GEOM_BODY && kind_of(other) != GEOM_JOINT)
        return 0;
    return grip_contact(hand->fighter, object ? -1 : other->fighter, hand->index, other->index, point);
}

void near_callback(void *, dGeomID a, dGeomID b)
{
    GameGlobals *g = get_game_globals();
    const WorldState *w = get_game_state();
    const WorldOptions *wo = get_world_options();
    const ModWorld *m = get_mod_world();
    GeomRecord *ra = static_cast<GeomRecord *>(dGeomGetData(a));
    GeomRecord *rb = static_cast<GeomRecord *>(dGeomGetData(b));
    if (!ra || !rb)
        return;
    dBodyID ba = dGeomGetBody(a), bb = dGeomGetBody(b);

    if (ba && bb && dAreConnectedExcluding(ba, bb, dJointTypeContact))
        return;
    if (grip_holds(ra, ba, rb) || grip_holds(rb, bb, ra))
        return;

    const int ka = ra->kind, kb = rb->kind;
    const bool env = ka == GEOM_ENV_OBJECT || kb == GEOM_ENV_OBJECT;
    double mu, bounce, bounce_vel, soft_cfm;
    if (ba && bb && !env) {
        mu = wo->player_mu;
        bounce = wo->player_bounce;
        bounce_vel = wo->player_bounce_vel;
    } else if (ka == GEOM_BLOOD || kb == GEOM_BLOOD) {
        mu = m->friction;
        bounce = wo->blood_bounce;
        bounce_vel = wo->blood_bounce_vel;
    } else if (env && m->object_surface) {
        mu = (ra->friction + rb->friction) * 0.5;
        bounce = ra->bounce * rb->bounce;
        bounce_vel = wo->ground_bounce_vel;
    } else {
        mu = m->friction;
        bounce = wo->ground_bounce;
        bounce_vel = wo->ground_bounce_vel;
    }
    if (env)
        soft_cfm = wo->object_soft_cfm;
    else if (ka == GEOM_SOFT || kb == GEOM_SOFT)
        soft_cfm = wo->soft_cfm * 10.0;
    else
        soft_cfm = wo->soft_cfm;

    dContact contacts[CONTACTS_PER_PAIR];
    memset(contacts, 0, sizeof contacts);
    for (dContact &c : contacts) {
        c.surface.mode = dContactBounce | dContactSoftCFM;
        c.surface.mu = mu;
        c.surface.bounce = bounce;
        c.surface.bounce_vel = bounce_vel;
        c.surface.soft_cfm = soft_cfm;
    }
    const int n = dCollide(a, b, CONTACTS_PER_PAIR, &contacts[0].geom, sizeof(dContact));
    for (int k = 0; k < n; k++) {
        dJointID cj = dJointCreateContact(g->world, g->contact_group, &contacts[k]);
        dJointAttach(cj, ba, bb);

        if (ka == GEOM_BLOOD || kb == GEOM_BLOOD) {
            const GeomRecord *drop = ka == GEOM_BLOOD ? ra : rb;
            const dBodyID db = ka == GEOM_BLOOD ? ba : bb;
            const dReal *v = db ? dBodyGetLinearVel(db) : nullptr;
            blood_splash(drop->blood_index, v ? v[0] * v[0] + v[1] * v[1] + v[2] * v[2] : 0.0);
            return;
        }

        const double *point = contacts[k].geom.pos;
        int grip_took_object = 0;
        const bool bodiless_non_object = (!ba && ka != GEOM_ENV_OBJECT) || (!bb && kb != GEOM_ENV_OBJECT);
        if (!bodiless_non_object && !w->frozen && ka != GEOM_FLOOR && kb != GEOM_FLOOR) {
            // Harm marks for the break check are made here by the contact
            // damage rules (dismemberment flag, harmful and protected parts).
            grip_took_object = offer_grip(ra, rb, point);
        }

        if (w->ghost_mode != 0 || grip_took_object || g_record_count >= CONTACT_RECORDS)
            continue;
        // The rules' damage mode, teams and the ground and dojo filters decide
        // here which contacts count; until then every contact is recorded.
        ContactRecord &r = g_records[g_record_count++];
        memset(&r, 0, sizeof r);
        dJointSetFeedback(cj, &r.feedback);
        r.body_id[0] = ra->body_id;
        r.body_id[1] = rb->body_id;
        r.fighter[0] = ra->owner ? ra->fighter : -1;
        r.fighter[1] = rb->owner ? rb->fighter : -1;
        r.other_kind = ra->owner ? kb : ka;
        for (int c = 0; c < 3; c++)
            r.pos[c] = point[c];
        if (ba && bb) {
            const dReal *va = dBodyGetLinearVel(ba);
            const dReal *vb = dBodyGetLinearVel(bb);
            dVector3 cross;
            dCalcVectorCross3(cross, va, vb);
            double d2 = 0;
            for (int c = 0; c < 3; c++) {
                r.cross[c] = cross[c];
                d2 += (va[c] - vb[c]) * (va[c] - vb[c]);
            }
            r.rel_speed = std::sqrt(d2);
        }
    }
}

void collide_space(dSpaceID space)
{
    if (space)
        dSpaceCollide(space, nullptr, near_callback);
}

void world_physics_step(void)
{
    GameGlobals *g = get_game_globals();
    if (!g->world)
        return;
    collide_space(g->space);
    dWorldStep(g->world, get_world_options()->stepsize);
    dJointGroupEmpty(g->contact_group);
}
