// Colliding a space: the near callback makes the contact joints with the
// world options' surface values, lets blood drops splash and gripping hands
// take hold, and keeps up to 16 contact records per step for the damage that
// follows the world step.
// The joint spheres sit in geom transforms, which ODE 0.16 marks deprecated
// in favour of geom offsets.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include "game/collision.h"
#include "game/engine_step.h"
#include <cmath>
#include <cstring>
#include <utility>
#include "game/blood.h"
#include "game/body_defs.h"
#include "game/contact_damage.h"
#include "game/env_objects.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/mod_world.h"
#include "game/world_options.h"
#include "game/world_physics.h"

static ContactRecord g_records[CONTACT_RECORDS];
static int g_record_count;
static int g_stats[CONTACT_STAT_COUNT];
// Contact joints made in this collision pass: bodies piled into each other
// (a broken replay can place them so) touch in thousands of points, and the
// step's solver time grows with the cube of the number of contacts among
// bodies that touch. Blood drops never take the fighters' and objects'
// contacts: a torn joint bleeds every frame and the whole ring may lie on
// the floor. A drop on the floor (or on anything without a body) is a little
// problem of its own for the solver and has a bound of its own; a drop on a
// body joins that body's problem, so it takes only the room that the pairs
// without a drop leave, counted before the pass.
static int g_step_contacts;        // pairs without a drop
static int g_step_drop_contacts;   // drops on the floor or a bodiless object
static int g_step_drop_on_bodies;  // drops on a body
static int g_step_bodies_demand;   // contacts of the pairs without a drop, counted first
static_assert((int)DROP_CONTACT_JOINTS_PER_STEP >= (int)BLOOD_DROP_COUNT, "every drop of the ring may rest on the floor");

const int *get_contact_stats(void) { return g_stats; }
void reset_contact_stats(void) { memset(g_stats, 0, sizeof g_stats); }

int push_contact_record(const ContactRecord *r)
{
    if (!r || g_record_count >= CONTACT_RECORDS)
        return 1;
    g_records[g_record_count++] = *r;
    return 0;
}

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

static bool is_fighter_part(const GeomRecord *r)
{
    return r && r->owner && (r->kind == GEOM_BODY || r->kind == GEOM_JOINT);
}

// An environment object whose flag has 2 or 4, or a fighter body (not a
// joint sphere) whose definition flag has 2 or 4.
static bool is_harmful(const GeomRecord *r)
{
    if (kind_of(r) == GEOM_ENV_OBJECT) {
        const bool ghost = get_game_state()->ghost_mode != 0;
        const EnvObjectBody *o = ghost ? get_env_object_ghost(r->index) : get_env_object(r->index);
        return o && (o->flag & (ENV_FLAG_HARMFUL_A | ENV_FLAG_HARMFUL_B));
    }
    if (kind_of(r) == GEOM_BODY && r->owner)
        return (part_def_flag(r->fighter, r->body_id) & (BODY_FLAG_HARMFUL_A | BODY_FLAG_HARMFUL_B)) != 0;
    return false;
}

// A harmful side marks the joint charged for the other side's part, unless
// that part is protected. 1 when a mark was made.
static int mark_harm(const GeomRecord *harm, const GeomRecord *victim)
{
    if (!is_harmful(harm) || !is_fighter_part(victim))
        return 0;
    if (part_def_flag(victim->fighter, victim->body_id) & BODY_FLAG_PROTECTED)
        return 0;
    if (victim->joint < 0 || victim->joint >= JOINT_COUNT)
        return 0;
    victim->owner->joints[victim->joint].hit_mark = 1;
    return 1;
}

// Whether a contact counts for damage under the rules' damage mode, teams,
// and the ground and dojo filters. Touching the ground adds the fighter's
// body speed to its ground speed.
static bool contact_counts(const GeomRecord *ra, dBodyID ba, const GeomRecord *rb, dBodyID bb,
                           const double *point)
{
    const MatchRules *rules = get_match_rules();
    const WorldState *w = get_game_state();
    const int fa = ra->owner ? ra->fighter : -1;
    const int fb = rb->owner ? rb->fighter : -1;
    if (fa >= 0 && fb >= 0) {
        const Player *pa = get_player(fa), *pb = get_player(fb);
        const bool same = (w->teams > 1 && pa && pb) ? pa->team == pb->team : fa == fb;
        if (same && rules->damage == 0)
            return false;
        if (fa != fb && rules->damage == 2)
            return false;
        return true;
    }
    const bool env = ra->kind == GEOM_ENV_OBJECT || rb->kind == GEOM_ENV_OBJECT;
    const bool floor = ra->kind == GEOM_FLOOR || rb->kind == GEOM_FLOOR;
    if (env || !floor || (fa < 0 && fb < 0))
        return true;
    const GeomRecord *part = fa >= 0 ? ra : rb;
    const dBodyID body = fa >= 0 ? ba : bb;
    if (body && part->owner) {
        const dReal *v = dBodyGetLinearVel(body);
        part->owner->ground_speed += (float)std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    }
    const bool allowed = part_may_touch_ground(rules->sumo, part->body_id) != 0;
    if (rules->dojosize != 0) {
        if (allowed && (rules->flags & RULE_FLAG_DQ) && !dojo_point_outside(rules, point[0], point[1]))
            return false;
        return true;
    }
    return !allowed;
}

