// Environment objects: each defined object has a twin in the live space and
// one in the ghost space; static objects have a geom but no body.
#include "game/env_objects.h"
#include "game/pose_check.h"
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include "game/body_defs.h"
#include "game/collision.h"
#include "game/shape_sizes.h"

static EnvObjectBody *g_live[ENV_OBJECT_COUNT];
static EnvObjectBody *g_ghost[ENV_OBJECT_COUNT];
static EnvObjectLink *g_live_links[ENV_JOINT_COUNT];
static EnvObjectLink *g_ghost_links[ENV_JOINT_COUNT];

EnvObjectBody *get_env_object(int i) { return (i >= 0 && i < ENV_OBJECT_COUNT) ? g_live[i] : nullptr; }
EnvObjectBody *get_env_object_ghost(int i) { return (i >= 0 && i < ENV_OBJECT_COUNT) ? g_ghost[i] : nullptr; }
EnvObjectLink *get_env_link(int i) { return (i >= 0 && i < ENV_JOINT_COUNT) ? g_live_links[i] : nullptr; }
EnvObjectLink *get_env_link_ghost(int i) { return (i >= 0 && i < ENV_JOINT_COUNT) ? g_ghost_links[i] : nullptr; }

static bool finite_d3(const double *v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

static const ShapeSizeLimits k_object_sizes = {ENV_SIDE_MIN, ENV_RADIUS_MAX, ENV_SIDE_MAX};

static bool mass_ok(double m) { return m >= ENV_MASS_MIN && m <= ENV_MASS_MAX; }

static bool push_ok(const float *v)
{
    for (int k = 0; k < 3; k++)
        if (!(std::fabs(v[k]) <= ENV_PUSH_MAX))
            return false;
    return true;
}

int sanitize_env_object(EnvObject *o, int index)
{
    EnvObject def;
    env_object_reset(&def);
    const int n = index + 1;
    int mended = 0;
    if (o->shape > SHAPE_CAPSULE) {
        fprintf(stderr, "env_obj %d: unknown shape %d, keeping a box\n", n, o->shape);
        o->shape = SHAPE_BOX;
        mended++;
    }
    bool sides_ok = finite_d3(o->sides);
    for (int k = 0; k < shape_sides_used(o->shape); k++)
        sides_ok = sides_ok && shape_side_ok(o->shape, k, o->sides[k], k_object_sizes);
    if (!sides_ok) {
        char range[96];
        shape_size_range_text(range, sizeof range, o->shape, k_object_sizes);
        fprintf(stderr, "env_obj %d: sides %g %g %g refused (%s), keeping %g\n", n, o->sides[0], o->sides[1],
                o->sides[2], range, def.sides[0]);
        memcpy(o->sides, def.sides, sizeof o->sides);
        mended++;
    }
    if (!mass_ok(o->mass)) {
        fprintf(stderr, "env_obj %d: mass %g refused (%g to %g), keeping %g\n", n, o->mass, ENV_MASS_MIN,
                ENV_MASS_MAX, def.mass);
        o->mass = def.mass;
        mended++;
    }
    if (!pose_position_ok(o->pos)) {
        fprintf(stderr, "env_obj %d: pos %g %g %g refused (at most %g on each axis), keeping %g %g %g\n", n,
                o->pos[0], o->pos[1], o->pos[2], POSE_POSITION_LIMIT, def.pos[0], def.pos[1], def.pos[2]);
        memcpy(o->pos, def.pos, sizeof o->pos);
        memcpy(o->state_pos, def.pos, sizeof o->state_pos);
        mended++;
    }
    if (!finite_d3(o->rot)) {
        fprintf(stderr, "env_obj %d: rot refused, keeping 0 0 0\n", n);
        o->rot[0] = o->rot[1] = o->rot[2] = 0;
        mended++;
    }
    if (!push_ok(o->force)) {
        fprintf(stderr, "env_obj %d: force %g %g %g refused (at most %g on each axis), keeping none\n", n,
                o->force[0], o->force[1], o->force[2], ENV_PUSH_MAX);
        memset(o->force, 0, sizeof o->force);
        mended++;
    }
    if (!push_ok(o->thrust)) {
        fprintf(stderr, "env_obj %d: thrust %g %g %g refused (at most %g on each axis), keeping none\n", n,
                o->thrust[0], o->thrust[1], o->thrust[2], ENV_PUSH_MAX);
        memset(o->thrust, 0, sizeof o->thrust);
        o->thrust_period = 0;
        mended++;
    }
    if (!(o->bounce >= 0 && o->bounce <= ENV_BOUNCE_MAX)) {
        fprintf(stderr, "env_obj %d: bounce %g refused (0 to %g), keeping %g\n", n, o->bounce, ENV_BOUNCE_MAX,
                def.bounce);
        o->bounce = def.bounce;
        mended++;
    }
    if (!(o->friction >= 0) || !std::isfinite(o->friction)) {
        fprintf(stderr, "env_obj %d: friction %g refused, keeping %g\n", n, o->friction, def.friction);
        o->friction = def.friction;
        mended++;
    }
    return mended;
}

int sanitize_env_joint(EnvObjectJoint *j, int index, const EnvObject *objects)
{
    if (!j->active)
        return 0;
    const int n = index + 1;
    const bool a_ok = j->object_a >= 0 && j->object_a < ENV_OBJECT_COUNT && objects[j->object_a].defined;
    const bool b_ok = j->object_b >= 0 && j->object_b < ENV_OBJECT_COUNT && objects[j->object_b].defined;
    if (!a_ok || !b_ok || j->object_a == j->object_b) {
        fprintf(stderr, "env_obj_joint %d: objects %d and %d are not two defined objects, joint dropped\n", n,
                j->object_a + 1, j->object_b + 1);
        memset(j, 0, sizeof *j);
        return 1;
    }
    const float *ax = j->axis;
    const float len2 = ax[0] * ax[0] + ax[1] * ax[1] + ax[2] * ax[2];
    if (!(len2 > 1e-12f) || !std::isfinite(len2)) {
        fprintf(stderr, "env_obj_joint %d: axis %g %g %g refused (no direction), joint dropped\n", n, ax[0], ax[1],
                ax[2]);
        memset(j, 0, sizeof *j);
        return 1;
    }
    int mended = 0;
    const double anchor[3] = {j->pos[0], j->pos[1], j->pos[2]};
    if (!pose_position_ok(anchor)) {
        fprintf(stderr, "env_obj_joint %d: pos %g %g %g refused (at most %g on each axis), keeping 0 0 0\n", n,
                anchor[0], anchor[1], anchor[2], POSE_POSITION_LIMIT);
        j->pos[0] = j->pos[1] = j->pos[2] = 0;
        mended++;
    }
    if (!(std::fabs(j->hi_stop) <= HINGE_STOP_LIMIT && std::fabs(j->lo_stop) <= HINGE_STOP_LIMIT)) {
        fprintf(stderr, "env_obj_joint %d: range %g %g refused (each stop %g to %g), keeping 0 0\n", n, j->hi_stop,
                j->lo_stop, -HINGE_STOP_LIMIT, HINGE_STOP_LIMIT);
        j->hi_stop = j->lo_stop = 0;
        mended++;
    }
    if (!std::isfinite(j->strength) || !std::isfinite(j->velocity)) {
        fprintf(stderr, "env_obj_joint %d: strength or velocity refused, keeping 0\n", n);
        j->strength = j->velocity = 0;
        mended++;
    }
    return mended;
}

EnvObjectBody::EnvObjectBody(const EnvObject &params, int index, dWorldID w, dSpaceID s, bool ghost)
    : space(s), world(w)
{
    memcpy(pos, params.pos, sizeof pos);
    shape = params.shape;
    memcpy(sides, params.sides, sizeof sides);
    mass = params.mass;
    memcpy(color, params.color, sizeof color);
    visible = (int)params.visible;
    material = (int)params.material;
    memcpy(rot, params.rot, sizeof rot);
    flag = params.flag;
    memcpy(force, params.force, sizeof force);
    thrust_period = params.thrust_period;
    memcpy(thrust, params.thrust, sizeof thrust);
    bounce = params.bounce;
    friction = params.friction;
    if (is_static()) {
        category_bits = CAT_ENV_STATIC;
        collide_bits = 0;
    } else if (ghost) {
        category_bits = CAT_ENV_GHOST;
        collide_bits = COLLIDE_ENV_GHOST;
    } else {
        category_bits = CAT_ENV_MOVING;
        collide_bits = COLLIDE_ENV_MOVING;
    }

    body = is_static() ? nullptr : dBodyCreate(world);
    switch (shape) {
    case SHAPE_SPHERE: geom = dCreateSphere(space, sides[0]); break;
    case SHAPE_CAPSULE: geom = dCreateCapsule(space, sides[0], sides[1]); break;
    default: geom = dCreateBox(space, sides[0], sides[1], sides[2]); break;
    }
    dMassSetZero(&engine_mass);
    set_mass(mass);
    if (body) {
        dGeomSetBody(geom, body);
        dBodySetLinearVel(body, 0, 0, 0);
        dBodySetAngularVel(body, 0, 0, 0);
    }
    dGeomSetPosition(geom, pos[0], pos[1], pos[2]);
    dMatrix3 R;
    dRFromEulerAngles(R, rot[0], rot[1], rot[2]);
    dGeomSetRotation(geom, R);
    dGeomSetCategoryBits(geom, category_bits);
    dGeomSetCollideBits(geom, collide_bits);
    record = take_geom_record();
    if (record) {
        record->kind = GEOM_ENV_OBJECT;
        record->index = index;
        record->friction = friction;
        record->bounce = bounce;
    }
    dGeomSetData(geom, record);
    if (body) {
        dBodySetMass(body, &engine_mass);
        dBodyDisable(body);
    }
    dGeomEnable(geom);
}

EnvObjectBody::~EnvObjectBody()
{
    if (geom)
        dGeomDestroy(geom);
    if (body)
        dBodyDestroy(body);
}

void EnvObjectBody::set_mass(double m)
{
    if (!mass_ok(m)) {
        fprintf(stderr, "Object mass %g refused (%g to %g), keeping %g\n", m, ENV_MASS_MIN, ENV_MASS_MAX, mass);
        m = mass_ok(mass) ? mass : 0.1;
    }
    mass = m;
    switch (shape) {
    case SHAPE_SPHERE: dMassSetSphereTotal(&engine_mass, m, sides[0]); break;
    case SHAPE_CAPSULE: dMassSetCapsuleTotal(&engine_mass, m, 3, sides[0], sides[1]); break;
    default: dMassSetBoxTotal(&engine_mass, m, sides[0], sides[1], sides[2]); break;
    }
    if (body)
        dBodySetMass(body, &engine_mass);
}

void EnvObjectBody::update()
{
    if (body)
        dGeomSetBody(geom, body);
    dGeomSetPosition(geom, pos[0], pos[1], pos[2]);
    dMatrix3 R;
    dRFromEulerAngles(R, rot[0], rot[1], rot[2]);
    dGeomSetRotation(geom, R);
    if (!body) {
        dGeomEnable(geom);
        return;
    }
    dBodySetLinearVel(body, 0, 0, 0);
    dBodySetAngularVel(body, 0, 0, 0);
    dBodySetMass(body, &engine_mass);
    dBodyEnable(body);
}

void EnvObjectBody::apply_force()
{
    if (body)
        dBodySetForce(body, force[0], force[1], force[2]);
}

void EnvObjectBody::apply_thrust(int frame)
{
    if (body && thrust_period > 0 && frame % thrust_period == 0)
        dBodySetForce(body, thrust[0], thrust[1], thrust[2]);
}

void EnvObjectBody::clear_force()
{
    force[0] = force[1] = force[2] = 0;
    if (body)
        dBodySetForce(body, 0, 0, 0);
}

EnvObjectLink::EnvObjectLink(const EnvObjectJoint &p, int index, dWorldID w, dSpaceID s,
                             EnvObjectBody *a, EnvObjectBody *b)
    : space(s), world(w)
{
    anchor[0] = p.pos[0]; anchor[1] = p.pos[1]; anchor[2] = p.pos[2];
    memcpy(axis, p.axis, sizeof axis);
    hi_stop = p.hi_stop;
    lo_stop = p.lo_stop;
    strength = p.strength;
    velocity = p.velocity;
    visible = (int)p.visible;
    record = take_geom_record();
    if (record) {
        record->kind = GEOM_ENV_JOINT;
        record->index = index;
    }
    hinge = dJointCreateHinge(world, 0);
    dJointAttach(hinge, a ? a->body : nullptr, b ? b->body : nullptr);
    dJointSetHingeAnchor(hinge, anchor[0], anchor[1], anchor[2]);
    dJointSetHingeAxis(hinge, axis[0], axis[1], axis[2]);
    dJointSetHingeParam(hinge, dParamLoStop, lo_stop);
    dJointSetHingeParam(hinge, dParamHiStop, hi_stop);
    dJointSetHingeParam(hinge, dParamFMax, motor_force_bounded(strength));
    dJointSetHingeParam(hinge, dParamVel, motor_velocity_bounded(velocity));
    dJointSetHingeParam(hinge, dParamFudgeFactor, 0.05);
    dJointSetHingeParam(hinge, dParamStopERP, 0.1);
    dJointSetHingeParam(hinge, dParamCFM, 0.9);
    dJointSetHingeParam(hinge, dParamStopCFM, 0.9);
}

EnvObjectLink::~EnvObjectLink()
{
    if (hinge)
        dJointDestroy(hinge);
}

void EnvObjectLink::reanchor()
{
    dJointSetHingeAnchor(hinge, anchor[0], anchor[1], anchor[2]);
}

void delete_env_objects(void)
{
    for (int i = 0; i < ENV_JOINT_COUNT; i++) {
        delete g_live_links[i];
        delete g_ghost_links[i];
        g_live_links[i] = g_ghost_links[i] = nullptr;
    }
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        delete g_live[i];
        delete g_ghost[i];
        g_live[i] = g_ghost[i] = nullptr;
    }
}

