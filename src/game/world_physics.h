// Physics operations on fighters: forces, masses, drag, moving and turning;
// geom poses; one physics step of the live world.
#pragma once
#include <ode/ode.h>

// Collide the live space, one world step, empty the contact group, with
// the engine guarded: 0, or 1 when the engine failed (engine_step.h).
int world_physics_step(void);

void apply_world_forces(void);
int move_player(int i, double x, double y, double z);
// Turns every body about the vertical axis through body 0.
int turn_player(int i, double degrees);
// Negates every body's x and y, turns each orientation by the angle, then
// moves the fighter back so body 0 keeps its position: a half turn about
// body 0 for an angle of 180 (or -180) degrees. Any other angle would turn
// the places and the orientations apart; turn_player turns by it.
int turn_player_mirrored(int i, double degrees);
int set_fighter_masses(int i);
void air_drag(dBodyID b);
// Squared distance from point to the first contact of a and b; -1 when apart.
double contact_distance_sq(dGeomID a, dGeomID b, const double *point);
// World position (and rotation, when R is given) of the geom in a transform.
void geom_transform_world(dGeomID transform, double *pos, double *R);
// World position (and rotation, when R is given) of any geom, a transform
// included.
void geom_world_pose(dGeomID g, double *pos, double *R);
// Sets the body's rotation to R while geom g keeps its world position.
void rotate_body_keep_geom(dBodyID b, dGeomID g, const dReal *R);
// Turns a body (position and orientation) about the vertical axis through pivot.
void turn_body_about_vertical(dBodyID b, const double *pivot, double radians);
