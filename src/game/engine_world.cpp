#include "game/engine_world.h"

#include <cstdio>
#include <cstdlib>
#include "app/base/engine_guard.h"

enum { STEP_BLOCKS_MAX = 64, DROPPED_WORLDS_MAX = 256, DROPPED_BLOCKS_MAX = 1024 };

// The step memory blocks the engine holds now. A world holds a few (the
// islands' arena and one per stepping thread).
static void *g_blocks[STEP_BLOCKS_MAX];
static int g_block_count;
static dThreadingImplementationID g_threading;

// Implementations and worlds left by failed steps: kept here, so they stay
// reachable, and never touched again. Only ever written, so marked used,
// which keeps the compiler from dropping the stores.
struct DroppedWorld {
    dWorldID world;
    dSpaceID space, ghost_space;
    dJointGroupID contacts;
};
__attribute__((used)) static dThreadingImplementationID g_kept_threading[DROPPED_WORLDS_MAX];
static int g_kept_threading_count;
__attribute__((used)) static DroppedWorld g_dropped[DROPPED_WORLDS_MAX];
static int g_dropped_count;
__attribute__((used)) static void *g_dropped_blocks[DROPPED_BLOCKS_MAX];
static int g_dropped_block_count;

static void note_step_block(void *block)
{
    if (g_block_count < STEP_BLOCKS_MAX) {
        g_blocks[g_block_count++] = block;
        return;
    }
    // Not followed: freed by the engine, or kept when its world failed.
    engine_note_block(block);
}

static void forget_step_block(void *block)
{
    for (int k = 0; k < g_block_count; k++)
        if (g_blocks[k] == block) {
            g_blocks[k] = g_blocks[--g_block_count];
            return;
        }
}

static void *step_alloc(size_t size)
{
    void *block = malloc(size);
    if (block)
        note_step_block(block);
    return block;
}

static void *step_shrink(void *block, size_t, size_t new_size)
{
    void *moved = realloc(block, new_size);
    if (moved && moved != block) {
        forget_step_block(block);
        note_step_block(moved);
    }
    return moved;
}

static void step_free(void *block, size_t)
{
    forget_step_block(block);
    free(block);
}

static const dWorldStepMemoryFunctionsInfo k_step_memory = {sizeof(dWorldStepMemoryFunctionsInfo), step_alloc,
                                                             step_shrink, step_free};

void engine_world_attach(dWorldID world)
{
    dWorldSetStepMemoryManager(world, &k_step_memory);
    g_threading = dThreadingAllocateSelfThreadedImplementation();
    if (g_threading)
        dWorldSetStepThreadingImplementation(world, dThreadingImplementationGetFunctions(g_threading), g_threading);
}

static void keep_threading(dThreadingImplementationID impl)
{
    if (g_kept_threading_count < DROPPED_WORLDS_MAX) {
        g_kept_threading[g_kept_threading_count++] = impl;
        return;
    }
    fprintf(stderr, "%d failed physics steps: no room to keep another\n", g_kept_threading_count);
}

void engine_world_release(int step_failed)
{
    if (g_threading) {
        if (step_failed)
            keep_threading(g_threading);
        else
            dThreadingFreeImplementation(g_threading);
        g_threading = nullptr;
    }
    // What the destroyed world still held was the failed step's: no record
    // of the engine's that is used again points at it.
    while (g_block_count > 0)
        free(g_blocks[--g_block_count]);
}

void engine_world_drop(dWorldID world, dSpaceID space, dSpaceID ghost_space, dJointGroupID contacts)
{
    if (g_dropped_count < DROPPED_WORLDS_MAX)
        g_dropped[g_dropped_count++] = {world, space, ghost_space, contacts};
    else
        fprintf(stderr, "%d physics worlds dropped: no room to keep another\n", g_dropped_count);
    // The dropped world's step memory stays with it.
    for (int k = 0; k < g_block_count && g_dropped_block_count < DROPPED_BLOCKS_MAX; k++)
        g_dropped_blocks[g_dropped_block_count++] = g_blocks[k];
    g_block_count = 0;
    if (g_threading) {
        keep_threading(g_threading);
        g_threading = nullptr;
    }
}

int engine_step_blocks_in_use(void) { return g_block_count; }
int engine_dropped_worlds(void) { return g_dropped_count; }
