// Building the physics world from a ModWorld: the ground, both fighters and
// their ghosts, environment objects and blood drops; resetting and tearing it
// down. The physics operations on fighters are in world_physics.h.
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
