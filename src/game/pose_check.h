// The one check on poses that go into the physics engine from stored or
// received values (replay frames, server state, the frame cache, the ghost
// trail and copy, stances). The engine ends the program on a rotation it
// cannot normalise, and a position beyond the world cannot be indexed by the
// collision space; such a value is refused and the body or geom keeps its
// state.
#pragma once
#include <ode/ode.h>

// Places a stored, received or modded pose may give a body, in metres on
// each axis: far inside WORLD_POSITION_LIMIT. Out there a double holds too
// few digits below the metre for two bodies close together: a sphere just
// outside a box gets a contact normal of length zero and the engine ends
// the program. Bodies the match itself carries far are only kept in the
// world; a pose put there by a line or a file lets a break (which makes a
// fighter's bodies collide with one another) bring that about.
constexpr double POSE_POSITION_LIMIT = 1e3;

// Velocities a stored or received state may give a body, in metres or
// radians per second on each axis.
constexpr double POSE_VELOCITY_LIMIT = 1e4;

// The largest motor force limit any joint may take, from a table, a mod, rpg
// statistics or a server. Far above any joint's strength; beyond it the
// engine's torques overflow to infinity in one step on the lightest bodies
// and the step ends the program.
constexpr double MOTOR_FORCE_LIMIT = 1e6;
// The stops a hinge may be given, in radians either way. A hinge's angle
// lies within pi; a stop far beyond it, when both stops lie on one side,
// holds the hinge against an error the size of the stop: from 1e10 the
// solver fails, from 1e20 the engine ends the program.
constexpr float HINGE_STOP_LIMIT = 100.0f;
// A motor's speed (and force limit) held to what the engine can take: a
// non-finite value gives 0, others are cut to +-POSE_VELOCITY_LIMIT
// (0..MOTOR_FORCE_LIMIT for the force limit).
double motor_velocity_bounded(double v);
double motor_force_bounded(double f);

// Finite and within POSE_POSITION_LIMIT on each axis.
bool pose_position_ok(const double *p);
// Finite and within POSE_VELOCITY_LIMIT on each axis.
bool pose_velocity_ok(const double *v);
// A quaternion (w, x, y, z) the engine can normalise.
bool pose_quaternion_ok(const double *q);
// A rotation matrix (3 rows of 4) the engine can orthonormalise: finite,
// its first row not zero and its second not parallel to the first.
bool pose_rotation_ok(const double *R);

// Setters: 0 when set, 1 when refused (nothing changed).
int pose_set_position(dBodyID b, const double *p);
int pose_set_quaternion(dBodyID b, const double *q);
int pose_set_linear_vel(dBodyID b, const double *v);
int pose_set_angular_vel(dBodyID b, const double *v);
// A placeable geom (and its body) at a position and rotation: both or none.
int pose_set_geom(dGeomID g, const double *pos, const double *R);
