#include "gui/services/centerprint.h"

#include <cstring>

#include "app/base/clock.h"
#include "app/base/text.h"
#include "app/base/text_encoding.h"

static CenterPrint center;

void centerprint(WorldState *, int mode, int colour, int seconds,
                 const char *line1, const char *line2, const char *line3)
{
    const char *src[CENTERPRINT_LINES] = {line1, line2, line3};
    for (int i = 0; i < CENTERPRINT_LINES; i++)
        utf8_strncpyz(center.lines[i], CENTERPRINT_LINE_SIZE, src[i]);
    if (seconds < 0)
        seconds = 0;
    if (seconds > CENTERPRINT_MAX_SECONDS)
        seconds = CENTERPRINT_MAX_SECONDS;
    center.mode = mode;
    center.colour = colour;
    center.start_ms = clock_ms();
    center.duration_ms = (uint32_t)seconds * 1000u;
}

void centerprint_clear(void)
{
    memset(&center, 0, sizeof center);
}

int centerprint_active(void)
{
    if (center.duration_ms == 0)
        return 0;
    // Unsigned difference: correct across a wrap of the millisecond clock.
    uint32_t elapsed = clock_ms() - center.start_ms;
    return elapsed < center.duration_ms;
}

const CenterPrint *centerprint_state(void)
{
    return &center;
}
