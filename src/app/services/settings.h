// The Setup window's settings: keys, labels, and their values as text.
#pragma once
#include <cstdint>

enum SettingKind { SETTING_ONOFF = 1, SETTING_NUMBER = 2 };
enum { SETTINGS_COUNT = 18 };

struct SettingRow {
    int32_t index;
    const char *key;      // the default.cfg key; null in the terminating row
    const char *label;    // the Setup window's text
    int32_t kind;         // SettingKind
};

const SettingRow *settings_table(void);

// Text of setting index (0..17): 0 and the text in dst, else 1 and "".
int option_get_text(int index, char *dst, int size);
// Sets setting index (0..17) from text; other indices do nothing.
void option_set_text(int index, const char *text);

// Raised by option_set_text when the video mode must be rebuilt.
int graphics_reload_count(void);
// One more reload asked for.
void graphics_reload_request(void);
void graphics_reload_reset(void);

// The shader-path flag: what the renderer runs with (its start-up sets it
// from the outcome), or what the player asked for since. Setting 7 reads
// it, so the configuration keeps the path that really ran; setting 7 and
// toggle_shaders change it together with the option.
int shader_path_on(void);
void shader_path_set(int on);