// The centre of a sphere geom (also one held in a geom transform), or false
// when g is no sphere.
static bool sphere_centre(dGeomID g, double *c)
{
    if (dGeomGetClass(g) == dSphereClass) {
        geom_world_pose(g, c, nullptr);
        return true;
    }
    if (dGeomGetClass(g) == dGeomTransformClass) {
        dGeomID inner = dGeomTransformGetGeom(g);
        if (!inner || dGeomGetClass(inner) != dSphereClass)
            return false;
        geom_transform_world(g, c, nullptr);
        return true;
    }
    return false;
}

// A sphere whose centre lies just outside a box, closer to its surface than
// the doubles can tell, gives the engine's sphere and box test a contact
// normal of length zero, and the engine ends the program. Poses from lines
// and files, and a break that lets a fighter's bodies touch one another,
// can put a joint sphere there. Such a pair makes no contact this step.
static bool sphere_on_box_surface(dGeomID a, dGeomID b)
{
    double c[3];
    if (dGeomGetClass(b) != dBoxClass || !sphere_centre(a, c)) {
        if (dGeomGetClass(a) != dBoxClass || !sphere_centre(b, c))
            return false;
        std::swap(a, b);
    }
    const dReal *bp = dGeomGetPosition(b), *R = dGeomGetRotation(b);
    dVector3 side;
    dGeomBoxGetLengths(b, side);
    const double p[3] = {c[0] - bp[0], c[1] - bp[1], c[2] - bp[2]};
    double t[3];
    bool outside = false;
    for (int i = 0; i < 3; i++) {
        const double l = side[i] * 0.5;
        t[i] = p[0] * R[i] + p[1] * R[4 + i] + p[2] * R[8 + i];
        if (t[i] < -l || t[i] > l) {
            t[i] = t[i] < -l ? -l : l;
            outside = true;
        }
    }
    if (!outside)
        return false;
    double r2 = 0, p2 = 0;
    for (int i = 0; i < 3; i++) {
        const double q = R[4 * i] * t[0] + R[4 * i + 1] * t[1] + R[4 * i + 2] * t[2];
        r2 += (p[i] - q) * (p[i] - q);
        p2 += p[i] * p[i] + bp[i] * bp[i];
    }
    return r2 <= 1e-24 * (1.0 + p2);
}

// Pairs that never touch: bodies joined by a joint other than a contact, and
// an object held by the hand that touches it.
static bool pair_skipped(const GeomRecord *ra, dBodyID ba, const GeomRecord *rb, dBodyID bb)
{
    return (ba && bb && dAreConnectedExcluding(ba, bb, dJointTypeContact)) || grip_holds(ra, ba, rb) ||
           grip_holds(rb, bb, ra);
}

// Counts the contacts a pair without a drop will make, up to the bound.
static void count_bodies_pair(dGeomID a, dGeomID b)
{
    if (g_step_bodies_demand >= CONTACT_JOINTS_PER_STEP)
        return;
    const GeomRecord *ra = static_cast<GeomRecord *>(dGeomGetData(a));
    const GeomRecord *rb = static_cast<GeomRecord *>(dGeomGetData(b));
    if (pair_skipped(ra, dGeomGetBody(a), rb, dGeomGetBody(b)) || sphere_on_box_surface(a, b))
        return;
    dContactGeom c[CONTACTS_PER_PAIR];
    const int n = dCollide(a, b, CONTACTS_PER_PAIR, c, sizeof c[0]);
    if (n > 0)
        g_step_bodies_demand += n;
}

// A geom as the space pairs it: its body, bits and bounding box.
struct PairedGeom {
    dGeomID geom;
    dBodyID body;
    unsigned long category, collide;
    dReal box[6];
};

