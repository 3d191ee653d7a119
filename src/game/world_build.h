// Building the physics world from a ModWorld: the ground, both fighters and
// their ghosts, environment objects and blood drops; resetting and tearing it
// down; the physics operations on fighters.
#pragma once
#include <ode/ode.h>
#include "game/body_defs.h"
#include "game/mod_world.h"

// Start-up: categories, default ModWorld with the built-in fighter, replay
// buffer, WorldState defaults, then init_world.
int init_game(void);
// Builds the world from m (copied into the active ModWorld). Returns 0.
int init_world(const ModWorld *m);
// Deletes everything init_world made and closes the engine.
void destroy_world(void);
// destroy_world and the replay buffer.
void free_game(void);
int create_fighter(BodyDef *bodies, JointDef *joints, int index, const char *name,
                   dSpaceID space, double ox, double oy, double oz, int category, int collide);
void reset_fighters(void);
// Ghost and preview switching: bodies and geoms disabled and hidden, or back.
void player_switch_off(int i);
void player_switch_on(int i);
// Checks a definition table against what the engine can take; a bad value
// is reported and the built-in row's value kept. Returns the number mended.
int sanitize_body_table(BodyDef *rows);
int sanitize_joint_table(JointDef *rows);

void apply_world_forces(void);
int move_player(int i, double x, double y, double z);
// Turns every body about the vertical axis through body 0.
int turn_player(int i, double degrees);
// Negates every body's x and y, turns each orientation by the angle, then
// moves the fighter back so body 0 keeps its position.
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
