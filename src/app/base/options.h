// The option table: 65 named integer options read by row number everywhere,
// the eighteen settings that default.cfg and the Setup window handle, the
// graphics reload counter, the command line and its usage text.
#pragma once
#include <cstdint>
#include <cstdio>

enum OptionRowIndex {
    OPT_ALTIMETER = 0,
    OPT_SPEEDOMETER = 1,
    OPT_HUD = 2,
    OPT_GUI = 3,
    OPT_SCORE = 4,
    OPT_TIMER = 5,
    OPT_CHAT = 6,
    OPT_SPECTATOR = 7,
    OPT_DEBUG = 8,
    OPT_NAME = 9,
    OPT_EMOTE = 10,
    OPT_BUTTON = 11,
    OPT_TEXT = 12,
    OPT_HINT = 13,
    OPT_FEEDBACK = 14,
    OPT_MESSAGE = 15,
    OPT_INFO = 16,
    OPT_CURSOR = 17,
    OPT_ZUD = 18,
    OPT_VAKO = 19,
    OPT_BLOOD = 20,
    OPT_SOUND = 21,
    OPT_MOUSEBUTTONS = 22,
    OPT_BACKGROUNDCLICK = 23,
    OPT_RUMBLE = 24,
    OPT_SMARTCAM = 25,
    OPT_WIDTH = 26,
    OPT_HEIGHT = 27,
    OPT_ANTIALIASING = 28,
    OPT_BENCHMARK = 29,
    OPT_FULLSCREEN = 30,
    OPT_AUTOSAVE = 31,
    OPT_REMEMBERRULES = 32,
    OPT_JOINTSOUND = 33,
    OPT_AUTOUPDATE = 34,
    OPT_BRUISE = 35,
    OPT_MOTIONBLUR = 36,
    OPT_BLOODSTAINS = 37,
    OPT_EXHIBITION = 38,
    OPT_REFLECTION = 39,
    OPT_SMOOTHCAM = 40,
    OPT_FRAMERATE = 41,
    OPT_AVATAR = 42,
    OPT_FLUID = 43,
    OPT_SOFTSHADOW = 44,
    OPT_AMBIENTOCCLUSION = 45,
    OPT_BUMPMAPPING = 46,
    OPT_DEPTHOFFIELD = 47,
    OPT_ANAGLYPHIC = 48,
    OPT_SHADERS = 49,
    OPT_NORELOAD = 50,
    OPT_EQUIPMENT = 51,
    OPT_MONEY = 52,
    OPT_TURNALERT = 53,
    OPT_BEGINNER = 54,
    OPT_ANIMATEDHEAD = 55,
    OPT_FLOORTEXTURE = 56,
    OPT_FIXEDFRAMERATE = 57,
    OPT_PARTICLES = 58,
    OPT_TRAILS = 59,
    OPT_KEYFRAMES = 60,
    OPT_GHOSTCACHE = 61,
    OPT_PLAYERCACHE = 62,
    OPT_CHATCACHE = 63,
    OPT_RAYTRACING = 64,    OPTION_COUNT = 65,
};

struct OptionRow {
    const char *name;     // null in the terminating row
    int32_t value;        // the live value all code reads
    int32_t takes_value;  // 1: followed by a number on the command line; 0: a flag
    int32_t id;
};

// The 65 rows and the terminating row.
OptionRow *option_table(void);
// Live value of a row (0 for a row outside the table) and its setter.
int option_get(int row);
void option_set(int row, int value);
// Row of an option name (exact, case-sensitive), -1 when none.
int option_find(const char *name);
enum { OPTION_WIDTH_MIN = 321, OPTION_HEIGHT_MIN = 241, OPTION_SIZE_MAX = 2047 };

// The scripts' setter: 0 set, the value held to the option's range (see
// option_bound); 1 no such option; 2 a renderer feature (fluid .. shaders)
// the renderer must switch itself (the Setup window, configuration file and
// capability checks), left unchanged.
int set_option_by_name(const char *name, int value);
// The lowest and highest value of a row: 0 and 1 for an on/off option.
void option_range(int row, int *lo, int *hi);
// value held to the row's range: the nearer bound when outside; the frame
// rate is 60 only for 60, else 30.
int option_bound(int row, int value);

// The usage text with every option and its current value.
void write_usage(FILE *out);
// Prints the usage on standard output and ends the process with status 1.
[[noreturn]] void print_usage(void);
