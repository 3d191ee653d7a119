#include "app/options.h"

#include <cstdlib>
#include <cstring>

#include "app/sound.h"
#include "app/text.h"
#include "app/utils.h"

static OptionRow g_options[OPTION_COUNT + 1] = {
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

static const SettingRow k_settings[SETTINGS_COUNT + 1] = {
    {0, "mousebuttons", "Mouse Buttons", SETTING_NUMBER},
    {1, "backgroundclick", "Background Click", SETTING_ONOFF},
    {2, "volume", "Volume", SETTING_NUMBER},
    {3, "fullscreen", "Fullscreen", SETTING_ONOFF},
    {4, "autosave_rpl", "Autosave replays", SETTING_ONOFF},
    {5, "rememberrules", "Remember Game Rules", SETTING_ONOFF},
    {6, "framerate", "Frame Rate (30,60)", SETTING_NUMBER},
    {7, "shaders", "Shaders", SETTING_ONOFF},
    {8, "fluid", "    Fluid Blood", SETTING_ONOFF},
    {9, "reflection", "    Reflections", SETTING_ONOFF},
    {10, "softshadow", "    Soft Shadows", SETTING_ONOFF},
    {11, "ambientocclusion", "    Ambient Occlusion", SETTING_ONOFF},
    {12, "bumpmapping", "    Bump-mapping", SETTING_ONOFF},
    {13, "raytracing", "    Ray Tracing", SETTING_ONOFF},
    {14, "noreload", "Disable Graphics Reloading", SETTING_ONOFF},
    {15, "width", "Window Width ", SETTING_NUMBER},
    {16, "height", "Window Height", SETTING_NUMBER},
    {17, "beginner", "Beginner", SETTING_NUMBER},
    {0, nullptr, nullptr, 0},
};

static int g_reload_count;
static int g_shader_path;

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

const SettingRow *settings_table(void) { return k_settings; }

int graphics_reload_count(void) { return g_reload_count; }
void graphics_reload_reset(void) { g_reload_count = 0; }

int shader_path_on(void) { return g_shader_path; }
void shader_path_set(int on) { g_shader_path = on ? 1 : 0; }

// The row that settings 3..17 map to (-1: handled apart).
static const int k_setting_rows[SETTINGS_COUNT] = {
    OPT_MOUSEBUTTONS, OPT_BACKGROUNDCLICK, -1, OPT_FULLSCREEN, OPT_AUTOSAVE,
    OPT_REMEMBERRULES, OPT_FRAMERATE, -1, OPT_FLUID, OPT_REFLECTION, OPT_SOFTSHADOW,
    OPT_AMBIENTOCCLUSION, OPT_BUMPMAPPING, OPT_RAYTRACING, OPT_NORELOAD, OPT_WIDTH,
    OPT_HEIGHT, OPT_BEGINNER,
};

int option_get_text(int index, char *dst, int size)
{
    if (!dst || size < 1)
        return 1;
    dst[0] = '\0';
    if (index < 0 || index >= SETTINGS_COUNT)
        return 1;
    int value;
    switch (index) {
    // The volume the player chose, also while sound is off or the audio
    // device failed, so that saving the settings never turns it into 0.
    case 2: value = sound_stored_volume(); break;
    case 6: value = g_options[OPT_FRAMERATE].value == 60 ? 60 : 30; break;
    case 7: value = shader_path_on(); break;
    default: value = g_options[k_setting_rows[index]].value; break;
    }
    snprintf(dst, (size_t)size, "%i", value);
    return 0;
}

void option_set_text(int index, const char *text)
{
    if (index < 0 || index >= SETTINGS_COUNT)
        return;
    const int n = text_to_int32(text);
    const int on = n == 1;
    int *v = k_setting_rows[index] >= 0 ? &g_options[k_setting_rows[index]].value : nullptr;
    switch (index) {
    case 0: *v = n; break;
    case 1: *v = n < 0 ? 0 : n > 1 ? 1 : n; break;
    case 2: sound_set_volume(n); break;
    case 3: *v = n; g_reload_count++; break;
    case 4: case 5: case 13: case 17: *v = on; break;
    case 6: *v = n == 60 ? 60 : 30; break;
    case 7:
        // The value given is taken, not toggled: a stored 2 cannot invert it.
        if (shader_path_on() != on || g_options[OPT_SHADERS].value != on) {
            shader_path_set(on);
            g_options[OPT_SHADERS].value = on;
        }
        if (g_options[OPT_SHADERS].value == 1)
            g_reload_count++;
        break;
    case 8: case 9: case 10: case 11: case 12:
        if (*v != on) {
            *v = on;
            g_reload_count++;
        }
        break;
    case 14: *v = on; break;
    case 15:
        if (n >= OPTION_WIDTH_MIN && n <= OPTION_SIZE_MAX) {
            *v = n;
            g_reload_count++;
        }
        break;
    case 16:
        if (n >= OPTION_HEIGHT_MIN && n <= OPTION_SIZE_MAX) {
            *v = n;
            g_reload_count++;
        }
        break;
    }
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