// Two geoms the space would offer the near callback: on different bodies,
// one's category in the other's collide bits, their boxes overlapping.
static bool space_would_pair(const PairedGeom &a, const PairedGeom &b)
{
    if (a.body && a.body == b.body)
        return false;
    if (!(a.category & b.collide) && !(b.category & a.collide))
        return false;
    const dReal *p = a.box, *q = b.box;
    return p[0] <= q[1] && q[0] <= p[1] && p[2] <= q[3] && q[2] <= p[3] && p[4] <= q[5] && q[4] <= p[5];
}

// The contacts the pairs without a drop will make in this pass, up to the
// bound: the space's geoms other than the drops, pair by pair (the space's
// own pass over all of them would cost as much as the collision itself).
// Pure: nothing is made or marked.
static void count_bodies_demand(dSpaceID space)
{
    enum { MOST_COUNTED = 256 };
    static PairedGeom geoms[MOST_COUNTED];
    int n = 0;
    const int total = dSpaceGetNumGeoms(space);
    for (int i = 0; i < total; i++) {
        dGeomID g = dSpaceGetGeom(space, i);
        const GeomRecord *r = static_cast<GeomRecord *>(dGeomGetData(g));
        if (!r || r->kind == GEOM_BLOOD || !dGeomIsEnabled(g))
            continue;
        if (n == MOST_COUNTED) {   // more than a world holds: drops on bodies get no room
            g_step_bodies_demand = CONTACT_JOINTS_PER_STEP;
            return;
        }
        PairedGeom &p = geoms[n++];
        p.geom = g;
        p.body = dGeomGetBody(g);
        p.category = dGeomGetCategoryBits(g);
        p.collide = dGeomGetCollideBits(g);
        dGeomGetAABB(g, p.box);
    }
    for (int i = 0; i < n && g_step_bodies_demand < CONTACT_JOINTS_PER_STEP; i++)
        for (int j = i + 1; j < n; j++)
            if (space_would_pair(geoms[i], geoms[j]))
                count_bodies_pair(geoms[i].geom, geoms[j].geom);
}

