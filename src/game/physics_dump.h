// A file dump of the physics state, for diagnosing a match: nothing in the
// game calls it.
#pragma once

// Writes every fighter's injury, each joint's motor (its limit force and
// velocity, its state and the feedback the engine gave it last step) and
// each body's force, torque, velocity, position, angular velocity, mass,
// the joint that moves it and its hit value. Returns 0, or 1 after printing
// "Unable to open <path> <reason>" when the file cannot be written (a file
// already there is then kept).
int dump_physics_state(const char *path);
