// The named colour table: 125 rows that drawing, the HUD, the text markup,
// customisation records and scripts address by number.
#pragma once
#include <cstdint>

enum { COLOR_TABLE_ROWS = 125 };

// Rows that the world shader settings overwrite at run time: "text" ..
// "msg_urlsel", each by the parameter of its own name.
enum { COLOR_ROW_SHADER_FIRST = 77, COLOR_ROW_SHADER_LAST = 94 };

struct ColorRow {
    const char *name;
    float r, g, b, a;  // components above 1 brighten lit surfaces; a is 0
};

// Row numbers come from the protocol, mods and scripts: every lookup takes
// a row outside 0..124 as row 0.
int color_row_checked(int i);

// Row i's r, g, b.
void get_color_rgb(int i, float *rgb);
// Row i's r, g, b, a.
const float *get_color(int i);
// Row i's colour when i is not 0, else row j's.
void get_color_index_rgb_or(int i, int j, float *rgb);
// Row i's colour with each component above 1 given as 1.
void get_color_clamped(int i, float *rgb);
// Copies row i's name into out (size bytes, terminated).
void color_name_is(int i, char *out, int size);
// The row of a name, -1 when there is none.
int color_row_by_name(const char *name);
// Overwrites row i's r, g, b (the world shader settings); false for a bad row.
bool color_table_set_row(int i, const float *rgb);
// Puts every row back to the built-in values.
void color_table_reset(void);

// out = a t + b (1 - t) for t at most 1; out = a for t above 1.
void blend_colors(const float *a, const float *b, float t, float *out);
// rgb = rgb (1 - t) + row t, towards red when i is 0.
void tint_color_toward_row(int i, float *rgb, float t);

// A colour component as a byte: clamped to 0..1 first (so 1.3 and -0.2
// never wrap), then rounded from 0..255.
uint8_t color_byte(float v);
