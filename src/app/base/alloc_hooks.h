// Functions handed to the physics engine (the world builder installs them
// with dSetAllocHandler and friends): counting allocation functions, and the
// printers of the engine's errors, internal errors and messages. Nothing
// reads the counters but tests and debugging.
#pragma once
#include <cstdarg>
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

// Each prints one line on standard error. The engine itself ends the
// program when the error or the internal-error printer returns; inside a
// guarded call (engine_guard.h) those two throw an EngineFault instead.
// After a message the engine goes on. The counting functions follow the
// blocks a guarded call takes (engine_note_block).
void print_engine_error(int number, const char *format, va_list args);
void print_engine_debug(int number, const char *format, va_list args);
void print_engine_message(int number, const char *format, va_list args);
