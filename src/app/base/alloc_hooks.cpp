#include "app/base/alloc_hooks.h"

#include <cstdio>
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

static void print_engine_line(const char *what, int number, const char *format, va_list args)
{
    char text[512];
    vsnprintf(text, sizeof text, format ? format : "", args);
    fprintf(stderr, "Physics engine %s %d: %s\n", what, number, text);
    fflush(stderr);
}

void print_engine_error(int number, const char *format, va_list args)
{
    print_engine_line("error", number, format, args);
    fprintf(stderr, "The physics engine cannot go on and ends the program\n");
    fflush(stderr);
}

void print_engine_debug(int number, const char *format, va_list args)
{
    print_engine_line("internal error", number, format, args);
    fprintf(stderr, "The physics engine cannot go on and ends the program\n");
    fflush(stderr);
}

void print_engine_message(int number, const char *format, va_list args)
{
    print_engine_line("message", number, format, args);
}
