#include "app/base/clock.h"

#include <atomic>
#include <time.h>

static uint32_t monotonic_ms(void)
{
    static const uint64_t start = [] {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return (uint64_t)ts.tv_sec * 1000u + (uint64_t)ts.tv_nsec / 1000000u;
    }();
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t now = (uint64_t)ts.tv_sec * 1000u + (uint64_t)ts.tv_nsec / 1000000u;
    return (uint32_t)(now - start);
}

static std::atomic<ClockSource> g_source{monotonic_ms};

uint32_t clock_ms(void)
{
    return g_source.load()();
}

void clock_set_source(ClockSource source)
{
    g_source.store(source ? source : monotonic_ms);
}
