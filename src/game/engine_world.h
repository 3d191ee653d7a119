// The engine's resources of the one physics world that a failed step can
// leave in use, made and released with the world: its own threading
// implementation, which runs the step's jobs (the engine's shared one
// would keep the failed step's jobs queued for every later world), and the
// step's working memory, which goes through functions of ours so that the
// blocks a failed step held are freed with its world.
#pragma once
#include <ode/ode.h>

// After dWorldCreate: the world's threading implementation and step memory.
void engine_world_attach(dWorldID world);
// After dWorldDestroy: the threading implementation is freed, or when a
// step failed in it, kept (its queue still holds the failed step's jobs,
// and freeing a queue that is not empty is itself an engine error); the
// step memory the world left is freed.
void engine_world_release(int step_failed);
// A world whose space a failed collision left locked cannot be destroyed:
// every engine call on its bodies and geoms would fail. Its handles are
// kept, reachable and never used again, and the records that point at it
// are forgotten by the caller.
void engine_world_drop(dWorldID world, dSpaceID space, dSpaceID ghost_space, dJointGroupID contacts);
// Counts, for tests: step memory blocks in use, worlds dropped.
int engine_step_blocks_in_use(void);
int engine_dropped_worlds(void);
