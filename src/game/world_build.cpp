// Building the world: one ODE world with a live and a ghost hash space, the
// contact group, a ground plane in each space, both fighters and their ghosts,
// the environment objects, the blood drops and the picking ray.
// The joint spheres sit in geom transforms, which ODE 0.16 marks deprecated
// in favour of geom offsets; the transform keeps the sphere a geom of its own
// that the collision reports and the frame cache moves.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include "game/world_build.h"
#include "game/world_physics.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "app/base/alloc_hooks.h"
#include "game/blood.h"
#include "game/collision.h"
#include "game/engine_step.h"
#include "game/engine_world.h"
#include "game/env_objects.h"
#include "game/frame_cache.h"
#include "game/game_state.h"
#include "game/shape_sizes.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/pose_check.h"
#include "game/replay_buffer.h"
#include "game/stance.h"
#include "game/world_options.h"

static const int k_fighter_colours[4] = {3, 5, 10, 6};

// The order of the geoms in each hash space as the build left it. ODE keeps
// a space's geoms in a list and moves a geom to the front whenever it moves
// while clean (dGeomMoved), so after a match the list is ordered by what
// moved last. The hash space reports colliding pairs in an order that
// follows the list, the contact joints are made in that order, and the
// solver's rounding follows the joint order: a new match on a used world
// would collide in another order than the same match on a new world.
// reset_fighters puts the build order back.
enum { SPACE_ORDER_MAX = GEOM_RECORD_COUNT };
struct SpaceOrder {
    dGeomID geoms[SPACE_ORDER_MAX];
    int count;   // -1: not known (more geoms than the table holds)
};
static SpaceOrder g_space_order[2];

static void remember_space_order(SpaceOrder *o, dSpaceID space)
{
    const int n = space ? dSpaceGetNumGeoms(space) : 0;
    if (n > SPACE_ORDER_MAX) {
        fprintf(stderr, "%d geoms in one space: their order is not restored between matches\n", n);
        o->count = -1;
        return;
    }
    for (int k = 0; k < n; k++)
        o->geoms[k] = dSpaceGetGeom(space, k);
    o->count = n;
}

// Marks a geom as moved (dirty) without changing where it is: a geom on a
// body through its body (which marks all the body's geoms), a plane through
// its own parameters, any other geom through its own position.
static void touch_geom(dGeomID g)
{
    if (dBodyID b = dGeomGetBody(g)) {
        const dReal *p = dBodyGetPosition(b);
        dBodySetPosition(b, p[0], p[1], p[2]);
    } else if (dGeomGetClass(g) == dPlaneClass) {
        dVector4 v;
        dGeomPlaneGetParams(g, v);
        dGeomPlaneSetParams(g, v[0], v[1], v[2], v[3]);
    } else {
        const dReal *p = dGeomGetPosition(g);
        dGeomSetPosition(g, p[0], p[1], p[2]);
    }
}

// Puts the space's list back as the build left it: every geom dirty (as new
// geoms are) and in the build order. The collision only recomputes the
// bounding boxes of the dirty geoms at the front of the list, so all must be
// dirty before the order is set: touching a clean geom moves it to the
// front. Removing and adding keeps a geom's flags; each add puts its geom at
// the front, so adding last to first gives the build order.
static void restore_space_order(const SpaceOrder *o, dSpaceID space)
{
    if (!space || o->count < 0 || dSpaceGetNumGeoms(space) != o->count)
        return;
    for (int k = 0; k < o->count; k++)
        touch_geom(o->geoms[k]);
    for (int k = 0; k < o->count; k++)
        dSpaceRemove(space, o->geoms[k]);
    for (int k = o->count - 1; k >= 0; k--)
        dSpaceAdd(space, o->geoms[k]);
}

static const double k_start_offset[MAX_FIGHTERS][3] = {{0, 0, -0.05}, {0, -1.0, 0}};

