#include "game/pose_check.h"
#include <cmath>
#include "game/collision.h"

static bool within(const double *v, double limit)
{
    for (int k = 0; k < 3; k++)
        if (!(std::fabs(v[k]) <= limit))   // NaN fails too
            return false;
    return true;
}

bool pose_position_ok(const double *p) { return within(p, POSE_POSITION_LIMIT); }

bool pose_velocity_ok(const double *v) { return within(v, POSE_VELOCITY_LIMIT); }

// The square length must neither underflow nor overflow: the engine divides
// by its root.
bool pose_quaternion_ok(const double *q)
{
    const double n = q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3];
    return std::isfinite(n) && n > 1e-12;
}

static double dot3(const double *a, const double *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

bool pose_rotation_ok(const double *R)
{
    const double *r0 = R, *r1 = R + 4;
    const double n0 = dot3(r0, r0), n1 = dot3(r1, r1);
    if (!std::isfinite(n0) || !std::isfinite(n1) || !std::isfinite(dot3(R + 8, R + 8)) || n0 <= 1e-12 ||
        n1 <= 1e-12)
        return false;
    // What is left of the second row once the first is taken out of it.
    const double along = dot3(r0, r1) / n0;
    double rest[3];
    for (int k = 0; k < 3; k++)
        rest[k] = r1[k] - along * r0[k];
    return dot3(rest, rest) > 1e-12 * n1;
}

int pose_set_position(dBodyID b, const double *p)
{
    if (!b || !pose_position_ok(p))
        return 1;
    dBodySetPosition(b, p[0], p[1], p[2]);
    return 0;
}

int pose_set_quaternion(dBodyID b, const double *q)
{
    if (!b || !pose_quaternion_ok(q))
        return 1;
    const dQuaternion v = {q[0], q[1], q[2], q[3]};
    dBodySetQuaternion(b, v);
    return 0;
}

int pose_set_linear_vel(dBodyID b, const double *v)
{
    if (!b || !pose_velocity_ok(v))
        return 1;
    dBodySetLinearVel(b, v[0], v[1], v[2]);
    return 0;
}

int pose_set_angular_vel(dBodyID b, const double *v)
{
    if (!b || !pose_velocity_ok(v))
        return 1;
    dBodySetAngularVel(b, v[0], v[1], v[2]);
    return 0;
}

int pose_set_geom(dGeomID g, const double *pos, const double *R)
{
    if (!g || !pose_position_ok(pos) || !pose_rotation_ok(R))
        return 1;
    dGeomSetPosition(g, pos[0], pos[1], pos[2]);
    dGeomSetRotation(g, R);
    return 0;
}

double motor_velocity_bounded(double v)
{
    if (!std::isfinite(v))
        return 0;
    return v < -POSE_VELOCITY_LIMIT ? -POSE_VELOCITY_LIMIT : v > POSE_VELOCITY_LIMIT ? POSE_VELOCITY_LIMIT : v;
}

double motor_force_bounded(double f)
{
    if (!(f > 0))
        return 0;
    return f > MOTOR_FORCE_LIMIT ? MOTOR_FORCE_LIMIT : f;
}
