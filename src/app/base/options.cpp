#include "app/base/options.h"

#include <cstdlib>
#include <cstring>

#include "app/base/text.h"

// Every option by row number, closed by an empty row.
typedef OptionRow OptionTable[OPTION_COUNT + 1];
static OptionTable g_options = {
    {"altimeter", 0, 1, 1},
    {"speedometer", 0, 1, 2},
    {"hud", 1, 1, 3},
    {"gui", 1, 1, 4},
    {"score", 1, 1, 5},
    {"timer", 1, 1, 6},
    {"chat", 1, 1, 7},
    {"spectator", 1, 1, 8},
    {"debug", 0, 1, 9},
    {"name", 1, 1, 10},
    {"emote", 1, 1, 11},
    {"button", 0, 1, 12},
    {"text", 1, 1, 13},
    {"hint", 1, 1, 14},
    {"feedback", 1, 1, 15},
    {"message", 1, 1, 16},
    {"info", 1, 1, 17},
    {"cursor", 0, 1, 18},
    {"zud", 1, 1, 19},
    {"vako", 1, 1, 20},
    {"blood", 1, 1, 21},
    {"sound", 1, 1, 22},
    {"mousebuttons", 3, 1, 23},
    {"backgroundclick", 1, 1, 24},
    {"rumble", 0, 1, 25},
    {"smartcam", 0, 1, 26},
    {"width", 960, 1, 27},
    {"height", 540, 1, 28},
    {"antialiasing", 1, 1, 29},
    {"benchmark", 0, 1, 30},
    {"fullscreen", 0, 1, 31},
    {"autosave", 1, 1, 32},
    {"rememberrules", 0, 1, 33},
    {"jointsound", 0, 1, 34},
    {"autoupdate", 1, 1, 35},
    {"bruise", 1, 1, 36},
    {"motionblur", 0, 1, 37},
    {"bloodstains", 1, 1, 38},
    {"exhibition", 0, 1, 39},
    {"reflection", 1, 1, 40},
    {"smoothcam", 1, 1, 41},
    {"framerate", 30, 1, 42},
    {"avatar", 1, 1, 43},
    {"fluid", 1, 1, 44},
    {"softshadow", 1, 1, 45},
    {"ambientocclusion", 1, 1, 46},
    {"bumpmapping", 1, 1, 47},
    {"depthoffield", 0, 0, 48},
    {"anaglyphic", 0, 0, 49},
    {"shaders", 0, 1, 50},
    {"noreload", 1, 0, 51},
    {"equipment", 1, 1, 52},
    {"money", 1, 1, 53},
    {"turnalert", 1, 1, 54},
    {"beginner", 1, 1, 55},
    {"animatedhead", 0, 1, 56},
    {"floortexture", 1, 1, 57},
    {"fixedframerate", 1, 1, 58},
    {"particles", 1, 1, 59},
    {"trails", 1, 1, 60},
    {"keyframes", 0, 1, 61},
    {"ghostcache", 0, 1, 62},
    {"playercache", 0, 1, 63},
    {"chatcache", 1, 1, 64},
    {"raytracing", 0, 0, -1},    {nullptr, 0, 0, 0},
};

OptionRow *option_table(void) { return g_options; }

int option_get(int row)
{
    return row >= 0 && row < OPTION_COUNT ? g_options[row].value : 0;
}

void option_set(int row, int value)
{
    if (row >= 0 && row < OPTION_COUNT)
        g_options[row].value = value;
}

int option_find(const char *name)
{
    if (!name)
        return -1;
    for (int i = 0; g_options[i].name; i++) {
        if (strcmp(g_options[i].name, name) == 0)
            return i;
    }
    return -1;
}




// The values an option takes where they are more than off and on (0 and
// 1). Bounds are inclusive; the frame rate is one of its two ends.
struct OptionRange {
    int row;
    int32_t lo, hi;
};
static const OptionRange k_option_ranges[] = {
    {OPT_MOUSEBUTTONS, 1, 3},       // the three ways a click changes a joint
    {OPT_WIDTH, OPTION_WIDTH_MIN, OPTION_SIZE_MAX},
    {OPT_HEIGHT, OPTION_HEIGHT_MIN, OPTION_SIZE_MAX},
    {OPT_FRAMERATE, 30, 60},
    {OPT_CHATCACHE, 0, 3},          // live, or one of the three caches
};

void option_range(int row, int *lo, int *hi)
{
    *lo = 0;
    *hi = 1;
    for (const OptionRange &r : k_option_ranges) {
        if (r.row == row) {
            *lo = r.lo;
            *hi = r.hi;
        }
    }
}

int option_bound(int row, int value)
{
    int lo, hi;
    option_range(row, &lo, &hi);
    if (row == OPT_FRAMERATE)       // as the configuration file reads it
        return value == hi ? hi : lo;
    return value < lo ? lo : value > hi ? hi : value;
}

int set_option_by_name(const char *name, int value)
{
    const int row = option_find(name);
    if (row < 0)
        return 1;
    if (row >= OPT_FLUID && row <= OPT_SHADERS)
        return 2;
    g_options[row].value = option_bound(row, value);
    return 0;
}

void write_usage(FILE *out)
{
    fprintf(out, "%s\n%s\n\n", "3.9", "Kaelmund: report problems to the Kaelmund developers");
    fprintf(out, "Usage: kaelmund [options] [<replay.rpl>]\n\nOptions:\n");
    for (int i = 0; g_options[i].name; i++) {
        if (g_options[i].takes_value)
            fprintf(out, "   -%s %i\n", g_options[i].name, (int)g_options[i].value);
        else
            fprintf(out, "   -%s\n", g_options[i].name);
    }
}

void print_usage(void)
{
    write_usage(stdout);
    fflush(stdout);
    exit(1);
}