static bool finite3(const float *v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// A place a fighter's definition may give a body or an anchor (see
// POSE_POSITION_LIMIT).
static bool in_world(const float *v)
{
    const double d[3] = {v[0], v[1], v[2]};
    return pose_position_ok(d);
}

static const ShapeSizeLimits k_body_sizes = {BODY_SIDE_MIN, BODY_RADIUS_MAX, BODY_SIDE_MAX};

// Sizes the engine takes for a shape: each used side within the bodies'
// limits.
static bool sizes_ok(int shape, const float *s)
{
    if (!finite3(s) || shape < SHAPE_SPHERE || shape > SHAPE_CAPSULE)
        return false;
    for (int k = 0; k < shape_sides_used(shape); k++)
        if (!shape_side_ok(shape, k, s[k], k_body_sizes))
            return false;
    return true;
}

// The mass the engine gives a body of this shape, size and density.
static double body_mass(int shape, const float *s, double density)
{
    const double r = s[0];
    switch (shape) {
    case SHAPE_SPHERE: return density * 4.0 / 3.0 * M_PI * r * r * r;
    case SHAPE_CAPSULE: return density * (M_PI * r * r * s[1] + 4.0 / 3.0 * M_PI * r * r * r);
    default: return density * (double)s[0] * s[1] * s[2];
    }
}

static bool density_ok(float d) { return d > 0 && d <= BODY_DENSITY_MAX; }

static bool push_ok(const float *v)
{
    for (int k = 0; k < 3; k++)
        if (!(std::fabs(v[k]) <= BODY_PUSH_MAX))
            return false;
    return true;
}

// "Body HEAD: sides 30 0 0 refused (a sphere's radius 0.01 to 5), keeping
// the built-in size": the sizes the shape takes, in the mod's words.
static void refuse_sides(int i, const char *stmt, int shape, const float *v, const char *keeping)
{
    char range[96];
    shape_size_range_text(range, sizeof range, shape, k_body_sizes);
    fprintf(stderr, "Body %s: %s %g %g %g refused (%s), keeping %s\n", body_name(i), stmt, v[0], v[1], v[2], range,
            keeping);
}

int sanitize_body_table(BodyDef *rows)
{
    const BodyDef *def = builtin_body_table();
    int mended = 0;
    for (int i = 0; i < BODY_COUNT; i++) {
        BodyDef &r = rows[i];
        if (r.shape < SHAPE_SPHERE || r.shape > SHAPE_CAPSULE) {
            fprintf(stderr, "Body %s: unknown shape %d, keeping %d\n", body_name(i), r.shape, def[i].shape);
            r.shape = def[i].shape;
            memcpy(r.sides, def[i].sides, sizeof r.sides);
            mended++;
        }
        if (!sizes_ok(r.shape, r.sides)) {
            refuse_sides(i, "sides", r.shape, r.sides, "the built-in size");
            if (r.shape != def[i].shape)
                r.shape = def[i].shape;
            memcpy(r.sides, def[i].sides, sizeof r.sides);
            mended++;
        }
        if (!density_ok(r.density)) {
            fprintf(stderr, "Body %s: density %g refused (above 0, at most %g), keeping %g\n", body_name(i),
                    r.density, BODY_DENSITY_MAX, def[i].density);
            r.density = def[i].density;
            mended++;
        }
        // Too light a body for the motors and contacts: the density, then
        // the size goes back to the built-in one.
        if (!(body_mass(r.shape, r.sides, r.density) >= BODY_MASS_MIN)) {
            fprintf(stderr, "Body %s: density %g with sides %g %g %g gives a mass below %g, refused\n",
                    body_name(i), r.density, r.sides[0], r.sides[1], r.sides[2], BODY_MASS_MIN);
            if (r.density < def[i].density)
                r.density = def[i].density;
            if (!(body_mass(r.shape, r.sides, r.density) >= BODY_MASS_MIN)) {
                r.shape = def[i].shape;
                memcpy(r.sides, def[i].sides, sizeof r.sides);
            }
            mended++;
        }
        // The gripping hand's size: in range, and heavy enough at the
        // body's density; else the hand keeps its size when it grips.
        if ((i == R_HAND || i == L_HAND) && !sizes_ok(r.shape, r.alt_sides)) {
            refuse_sides(i, "alt_sides", r.shape, r.alt_sides, "the hand's size");
            memcpy(r.alt_sides, r.sides, sizeof r.alt_sides);
            mended++;
        } else if ((i == R_HAND || i == L_HAND) && !(body_mass(r.shape, r.alt_sides, r.density) >= BODY_MASS_MIN)) {
            fprintf(stderr, "Body %s: alt_sides %g %g %g with density %g gives a mass below %g, refused, keeping the "
                    "hand's size\n", body_name(i), r.alt_sides[0], r.alt_sides[1], r.alt_sides[2], r.density,
                    BODY_MASS_MIN);
            memcpy(r.alt_sides, r.sides, sizeof r.alt_sides);
            mended++;
        }
        if (!in_world(r.pos)) {
            fprintf(stderr, "Body %s: pos %g %g %g refused\n", body_name(i), r.pos[0], r.pos[1], r.pos[2]);
            memcpy(r.pos, def[i].pos, sizeof r.pos);
            mended++;
        }
        if (!finite3(r.rot)) {
            fprintf(stderr, "Body %s: rot refused\n", body_name(i));
            r.rot[0] = r.rot[1] = r.rot[2] = 0;
            mended++;
        }
        if (!finite3(r.force) || !push_ok(r.force)) {
            fprintf(stderr, "Body %s: force %g %g %g refused (at most %g on each axis)\n", body_name(i),
                    r.force[0], r.force[1], r.force[2], BODY_PUSH_MAX);
            r.force[0] = r.force[1] = r.force[2] = 0;
            mended++;
        }
        if (!finite3(r.thrust) || !push_ok(r.thrust)) {
            fprintf(stderr, "Body %s: thrust %g %g %g refused (at most %g on each axis)\n", body_name(i),
                    r.thrust[0], r.thrust[1], r.thrust[2], BODY_PUSH_MAX);
            r.thrust[0] = r.thrust[1] = r.thrust[2] = 0;
            mended++;
        }
    }
    return mended;
}

int sanitize_joint_table(JointDef *rows)
{
    const JointDef *def = builtin_joint_table();
    int mended = 0;
    for (int j = 0; j < JOINT_COUNT; j++) {
        JointDef &r = rows[j];
        if (!(r.radius >= JOINT_RADIUS_MIN && r.radius <= JOINT_RADIUS_MAX)) {
            fprintf(stderr, "Joint %s: radius %g refused (%g to %g), keeping %g\n", joint_id_name(j), r.radius,
                    JOINT_RADIUS_MIN, JOINT_RADIUS_MAX, def[j].radius);
            r.radius = def[j].radius;
            mended++;
        }
        if (!in_world(r.pos)) {
            fprintf(stderr, "Joint %s: pos %g %g %g refused\n", joint_id_name(j), r.pos[0], r.pos[1], r.pos[2]);
            memcpy(r.pos, def[j].pos, sizeof r.pos);
            mended++;
        }
        const float len2 = r.axis[0] * r.axis[0] + r.axis[1] * r.axis[1] + r.axis[2] * r.axis[2];
        if (!finite3(r.axis) || !(len2 > 1e-12f) || !std::isfinite(len2)) {
            fprintf(stderr, "Joint %s: axis refused\n", joint_id_name(j));
            memcpy(r.axis, def[j].axis, sizeof r.axis);
            mended++;
        }
        const float stops[4] = {r.range[0], r.range[1], r.fracture_range[0], r.fracture_range[1]};
        for (float v : stops) {
            if (!(std::fabs(v) <= HINGE_STOP_LIMIT)) {
                fprintf(stderr, "Joint %s: range %g %g refused (each stop %g to %g), keeping %g %g\n",
                        joint_id_name(j), r.range[0], r.range[1], -HINGE_STOP_LIMIT, HINGE_STOP_LIMIT,
                        def[j].range[0], def[j].range[1]);
                memcpy(r.range, def[j].range, sizeof r.range);
                memcpy(r.fracture_range, def[j].fracture_range, sizeof r.fracture_range);
                mended++;
                break;
            }
        }
        const float vals[6] = {r.range[0], r.range[1], r.strength, r.velocity, r.fracture_range[0], r.fracture_range[1]};
        for (float v : vals) {
            if (!std::isfinite(v)) {
                memcpy(r.range, def[j].range, sizeof r.range);
                memcpy(r.fracture_range, def[j].fracture_range, sizeof r.fracture_range);
                r.strength = def[j].strength;
                r.velocity = def[j].velocity;
                mended++;
                break;
            }
        }
    }
    return mended;
}

static bool within_reach(const float *a, const float *b)
{
    double d2 = 0;
    for (int k = 0; k < 3; k++)
        d2 += ((double)a[k] - b[k]) * ((double)a[k] - b[k]);
    return d2 <= (double)JOINT_REACH_MAX * JOINT_REACH_MAX;
}

static bool joint_in_reach(const BodyDef *bodies, const JointDef &jd, const JointDef &pair)
{
    return within_reach(jd.pos, bodies[pair.body[0]].pos) && within_reach(jd.pos, bodies[pair.body[1]].pos);
}

int sanitize_fighter_reach(BodyDef *bodies, JointDef *joints)
{
    const BodyDef *def_bodies = builtin_body_table();
    const JointDef *def = builtin_joint_table();
    int mended = 0;
    // A body put back moves away from its other joints' anchors: go round
    // until all hold. Each round puts back at least one anchor or body, and
    // the built-in fighter holds, so the rounds end.
    for (int round = 0; round < 2 * (BODY_COUNT + JOINT_COUNT); round++) {
        bool changed = false;
        for (int j = 0; j < JOINT_COUNT; j++) {
            JointDef &r = joints[j];
            if (joint_in_reach(bodies, r, def[j]))
                continue;
            fprintf(stderr, "Joint %s: pos %g %g %g refused (farther than %g from the bodies it joins)\n",
                    joint_id_name(j), r.pos[0], r.pos[1], r.pos[2], JOINT_REACH_MAX);
            memcpy(r.pos, def[j].pos, sizeof r.pos);
            mended++;
            changed = true;
            if (joint_in_reach(bodies, r, def[j]))
                continue;
            for (int k = 0; k < 2; k++) {
                BodyDef &b = bodies[def[j].body[k]];
                if (within_reach(r.pos, b.pos))
                    continue;
                fprintf(stderr, "Body %s: pos %g %g %g refused (farther than %g from joint %s)\n",
                        body_name(def[j].body[k]), b.pos[0], b.pos[1], b.pos[2], JOINT_REACH_MAX, joint_id_name(j));
                memcpy(b.pos, def_bodies[def[j].body[k]].pos, sizeof b.pos);
                mended++;
            }
        }
        if (!changed)
            return mended;
    }
    return mended;
}

int sanitize_fighter_tables(BodyDef *bodies, JointDef *joints)
{
    return sanitize_body_table(bodies) + sanitize_joint_table(joints) + sanitize_fighter_reach(bodies, joints);
}

static dGeomID create_shape(dSpaceID space, int shape, const float *s)
{
    switch (shape) {
    case SHAPE_SPHERE: return dCreateSphere(space, s[0]);
    case SHAPE_BOX: return dCreateBox(space, s[0], s[1], s[2]);
    case SHAPE_CAPSULE: return dCreateCapsule(space, s[0], s[1]);
    default: return nullptr;
    }
}

static bool rotation_set(const float *rot)
{
    return rot[0] != 0 || rot[1] != 0 || rot[2] != 0;
}

int create_fighter(BodyDef *bodies, JointDef *joints, int index, const char *name,
                   dSpaceID space, double ox, double oy, double oz, int category, int collide)
{
    GameGlobals *g = get_game_globals();
    if (index < 0 || index >= MAX_PLAYER_RECORDS || !bodies || !joints || !g->world)
        return 1;
    const WorldOptions *wo = get_world_options();
    const JointDef *builtin_joints = builtin_joint_table();
    Player *p = &get_players()[index];

    memset(p, 0, sizeof *p);
    p->index = index;
    p->stance_slot = 0;
    p->colour = 0;
    p->collide_bits = collide;
    p->category_bits = category;
    p->body_defs = bodies;
    p->joint_defs = joints;
    p->offset[0] = ox; p->offset[1] = oy; p->offset[2] = oz;
    set_player_name(index, name ? name : "");  // the name and its short name
    for (int k = 0; k < BODY_COUNT; k++)
        p->grip_target[k] = -1;

    for (int b = 0; b < BODY_COUNT; b++) {
        const BodyDef &row = bodies[b];
        dBodyID body = dBodyCreate(g->world);
        p->bodies[b] = body;
        GeomRecord *rec = take_geom_record();
        if (rec) {
            rec->owner = p;
            rec->fighter = index;
            rec->kind = GEOM_BODY;
            rec->index = b;
            rec->joint = selected_joint_of_body(b);
            rec->body_id = b;
            rec->friction = wo->player_mu;
            rec->bounce = wo->player_bounce;
        }
        dBodySetPosition(body, row.pos[0] + ox, row.pos[1] + oy, row.pos[2] + oz);
        dGeomID geom = create_shape(space, row.shape, row.sides);
        p->body_geoms[b] = geom;
        dGeomSetData(geom, rec);
        dGeomSetCollideBits(geom, collide | (row.floor_contact ? CAT_GROUND : 0));
        const bool limb_end = (b == R_HAND || b == L_HAND || b == R_FOOT || b == L_FOOT);
        dGeomSetCategoryBits(geom, limb_end ? (category | collide) : category);
        dGeomSetBody(geom, body);
    }

    for (int j = 0; j < JOINT_COUNT; j++) {
        dGeomID t = dCreateGeomTransform(space);
        dGeomSetCollideBits(t, collide | CAT_GROUND);
        dGeomSetCategoryBits(t, category);
        p->joint_geoms[j] = t;
        dJointID h = dJointCreateHinge(g->world, 0);
        p->hinges[j] = h;
        dJointSetFeedback(h, &p->hinge_feedback[j]);
        dJointSetHingeParam(h, dParamFudgeFactor, 0.05);
        dJointSetHingeParam(h, dParamStopERP, 0.1);
        dJointSetHingeParam(h, dParamCFM, 0.5);
        dJointSetHingeParam(h, dParamStopCFM, 0.5);
    }

    bool turned[BODY_COUNT] = {};
    for (int n = 0; n < JOINT_COUNT; n++) {
        const int j = JOINT_SPHERE_ORDER[n];
        const int carrier = joint_sphere_body(j);
        dBodyID body = p->bodies[carrier];
        dGeomID t = p->joint_geoms[j];
        dGeomID sphere = dCreateSphere(0, joints[j].radius);
        p->joint_spheres[j] = sphere;
        dGeomTransformSetGeom(t, sphere);
        dGeomTransformSetCleanup(t, 1);
        dGeomTransformSetInfo(t, 1);
        dVector3 local;
        dBodyGetPosRelPoint(body, joints[j].pos[0] + ox, joints[j].pos[1] + oy, joints[j].pos[2] + oz, local);
        dGeomSetPosition(sphere, local[0], local[1], local[2]);
        dGeomSetBody(t, body);
        GeomRecord *rec = take_geom_record();
        if (rec) {
            rec->owner = p;
            rec->fighter = index;
            rec->kind = GEOM_JOINT;
            rec->index = carrier;
            rec->joint = j;
            rec->body_id = j + 21;
            rec->friction = wo->player_mu;
            rec->bounce = wo->player_bounce;
        }
        dGeomSetData(t, rec);
        dGeomSetData(sphere, rec);
        // A body with a rotation is turned about this sphere.
        if (!turned[carrier] && rotation_set(bodies[carrier].rot)) {
            dMatrix3 R;
            dRFromEulerAngles(R, bodies[carrier].rot[0], bodies[carrier].rot[1], bodies[carrier].rot[2]);
            rotate_body_keep_geom(body, t, R);
            turned[carrier] = true;
        }
    }
    // The feet carry no sphere: they turn about the ankles' spheres.
    const int feet[2][2] = {{R_FOOT, R_ANCHOR}, {L_FOOT, L_ANCHOR}};
    for (const auto &f : feet) {
        if (!rotation_set(bodies[f[0]].rot))
            continue;
        dMatrix3 R;
        dRFromEulerAngles(R, bodies[f[0]].rot[0], bodies[f[0]].rot[1], bodies[f[0]].rot[2]);
        rotate_body_keep_geom(p->bodies[f[0]], p->joint_geoms[f[1]], R);
    }

    for (int b = 0; b < BODY_COUNT; b++) {
        memcpy(p->built_pos[b], dBodyGetPosition(p->bodies[b]), sizeof p->built_pos[b]);
        memcpy(p->built_quat[b], dBodyGetQuaternion(p->bodies[b]), sizeof p->built_quat[b]);
    }

    // The hinges always join the built-in pairs of bodies.
    for (int j = 0; j < JOINT_COUNT; j++)
        dJointAttach(p->hinges[j], p->bodies[builtin_joints[j].body[0]], p->bodies[builtin_joints[j].body[1]]);

    for (int j = 0; j < JOINT_COUNT; j++) {
        const JointDef &row = joints[j];
        dJointID h = p->hinges[j];
        dJointSetHingeAxis(h, row.axis[0], row.axis[1], row.axis[2]);
        dJointSetHingeParam(h, dParamHiStop, row.range[0]);
        dJointSetHingeParam(h, dParamLoStop, row.range[1]);
        dJointSetHingeAnchor(h, row.pos[0] + ox, row.pos[1] + oy, row.pos[2] + oz);
        JointState &js = p->joints[j];
        js.hi_stop = row.range[0];
        js.lo_stop = row.range[1];
        js.fracture_hi = row.fracture_range[0];
        js.fracture_lo = row.fracture_range[1];
        js.broken = JOINT_INTACT;
        js.hit_mark = 0;
    }

    set_fighter_masses(index);
    p->built = 1;
    if (g->built_players < index + 1)
        g->built_players = index + 1;
    p->grip_wish[0] = p->grip_wish[1] = 0;
    p->grip_state[0] = p->grip_state[1] = 0;
    return 0;
}

void player_switch_off(int i)
{
    Player *p = get_player(i);
    if (!p)
        return;
    for (int b = 0; b < BODY_COUNT; b++) {
        dBodyDisable(p->bodies[b]);
        dGeomDisable(p->body_geoms[b]);
    }
    for (int j = 0; j < JOINT_COUNT; j++)
        dGeomDisable(p->joint_geoms[j]);
    p->hidden = 1;
}

void player_switch_on(int i)
{
    Player *p = get_player(i);
    if (!p)
        return;
    for (int b = 0; b < BODY_COUNT; b++) {
        dBodyEnable(p->bodies[b]);
        dGeomEnable(p->body_geoms[b]);
    }
    for (int j = 0; j < JOINT_COUNT; j++)
        dGeomEnable(p->joint_geoms[j]);
    p->hidden = 0;
}

static dGeomID create_ground(dSpaceID space, float friction)
{
    dGeomID plane = dCreatePlane(space, 0, 0, 1, 0);
    dGeomSetCategoryBits(plane, CAT_GROUND);
    dGeomSetCollideBits(plane, 0);
    GeomRecord *rec = take_geom_record();
    if (rec) {
        rec->kind = GEOM_FLOOR;
        rec->friction = friction;
        rec->bounce = get_world_options()->ground_bounce;
    }
    dGeomSetData(plane, rec);
    return plane;
}

// The engine's memory goes through the counting functions, and its errors
// and messages through our printers: a message is printed and play goes on;
// an error ends a guarded step (engine_step.h), or else the program.
static void install_engine_handlers(void)
{
    dSetAllocHandler(counting_alloc);
    dSetReallocHandler(counting_realloc);
    dSetFreeHandler(counting_free);
    dSetErrorHandler(print_engine_error);
    dSetDebugHandler(print_engine_debug);
    dSetMessageHandler(print_engine_message);
}

int init_world(const ModWorld *m)
{
    GameGlobals *g = get_game_globals();
    WorldState *w = get_game_state();
    ModWorld *active = get_mod_world();
    if (g->world)
        destroy_world();
    if (m && m != active)
        *active = *m;

    for (int s = 0; s < MOD_PLAYER_SLOTS; s++) {
        if (!active->body_tables[s])
            active->body_tables[s] = get_default_body_table();
        if (!active->joint_tables[s])
            active->joint_tables[s] = get_default_joint_table();
        sanitize_fighter_tables(active->body_tables[s], active->joint_tables[s]);
    }

    if (!(active->friction >= 0 && active->friction <= WORLD_FRICTION_MAX)) {
        fprintf(stderr, "World friction %g refused (0 to %g), keeping %g\n", active->friction, WORLD_FRICTION_MAX,
                WORLD_FRICTION_DEFAULT);
        active->friction = WORLD_FRICTION_DEFAULT;
    }

    install_engine_handlers();
    dInitODE2(0);
    g->world = dWorldCreate();
    engine_world_attach(g->world);
    g->space = dHashSpaceCreate(0);
    g->ghost_space = dHashSpaceCreate(0);
    g->contact_group = dJointGroupCreate(0);
    dWorldSetCFM(g->world, 0.2);
    dWorldSetERP(g->world, 0.1);
    reset_geom_records();
    g->built_players = 0;

    g->floor_geom = create_ground(g->space, active->friction);
    g->ghost_floor_geom = create_ground(g->ghost_space, active->friction);

    if (w->players < 1)
        w->players = 1;
    if (w->players > MAX_FIGHTERS)
        w->players = MAX_FIGHTERS;
    const int n = w->players;
    Player *players = get_players();
    for (int i = 0; i < n; i++) {
        const double *o = k_start_offset[i];
        create_fighter(active->body_tables[i], active->joint_tables[i], i, default_player_name(i),
                       g->space, o[0], o[1], o[2], category_bits(1 + i), fighter_collide_bits(i));
        players[i].colour = players[i].colour_built = k_fighter_colours[i];
    }
    for (int i = 0; i < n; i++) {
        const double *o = k_start_offset[i];
        create_fighter(active->body_tables[n + i], active->joint_tables[n + i], n + i, default_player_name(i),
                       g->ghost_space, o[0], o[1], o[2], category_bits(9 + i), ghost_collide_bits(i));
        players[n + i].colour = players[n + i].colour_built = k_fighter_colours[i];
        player_switch_off(n + i);
    }

    create_env_objects();
    create_blood_drops();

    g->ray = dCreateRay(0, 100);
    dGeomRaySet(g->ray, 3.0, 0.2, 2.0, 1, 1, 1);
    dGeomSetCategoryBits(g->ray, 0);
    dGeomSetCollideBits(g->ray, 0);

    remember_space_order(&g_space_order[0], g->space);
    remember_space_order(&g_space_order[1], g->ghost_space);

    clear_stance_slots();
    if (n > 1 && active->body_tables[0] != active->body_tables[1]) {
        for (int i = 0; i < n; i++) {
            char name[16];
            snprintf(name, sizeof name, "INIT%d", i);
            store_stance_pose(i, name);
            players[i].stance_slot = i;
        }
    } else {
        store_stance_pose(0, "INIT");
    }
    return 0;
}

// The world of a failed collision that left its space locked: nothing of
// it can be destroyed, so the records that point at it are forgotten and
// the engine's objects kept as they are.
static void drop_world(GameGlobals *g)
{
    forget_env_objects();
    forget_blood_drops();
    if (g->ray)
        dGeomDestroy(g->ray);   // in no space
    engine_world_drop(g->world, g->space, g->ghost_space, g->contact_group);
}

void destroy_world(void)
{
    GameGlobals *g = get_game_globals();
    if (!g->world)
        return;
    const EngineFaultRecord *fault = last_engine_fault();
    const bool step_failed = fault && fault->place == ENGINE_FAULT_STEP;
    Player *players = get_players();
    if (fault && fault->place == ENGINE_FAULT_SPACE) {
        drop_world(g);
    } else {
        delete_env_objects();
        forget_blood_drops();
        for (int i = 0; i < g->built_players && i < MAX_PLAYER_RECORDS; i++)
            for (int b = 0; b < BODY_COUNT; b++)
                if (players[i].bodies[b])
                    dBodyDestroy(players[i].bodies[b]);
        if (g->ray)
            dGeomDestroy(g->ray);
        dJointGroupDestroy(g->contact_group);
        dSpaceDestroy(g->space);
        dSpaceDestroy(g->ghost_space);
        dWorldDestroy(g->world);
        engine_world_release(step_failed);
    }
    if (step_failed)
        engine_keep_step_blocks();
    clear_engine_fault();
    dCloseODE();
    g->world = nullptr;
    g->space = g->ghost_space = nullptr;
    g->contact_group = nullptr;
    g->floor_geom = g->ghost_floor_geom = g->ray = nullptr;
    reset_geom_records();
    g->built_players = 0;
    g_space_order[0].count = g_space_order[1].count = 0;
    clear_contact_records();
    memset(players, 0, sizeof(Player) * MAX_PLAYER_RECORDS);
}

int init_game(void)
{
    fill_category_table();
    ModWorld *def = get_default_mod_world();
    memset(def, 0, sizeof *def);
    // The replay buffer, the frame cache and the emote history are single
    // allocations made once; without them no match can be played.
    if (replay_buffer_alloc() != 0 || frame_cache_alloc() != 0 || alloc_emote_history() != 0) {
        fprintf(stderr, "Unable to allocate the replay buffer and frame cache\n");
        exit(1);
    }
    copy_builtin_tables();
    for (int s = 0; s < MOD_PLAYER_SLOTS; s++) {
        def->body_tables[s] = get_default_body_table();
        def->joint_tables[s] = get_default_joint_table();
    }
    memcpy(def->colors, builtin_world_colors(), sizeof def->colors);
    def->friction = WORLD_FRICTION_DEFAULT;
    reset_world_state();
    reset_world_options();
    // No match is played yet: the first new match builds its world, whatever
    // rules a game started before in this process played.
    memset(get_match_rules(), 0, sizeof(MatchRules));
    Player *players = get_players();
    for (int i = 0; i < MAX_PLAYER_RECORDS; i++) {
        players[i].dq_start = 0;
        players[i].dq_time = 0;
        players[i].last_ground_frame = 0;
    }
    return init_world(def);
}

void free_game(void)
{
    destroy_world();
    replay_buffer_free();
    frame_cache_free();
    free_emote_history();
}

// A ghost back at the place it was built, at rest. A hinge takes the pose
// its bodies are in when it is attached as its zero angle, and its anchor
// from where the bodies stand: attached where the last preview left the
// ghost (or where a dismembered joint's bodies lay apart), the ghost's
// joints would no longer match its fighter's.
static void put_back_as_built(Player *p)
{
    for (int b = 0; b < BODY_COUNT; b++) {
        dBodyID body = p->bodies[b];
        dBodySetPosition(body, p->built_pos[b][0], p->built_pos[b][1], p->built_pos[b][2]);
        dBodySetQuaternion(body, p->built_quat[b]);
        dBodySetLinearVel(body, 0, 0, 0);
        dBodySetAngularVel(body, 0, 0, 0);
        dBodySetForce(body, 0, 0, 0);
        dBodySetTorque(body, 0, 0, 0);
    }
}

void reset_fighters(void)
{
    GameGlobals *g = get_game_globals();
    const JointDef *builtin_joints = builtin_joint_table();
    // The world holds the fighters, then as many ghosts.
    const int fighters = g->built_players / 2;
    for (int i = 0; i < g->built_players; i++) {
        Player *p = get_player(i);
        if (!p || !p->built)
            continue;
        // The fighters stand where the engage placement put them; the ghosts
        // go back to their state as built (a preview copies the fighter in).
        const bool ghost = i >= fighters;
        if (ghost)
            put_back_as_built(p);
        memset(p->hit_flash, 0, sizeof p->hit_flash);
        p->received_mask = 0;
        p->disqualified = 0;
        p->dq_start = p->dq_time = p->last_ground_frame = 0;
        p->injury = 0;
        p->score = 0;
        p->ground_speed = 0;
        p->head_impact = 0;
        p->broken_joints = 0;
        p->ready = 0;
        memset(p->ghost_view, 0, sizeof p->ghost_view);
        // The turn's change counters start again, as on a new fighter.
        p->joint_changes = 0;
        // Feedback of grip joints deleted last match: a new grip starts clean.
        memset(p->grip_feedback, 0, sizeof p->grip_feedback);
        for (int b = 0; b < BODY_COUNT; b++)
            dGeomSetCollideBits(p->body_geoms[b], p->collide_bits | (p->body_defs[b].floor_contact ? CAT_GROUND : 0));
        for (int j = 0; j < JOINT_COUNT; j++) {
            dJointID h = p->hinges[j];
            dJointAttach(h, p->bodies[builtin_joints[j].body[0]], p->bodies[builtin_joints[j].body[1]]);
            if (ghost) {
                const JointDef &row = p->joint_defs[j];
                dJointSetHingeAxis(h, row.axis[0], row.axis[1], row.axis[2]);
                dJointSetHingeAnchor(h, row.pos[0] + p->offset[0], row.pos[1] + p->offset[1],
                                     row.pos[2] + p->offset[2]);
            }
            JointState &js = p->joints[j];
            js.broken = JOINT_INTACT;
            js.broken_recorded = JOINT_INTACT;
            js.hit_mark = 0;
            js.bleeding = 0;
            // The speed of the last bleeding frame: left over from the last
            // match it changes how many drops the first bleeding frame of the
            // next dismemberment of this joint sheds.
            js.last_speed = 0;
            memset(&p->hinge_feedback[j], 0, sizeof p->hinge_feedback[j]);
            p->motor_wish[j] = 0;
            dJointSetHingeParam(h, dParamLoStop, -dInfinity);
            dJointSetHingeParam(h, dParamHiStop, js.hi_stop);
            dJointSetHingeParam(h, dParamLoStop, js.lo_stop);
            dGeomSphereSetRadius(p->joint_spheres[j], p->joint_defs[j].radius);
            dGeomSetCollideBits(p->joint_geoms[j], p->collide_bits | CAT_GROUND);
        }
        delete_player_grip_joints(i);
        p->grip_wish[0] = p->grip_wish[1] = 0;
        p->grip_state[0] = p->grip_state[1] = 0;
        apply_grip(i, R_HAND, 0);
        apply_grip(i, L_HAND, 0);
        set_fighter_masses(i);
    }
    // The spaces as built too, so that the match collides as on a new world.
    restore_space_order(&g_space_order[0], g->space);
    restore_space_order(&g_space_order[1], g->ghost_space);
}