static void collide_pair(dGeomID a, dGeomID b)
{
    g_stats[STAT_CALLS]++;
    GameGlobals *g = get_game_globals();
    const WorldState *w = get_game_state();
    const WorldOptions *wo = get_world_options();
    const ModWorld *m = get_mod_world();
    GeomRecord *ra = static_cast<GeomRecord *>(dGeomGetData(a));
    GeomRecord *rb = static_cast<GeomRecord *>(dGeomGetData(b));
    if (!ra || !rb)
        return;
    dBodyID ba = dGeomGetBody(a), bb = dGeomGetBody(b);

    if (pair_skipped(ra, ba, rb, bb)) {
        g_stats[STAT_SKIPPED]++;
        return;
    }

    const int ka = ra->kind, kb = rb->kind;
    const bool env = ka == GEOM_ENV_OBJECT || kb == GEOM_ENV_OBJECT;
    double mu, bounce, bounce_vel, soft_cfm;
    if (ba && bb && !env) {
        g_stats[ra->fighter != rb->fighter ? STAT_FIGHTERS : STAT_SAME_FIGHTER]++;
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
    if (!(ba && bb && !env))
        g_stats[STAT_OTHER]++;
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
    g_stats[STAT_SURFACES]++;
    // A pair with a drop makes one joint (the drop splashes on its first
    // contact). A drop on the floor counts in the drops' own bound; a drop
    // on a body takes only the room that the pairs without a drop leave in
    // theirs, counted before the pass.
    const bool drop = ka == GEOM_BLOOD || kb == GEOM_BLOOD;
    const bool drop_on_body = drop && ba && bb;
    const int bodies = g_step_bodies_demand > g_step_contacts ? g_step_bodies_demand : g_step_contacts;
    const int room = !drop         ? CONTACT_JOINTS_PER_STEP - g_step_contacts
                     : drop_on_body ? CONTACT_JOINTS_PER_STEP - bodies - g_step_drop_on_bodies
                                    : DROP_CONTACT_JOINTS_PER_STEP - g_step_drop_contacts;
    if (room <= 0 || sphere_on_box_surface(a, b))
        return;
    const int n = dCollide(a, b, drop || room >= CONTACTS_PER_PAIR ? CONTACTS_PER_PAIR : room,
                           &contacts[0].geom, sizeof(dContact));
    if (n <= 0) {
        g_stats[STAT_NOT_TOUCHING]++;
        return;
    }
    g_stats[STAT_TOUCHING]++;
    if (drop_on_body)
        g_step_drop_on_bodies++;
    else if (drop)
        g_step_drop_contacts++;
    else
        g_step_contacts += n;
    if (ra->owner != rb->owner)
        g_stats[STAT_OWNERS_TOUCHING]++;
    const bool harm_marks = (get_match_rules()->flags & RULE_FLAG_DISMEMBER) && ra->owner != rb->owner;
    for (int k = 0; k < n; k++) {
        g_stats[STAT_CONTACTS]++;
        dJointID cj = dJointCreateContact(g->world, g->contact_group, &contacts[k]);
        dJointAttach(cj, ba, bb);

        if (drop) {
            const GeomRecord *rd = ka == GEOM_BLOOD ? ra : rb;
            const dBodyID db = ka == GEOM_BLOOD ? ba : bb;
            const dReal *v = db ? dBodyGetLinearVel(db) : nullptr;
            blood_splash(rd->blood_index, v ? v[0] * v[0] + v[1] * v[1] + v[2] * v[2] : 0.0);
            return;
        }

        const double *point = contacts[k].geom.pos;
        int grip_took_object = 0;
        const bool bodiless_non_object = (!ba && ka != GEOM_ENV_OBJECT) || (!bb && kb != GEOM_ENV_OBJECT);
        if (!bodiless_non_object && !w->frozen && ka != GEOM_FLOOR && kb != GEOM_FLOOR) {
            // One harm mark per contact; the first side is tested first.
            if (harm_marks && !mark_harm(ra, rb))
                mark_harm(rb, ra);
            grip_took_object = offer_grip(ra, rb, point);
        }

        if (w->ghost_mode != 0 || grip_took_object || g_record_count >= CONTACT_RECORDS)
            continue;
        if (!contact_counts(ra, ba, rb, bb, point))
            continue;
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

static bool finite_n(const dReal *v, int n)
{
    for (int k = 0; k < n; k++)
        if (!std::isfinite(v[k]))
            return false;
    return true;
}

// One body: a coordinate beyond the limit is clamped to it (one that is not
// finite becomes 0) and the body stops; velocities that are not finite are
// zeroed. 1 when anything changed.
static int keep_body_in_world(dBodyID b)
{
    const dReal *p = dBodyGetPosition(b);
    bool moved = false;
    double pos[3];
    for (int k = 0; k < 3; k++) {
        pos[k] = p[k];
        if (!std::isfinite(pos[k]))
            pos[k] = 0;
        else if (pos[k] > WORLD_POSITION_LIMIT)
            pos[k] = WORLD_POSITION_LIMIT;
        else if (pos[k] < -WORLD_POSITION_LIMIT)
            pos[k] = -WORLD_POSITION_LIMIT;
        moved = moved || pos[k] != p[k];
    }
    if (!moved && finite_n(dBodyGetLinearVel(b), 3) && finite_n(dBodyGetAngularVel(b), 3))
        return 0;
    if (moved)
        dBodySetPosition(b, pos[0], pos[1], pos[2]);
    dBodySetLinearVel(b, 0, 0, 0);
    dBodySetAngularVel(b, 0, 0, 0);
    return 1;
}

int keep_bodies_in_world(dSpaceID space)
{
    int changed = 0;
    const int n = space ? dSpaceGetNumGeoms(space) : 0;
    for (int i = 0; i < n; i++) {
        dGeomID g = dSpaceGetGeom(space, i);
        if (dBodyID b = dGeomGetBody(g))
            changed += keep_body_in_world(b);
    }
    return changed;
}

// An engine error in a pair must not leave the space's collision: the
// space stays locked for as long as its collision runs, and a locked space
// cannot be changed or destroyed. The error ends the pass here and is
// raised again once the space's collision has returned.
void near_callback(void *, dGeomID a, dGeomID b)
{
    if (collision_failed())
        return;
    const int test_fault = take_collision_test_fault();
    if (test_fault == ENGINE_TEST_SPACE)
        dDebug(d_ERR_IASSERT, "test fault out of the space's collision");
    try {
        if (test_fault == ENGINE_TEST_COLLISION)
            dDebug(d_ERR_IASSERT, "test fault in the near callback");
        collide_pair(a, b);
    } catch (const EngineFault &f) {
        note_collision_fault(f);
    }
}

void collide_space(dSpaceID space)
{
    if (!space)
        return;
    keep_bodies_in_world(space);
    g_step_contacts = 0;
    g_step_drop_contacts = 0;
    g_step_drop_on_bodies = 0;
    g_step_bodies_demand = 0;
    if (space == get_game_globals()->space && blood_drops_placed())
        count_bodies_demand(space);
    begin_collision_pass();
    try {
        dSpaceCollide(space, nullptr, near_callback);
    } catch (const EngineFault &) {
        note_space_fault();
        throw;
    }
}
