// The one millisecond clock of the program. The running game reads SDL's tick
// count; tests install a clock they drive themselves.
#pragma once
#include <cstdint>

typedef uint32_t (*ClockSource)(void);

// Milliseconds since an arbitrary start; never goes backwards for one source.
uint32_t clock_ms(void);

// Replaces the clock; nullptr restores the default monotonic clock.
void clock_set_source(ClockSource source);
