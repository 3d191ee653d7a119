// Physics operations on fighters: forces, masses, drag, moving and turning;
// one physics step of the live world.
// The joint spheres sit in geom transforms, which ODE 0.16 marks deprecated
// in favour of geom offsets; the transform keeps the sphere a geom of its own
// that the collision reports and the frame cache moves.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cmath>
#include <cstdio>
#include "game/world_physics.h"
#include "game/collision.h"
#include "game/engine_step.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/env_objects.h"
#include "game/world_options.h"

int world_physics_step(void)
{
    return engine_step_space(get_game_globals()->space, 0);
}

void apply_world_forces(void)
{
    GameGlobals *g = get_game_globals();
    if (!g->world)
        return;
    const float *grav = get_match_rules()->gravity;
    dWorldSetGravity(g->world, grav[0], grav[1], grav[2]);
    for (int i = 0; i < g->built_players; i++) {
        Player *p = get_player(i);
        const float sign = (i % 2) ? -1.0f : 1.0f;
        for (int b = 0; b < BODY_COUNT; b++) {
            const float *f = p->body_defs[b].force;
            if (f[0] != 0 || f[1] != 0 || f[2] != 0)
                dBodyAddForce(p->bodies[b], f[0], f[1] * sign, f[2]);
        }
    }
    for (int k = 0; k < ENV_OBJECT_COUNT; k++) {
        if (EnvObjectBody *o = get_env_object(k))
            o->apply_force();
    }
}

int move_player(int i, double x, double y, double z)
{
    Player *p = get_player(i);
    if (!p)
        return 1;
    const dReal *head = dBodyGetPosition(p->bodies[0]);
    const double dx = x - head[0], dy = y - head[1], dz = z - head[2];
    for (int b = 0; b < BODY_COUNT; b++) {
        const dReal *pos = dBodyGetPosition(p->bodies[b]);
        dBodySetPosition(p->bodies[b], pos[0] + dx, pos[1] + dy, pos[2] + dz);
    }
    return 0;
}

// R_out = Rz(angle) * R_in
static void turn_rotation(const dReal *in, double radians, dMatrix3 out)
{
    dMatrix3 rz;
    dRFromAxisAndAngle(rz, 0, 0, 1, radians);
    dMultiply0_333(out, rz, in);
}

void turn_body_about_vertical(dBodyID b, const double *pivot, double radians)
{
    const dReal *pos = dBodyGetPosition(b);
    const double c = std::cos(radians), s = std::sin(radians);
    const double x = pos[0] - pivot[0], y = pos[1] - pivot[1];
    dBodySetPosition(b, pivot[0] + c * x - s * y, pivot[1] + s * x + c * y, pos[2]);
    dMatrix3 R;
    turn_rotation(dBodyGetRotation(b), radians, R);
    dBodySetRotation(b, R);
}

int turn_player(int i, double degrees)
{
    Player *p = get_player(i);
    if (!p)
        return 1;
    const dReal *h = dBodyGetPosition(p->bodies[0]);
    const double pivot[3] = {h[0], h[1], h[2]};
    const double rad = degrees * M_PI / 180.0;
    for (int b = 0; b < BODY_COUNT; b++)
        turn_body_about_vertical(p->bodies[b], pivot, rad);
    return 0;
}

int turn_player_mirrored(int i, double degrees)
{
    Player *p = get_player(i);
    if (!p)
        return 1;
    const dReal *h = dBodyGetPosition(p->bodies[0]);
    const double head[3] = {h[0], h[1], h[2]};
    const double rad = degrees * M_PI / 180.0;
    for (int b = 0; b < BODY_COUNT; b++) {
        const dReal *pos = dBodyGetPosition(p->bodies[b]);
        dBodySetPosition(p->bodies[b], -pos[0], -pos[1], pos[2]);
        dMatrix3 R;
        turn_rotation(dBodyGetRotation(p->bodies[b]), rad, R);
        dBodySetRotation(p->bodies[b], R);
    }
    return move_player(i, head[0], head[1], head[2]);
}

