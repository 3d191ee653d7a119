// Counting allocation functions handed to the physics engine (the world
// builder installs them with dSetAllocHandler and friends). Nothing reads
// the counters but tests and debugging.
#pragma once
#include <cstddef>
#include <cstdint>

struct AllocCounters {
    uint32_t allocs;
    uint32_t bytes_in_use;
    uint32_t reallocs;
    uint32_t frees;
};

void *counting_alloc(size_t size);
void *counting_realloc(void *block, size_t old_size, size_t new_size);
void counting_free(void *block, size_t size);
AllocCounters get_alloc_counters(void);