void forget_env_objects(void)
{
    for (int i = 0; i < ENV_JOINT_COUNT; i++)
        for (EnvObjectLink *l : {g_live_links[i], g_ghost_links[i]})
            if (l)
                l->hinge = nullptr;
    for (int i = 0; i < ENV_OBJECT_COUNT; i++)
        for (EnvObjectBody *o : {g_live[i], g_ghost[i]})
            if (o) {
                o->geom = nullptr;
                o->body = nullptr;
            }
    delete_env_objects();
}

void create_env_objects(void)
{
    GameGlobals *g = get_game_globals();
    ModWorld *m = get_mod_world();
    delete_env_objects();
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        EnvObject *o = &m->env_objects[i];
        if (!o->defined)
            continue;
        sanitize_env_object(o, i);
        g_live[i] = new EnvObjectBody(*o, i, g->world, g->space, false);
        g_ghost[i] = new EnvObjectBody(*o, i, g->world, g->ghost_space, true);
    }
    for (int i = 0; i < ENV_JOINT_COUNT; i++) {
        // A joint that survives the check joins two different live objects
        // about an axis, its anchor within the world.
        sanitize_env_joint(&m->env_joints[i], i, m->env_objects);
        const EnvObjectJoint &jd = m->env_joints[i];
        if (!jd.active)
            continue;
        g_live_links[i] = new EnvObjectLink(jd, i, g->world, g->space, g_live[jd.object_a], g_live[jd.object_b]);
        g_ghost_links[i] = new EnvObjectLink(jd, i, g->world, g->ghost_space, g_ghost[jd.object_a], g_ghost[jd.object_b]);
    }
}

