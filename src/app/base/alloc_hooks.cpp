#include "app/base/alloc_hooks.h"

#include <cstdio>
#include <cstdlib>
#include "app/base/engine_guard.h"

// Main thread only, like the physics world.
static AllocCounters g_counters;

void *counting_alloc(size_t size)
{
    g_counters.allocs++;
    g_counters.bytes_in_use += (uint32_t)size;
    void *block = malloc(size);
    engine_note_block(block);
    return block;
}

void *counting_realloc(void *block, size_t old_size, size_t new_size)
{
    g_counters.reallocs++;
    g_counters.bytes_in_use += (uint32_t)new_size - (uint32_t)old_size;
    engine_forget_block(block);
    void *moved = realloc(block, new_size);
    engine_note_block(moved);
    return moved;
}

void counting_free(void *block, size_t size)
{
    if (!block)
        return;
    g_counters.frees++;
    g_counters.bytes_in_use -= (uint32_t)size;
    engine_forget_block(block);
    free(block);
}

AllocCounters get_alloc_counters(void)
{
    return g_counters;
}

static void format_engine_line(EngineFault *f, const char *what, int number, const char *format, va_list args)
{
    vsnprintf(f->text, sizeof f->text, format ? format : "", args);
    f->number = number;
    fprintf(stderr, "Physics engine %s %d: %s\n", what, number, f->text);
    fflush(stderr);
}

// Inside a guarded call the fault goes to the guard; outside, the engine
// ends the program once the printer returns.
static void engine_cannot_go_on(const EngineFault &f)
{
    if (engine_guarded())
        throw f;
    fprintf(stderr, "The physics engine cannot go on and ends the program\n");
    fflush(stderr);
}

void print_engine_error(int number, const char *format, va_list args)
{
    EngineFault f;
    format_engine_line(&f, "error", number, format, args);
    engine_cannot_go_on(f);
}

void print_engine_debug(int number, const char *format, va_list args)
{
    EngineFault f;
    format_engine_line(&f, "internal error", number, format, args);
    engine_cannot_go_on(f);
}

void print_engine_message(int number, const char *format, va_list args)
{
    EngineFault f;
    format_engine_line(&f, "message", number, format, args);
}
