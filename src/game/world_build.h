// Building the physics world from a ModWorld: the ground, both fighters and
// their ghosts, environment objects and blood drops; resetting and tearing it
// down. The physics operations on fighters are in world_physics.h.
#pragma once
#include <ode/ode.h>
#include "game/body_defs.h"
#include "game/mod_world.h"

// Start-up: categories, default ModWorld with the built-in fighter, replay
// buffer, WorldState defaults (no mod loaded, no game server's match, no
// live rules), then init_world. A game started again after free_game starts
// as the first one did.
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
// What the engine takes in a fighter's definition. Found by building and
// stepping matches from mods at and beyond each value: past these a match
// soon ends in an engine abort (a singular constraint matrix or a rotation
// that no longer normalises). Sizes are each side, or radius and length,
// in metres; masses follow from the density and the size, as the engine
// computes them.
// What breaks a match is a round body that is too wide: a sphere or a
// capsule of radius 20 m or more holds the other fighter deep inside it,
// and the solver's pivots reach zero ("LCP internal error", then a failed
// assertion) at every mass tried, from 1e-3 kg to 1e13 kg. Alone, radius
// 12 m played whole matches at every one of those masses, and so did boxes
// of 30 m sides, one body or several heavy ones joined to each other and to
// bodies of the built-in 0.004 kg; but a sphere of radius 9.99 m beside a
// cylinder of 0.01 by 10 m still ended the engine, and of radius 5 m did
// not. Neither the mass nor the mass ratio across a joint ends the engine,
// so neither is bounded above beyond what the density and the sizes allow
// (at most 2.7e10 kg).
constexpr float BODY_SIDE_MIN = 0.01f;
constexpr float BODY_SIDE_MAX = 30.0f;     // a box's side, a capsule's length
constexpr float BODY_RADIUS_MAX = 5.0f;    // a sphere's or a capsule's radius
constexpr double BODY_MASS_MIN = 1e-4;
constexpr float BODY_DENSITY_MAX = 1e6f;
constexpr float JOINT_RADIUS_MIN = 0.001f;
constexpr float JOINT_RADIUS_MAX = 1.5f;
// A body's force and thrust, on each axis.
constexpr float BODY_PUSH_MAX = 1e5f;
// How far a joint's anchor may lie from each of the two bodies it joins:
// a hinge with a lever longer than a limb tears the solver apart.
constexpr float JOINT_REACH_MAX = 2.0f;

// Checks a definition table against what the engine can take; a bad value
// is reported naming its statement and the built-in row's value kept.
// Returns the number mended.
int sanitize_body_table(BodyDef *rows);
int sanitize_joint_table(JointDef *rows);
// After both: every joint's anchor within JOINT_REACH_MAX of the two bodies
// it joins; else the built-in anchor, and when that is out of reach too,
// the built-in places of both bodies. Returns the number mended.
int sanitize_fighter_reach(BodyDef *bodies, JointDef *joints);
// All three on one player slot's tables.
int sanitize_fighter_tables(BodyDef *bodies, JointDef *joints);
