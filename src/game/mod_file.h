// Mod files: the loaders of "data/mod/%s" and of a player's overlay
// "custom/%s/rpg.kxm", and the hand-over of the loaded record to the world
// build. The statement language that describes a world (fighters' bodies and
// joints per player, environment objects and the joints between them, world
// friction and colours, game rules) is in mod_statements.h; the writers of
// mod text are in mod_export.h.
#pragma once
#include "game/mod_world.h"

// The record loads fill and build_mod_world hands out.
ModWorld *get_loaded_mod_world(void);

// Reads "data/mod/<name>": 0 read, 1 "Unable to open mod data/mod/%s"
// (also for a name that is not a safe relative path).
int load_mod(const char *name);
// Reads "custom/<name>/rpg.kxm" for player 0 or 1 on top of what is loaded;
// it changes only that player's bodies and joints. 0 read, 1 not.
int load_rpg_mod(int player, const char *name);
// Points the loaded record's four player slots at the players' tables and
// checks every value the physics engine needs; null, with a message, when
// the game state has no players (or more than two).
ModWorld *build_mod_world(void);
// A new match: default objects (friction 0), no object joints, the built-in
// fighter in both players' tables. World settings stay.
void reset_env_objects(void);
