// Writing mod text: a world and the live rules as a `gamerule` block.
#pragma once
#include "game/mod_world.h"

// The world as mod text, "\r\n" line ends. 0 written, 1 "Unable to open %s %s".
int write_mod_file(const ModWorld *world, const char *path);
// The live rules as a `gamerule` block. 0 written, 1 as above.
int write_gamerule_file(const char *path);