int set_fighter_masses(int i)
{
    Player *p = get_player(i);
    if (!p && i >= 0 && i < MAX_PLAYER_RECORDS && get_players()[i].bodies[0])
        p = &get_players()[i];  // a record still being built
    if (!p)
        return 1;
    double total = 0;
    for (int b = 0; b < BODY_COUNT; b++) {
        dGeomID g = p->body_geoms[b];
        double density = p->body_defs[b].density;
        if (!(density > 0) || !std::isfinite(density)) {
            fprintf(stderr, "Body %s: density %f refused, keeping 0.25\n", body_name(b), density);
            density = 0.25;
        }
        dMass m;
        dMassSetZero(&m);
        switch (dGeomGetClass(g)) {
        case dSphereClass:
            dMassSetSphere(&m, density, dGeomSphereGetRadius(g));
            break;
        case dBoxClass: {
            dVector3 s;
            dGeomBoxGetLengths(g, s);
            dMassSetBox(&m, density, s[0], s[1], s[2]);
            break;
        }
        case dCapsuleClass: {
            dReal r, l;
            dGeomCapsuleGetParams(g, &r, &l);
            dMassSetCapsule(&m, density, 3, r, l);
            break;
        }
        default:
            p->total_mass = total;
            return 1;
        }
        dBodySetMass(p->bodies[b], &m);
        total += m.mass;
    }
    p->total_mass = total;
    return 0;
}

void air_drag(dBodyID b)
{
    const double k = 0.001, k2 = 1e-5;
    dMass m;
    dBodyGetMass(b, &m);
    const dReal *v = dBodyGetLinearVel(b);
    const dReal *w = dBodyGetAngularVel(b);
    dBodyAddForce(b, -k * m.mass * v[0], -k * m.mass * v[1], -k * m.mass * v[2]);
    dBodyAddTorque(b, -k2 * m.mass * w[0] * w[0] * w[0], -k2 * m.mass * w[1] * w[1] * w[1],
                   -k2 * m.mass * w[2] * w[2] * w[2]);
}

double contact_distance_sq(dGeomID a, dGeomID b, const double *point)
{
    dContactGeom c;
    // A pick changes nothing in the world: a failed one only misses.
    try {
        EngineGuardScope guard;
        if (dCollide(a, b, 1, &c, sizeof c) < 1)
            return -1.0;
    } catch (const EngineFault &) {
        return -1.0;
    }
    const double dx = c.pos[0] - point[0], dy = c.pos[1] - point[1], dz = c.pos[2] - point[2];
    return dx * dx + dy * dy + dz * dz;
}

void geom_transform_world(dGeomID transform, double *pos, double *R)
{
    dGeomID inner = dGeomTransformGetGeom(transform);
    const dReal *tp = dGeomGetPosition(transform);
    const dReal *tr = dGeomGetRotation(transform);
    if (!inner) {
        for (int k = 0; k < 3; k++)
            pos[k] = tp[k];
        if (R)
            for (int k = 0; k < 12; k++)
                R[k] = tr[k];
        return;
    }
    const dReal *ip = dGeomGetPosition(inner);
    dVector3 world;
    dMultiply0_331(world, tr, ip);
    for (int k = 0; k < 3; k++)
        pos[k] = tp[k] + world[k];
    if (R) {
        dMatrix3 out;
        dMultiply0_333(out, tr, dGeomGetRotation(inner));
        for (int k = 0; k < 12; k++)
            R[k] = out[k];
    }
}

void geom_world_pose(dGeomID g, double *pos, double *R)
{
    if (dGeomGetClass(g) == dGeomTransformClass) {
        geom_transform_world(g, pos, R);
        return;
    }
    const dReal *p = dGeomGetPosition(g);
    for (int k = 0; k < 3; k++)
        pos[k] = p[k];
    if (R) {
        const dReal *r = dGeomGetRotation(g);
        for (int k = 0; k < 12; k++)
            R[k] = r[k];
    }
}

void rotate_body_keep_geom(dBodyID b, dGeomID g, const dReal *R)
{
    double before[3], after[3];
    geom_world_pose(g, before, nullptr);
    dBodySetRotation(b, R);
    geom_world_pose(g, after, nullptr);
    const dReal *pos = dBodyGetPosition(b);
    dBodySetPosition(b, pos[0] + before[0] - after[0], pos[1] + before[1] - after[1], pos[2] + before[2] - after[2]);
}
