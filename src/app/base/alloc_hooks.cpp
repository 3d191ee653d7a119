#include "app/base/alloc_hooks.h"

#include <cstdlib>

// Main thread only, like the physics world.
static AllocCounters g_counters;

void *counting_alloc(size_t size)
{
    g_counters.allocs++;
    g_counters.bytes_in_use += (uint32_t)size;
    return malloc(size);
}

void *counting_realloc(void *block, size_t old_size, size_t new_size)
{
    g_counters.reallocs++;
    g_counters.bytes_in_use += (uint32_t)new_size - (uint32_t)old_size;
    return realloc(block, new_size);
}

void counting_free(void *block, size_t size)
{
    if (!block)
        return;
    g_counters.frees++;
    g_counters.bytes_in_use -= (uint32_t)size;
    free(block);
}

AllocCounters get_alloc_counters(void)
{
    return g_counters;
}
