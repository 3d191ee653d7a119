// The Setup window's 18 settings: their default.cfg keys and labels, and
// reading and writing each as text. Most map to an option row; the volume
// belongs to the sound core, the shader path to the renderer's flag.
#include "app/services/settings.h"
#include "app/services/option_toggles.h"

#include <cstdio>

#include "app/base/options.h"
#include "app/base/number_text.h"
#include "app/services/sound.h"

typedef SettingRow SettingsTable[SETTINGS_COUNT + 1];
static const SettingsTable k_settings = {
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

const SettingRow *settings_table(void) { return k_settings; }
int graphics_reload_count(void) { return g_reload_count; }
void graphics_reload_request(void) { g_reload_count++; }
void graphics_reload_reset(void) { g_reload_count = 0; }
int shader_path_on(void) { return g_shader_path; }
void shader_path_set(int on) { g_shader_path = on ? 1 : 0; }

// The row that settings 3..17 map to (-1: handled apart).
static const char *const k_toggle_names[] = {"fluid", "reflection", "softshadow", "ambientocclusion",
                                             "bumpmapping"};

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
    case 6: value = option_table()[OPT_FRAMERATE].value == 60 ? 60 : 30; break;
    case 7: value = shader_path_on(); break;
    default: value = option_table()[k_setting_rows[index]].value; break;
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
    int *v = k_setting_rows[index] >= 0 ? &option_table()[k_setting_rows[index]].value : nullptr;
    switch (index) {
    case 0: *v = n; break;
    case 1: *v = n < 0 ? 0 : n > 1 ? 1 : n; break;
    case 2: sound_set_volume(n); break;
    // An on/off setting: any other number is bounded to the nearer one.
    case 3: *v = n < 0 ? 0 : n > 1 ? 1 : n; g_reload_count++; break;
    case 4: case 5: case 13: case 17: *v = on; break;
    case 6: *v = n == 60 ? 60 : 30; break;
    case 7:
        // Only a change of the shader path switches the option with it. Read
        // before the window opens (no path running yet), a saved "0" leaves
        // the command line's -shaders 1 in place.
        if (shader_path_on() != on)
            toggle_shaders();
        if (option_table()[OPT_SHADERS].value == 1)
            g_reload_count++;
        break;
    case 8: case 9: case 10: case 11: case 12:
        // Through the option's toggle (which asks for the reload); a value
        // other than 0 and 1 already on or off is only put right.
        if ((*v != 0) != (on != 0))
            toggle_option(k_toggle_names[index - 8]);
        *v = on;
        break;
    case 14:
        if ((*v != 0) != (on != 0))
            toggle_noreload();
        *v = on;
        break;
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