void refresh_env_objects(void)
{
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        for (EnvObjectBody *o : {g_live[i], g_ghost[i]}) {
            if (o) {
                o->update();
                o->clear_force();
            }
        }
    }
    for (int i = 0; i < ENV_JOINT_COUNT; i++) {
        if (g_live_links[i])
            g_live_links[i]->reanchor();
        if (g_ghost_links[i])
            g_ghost_links[i]->reanchor();
    }
}

void enable_env_objects(bool ghost, bool on)
{
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        EnvObjectBody *o = ghost ? g_ghost[i] : g_live[i];
        if (o && o->body) {
            if (on)
                dBodyEnable(o->body);
            else
                dBodyDisable(o->body);
        }
    }
}

void enable_env_object(int i, bool on)
{
    EnvObjectBody *o = get_env_object(i);
    if (o && o->body) {
        if (on)
            dBodyEnable(o->body);
        else
            dBodyDisable(o->body);
    }
}

void copy_env_objects_to_ghost(void)
{
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        EnvObjectBody *a = g_live[i], *b = g_ghost[i];
        if (!a || !b || !a->body || !b->body)
            continue;
        const dReal *f = dBodyGetForce(a->body);
        const dReal *t = dBodyGetTorque(a->body);
        const dReal *p = dBodyGetPosition(a->body);
        const dReal *lv = dBodyGetLinearVel(a->body);
        const dReal *av = dBodyGetAngularVel(a->body);
        dBodySetForce(b->body, f[0], f[1], f[2]);
        dBodySetTorque(b->body, t[0], t[1], t[2]);
        pose_set_position(b->body, p);
        pose_set_linear_vel(b->body, lv);
        pose_set_angular_vel(b->body, av);
        pose_set_quaternion(b->body, dBodyGetQuaternion(a->body));
    }
}

// The thrusts go to the bodies the coming step moves. During a preview
// those are the ghosts (records n..2n-1) and the ghost objects: ghost n + i
// takes the thrusts of fighter i's bodies, the turn it foresees, and the
// live bodies, switched off, keep the forces gathered for their next step.
// A ghost switched off (a preview of one fighter) takes none.
void apply_thrusts(int frame)
{
    const WorldState *w = get_game_state();
    const bool ghost = w->ghost_mode != 0;
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i);
        Player *target = get_player(ghost ? n + i : i);
        if (!p || !p->body_defs || !target || (ghost && target->hidden))
            continue;
        for (int b = 0; b < BODY_COUNT; b++) {
            const BodyDef &d = p->body_defs[b];
            if (d.thrust_period > 0 && frame % d.thrust_period == 0)
                dBodySetForce(target->bodies[b], d.thrust[0], d.thrust[1], d.thrust[2]);
        }
    }
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        EnvObjectBody *o = ghost ? g_ghost[i] : g_live[i];
        if (o)
            o->apply_thrust(frame);
    }
}
