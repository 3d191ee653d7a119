#include "app/base/engine_guard.h"

#include <cstdio>

static int g_depth;
static void *g_step_blocks[ENGINE_STEP_BLOCKS];
static int g_step_count;
// Reachable from here for as long as the program runs: only ever written,
// so marked used, which keeps the compiler from dropping the stores.
__attribute__((used)) static void *g_kept[ENGINE_KEPT_BLOCKS];
static int g_kept_count;

void engine_guard_enter(void)
{
    if (g_depth++ == 0)
        g_step_count = 0;
}

void engine_guard_leave(void)
{
    if (g_depth > 0)
        g_depth--;
}

int engine_guarded(void) { return g_depth > 0; }

void engine_note_block(void *block)
{
    if (g_depth > 0 && block && g_step_count < ENGINE_STEP_BLOCKS)
        g_step_blocks[g_step_count++] = block;
}

void engine_forget_block(void *block)
{
    for (int k = 0; k < g_step_count; k++)
        if (g_step_blocks[k] == block) {
            g_step_blocks[k] = g_step_blocks[--g_step_count];
            return;
        }
}

int engine_keep_step_blocks(void)
{
    int kept = 0;
    for (int k = 0; k < g_step_count; k++) {
        if (g_kept_count == ENGINE_KEPT_BLOCKS) {
            fprintf(stderr, "%d blocks of failed physics steps kept: no room for more\n", g_kept_count);
            break;
        }
        g_kept[g_kept_count++] = g_step_blocks[k];
        kept++;
    }
    g_step_count = 0;
    return kept;
}

int engine_kept_block_count(void) { return g_kept_count; }
