// The world shader parameters: the 34 named values that set the look of the
// scene (background, mirror floor, lights, fog, sky) and the colours of the
// interface text. Ids 0..15 are scene values held here; ids 16..33 are the
// colour-table rows named like them ("text" .. "msg_urlsel"). The settings
// files in data/shader/ load and export them by name (world_shader_file.h).
#pragma once

enum WorldShaderId {
    WS_BACKGROUND_COLOR,
    WS_MIRROR_COLOR,
    WS_FLOOR_COLOR,
    WS_SUNSHINE_COLOR,
    WS_AMBIENT_COLOR,
    WS_FOG_DISTANCE,
    WS_SHARP_SHADOW,
    WS_SKY_ON,
    WS_AMBIENT_LIGHT_DIR,
    WS_SUN_LIGHT_DIR,
    WS_SUNBEAM_COLOR,
    WS_SUN_COLOR,
    WS_SKY_COLOR,
    WS_POLAR_LIGHT_COLOR,
    WS_POLAR_LIGHT_DIR,
    WS_SKY_BLEND_POWER,
    WS_SCENE_PARAMS,                 // ids below this are held here
    WS_FIRST_TEXT_COLOR = WS_SCENE_PARAMS,
    WORLD_SHADER_PARAMS = 34,
};

enum WorldShaderKind { WS_KIND_COLOR, WS_KIND_FLAG, WS_KIND_FLOAT, WS_KIND_DIRECTION };

struct WorldShaderParam {
    const char *name;
    int kind;          // WorldShaderKind
    int id_plus_one;
};

// The table, in id order.
typedef WorldShaderParam WorldShaderParams[WORLD_SHADER_PARAMS];
extern const WorldShaderParams world_shader_params;

// The id of a name (exact, case-sensitive), -1 when there is none.
int world_shader_id(const char *name);
// The colour-table row that id 16..33 reads and writes (the row of the same
// name), -1 for any other id.
int world_shader_color_row(int id);

// Parameter id as four floats: colours and directions r, g, b (x, y, z)
// and 1; floats and flags one value (a flag as 0 or 1) and three zeros.
// Returns 0; 1 with a message on standard error for an id outside 0..33.
int get_shader(int id, float *out);
// Sets parameter id from x, y, z (floats and flags take x; a flag is 1 for
// any x other than 0; directions are normalised, a zero vector stays zero).
// Returns 0; 1 with a message for an id outside 0..33 or a value that is
// not finite (nothing changes then).
int set_background(int id, float x, float y, float z);
// set_background, then apply_world_shader; w is not used.
int set_background_and_apply(int id, float x, float y, float z, float w);

// Refreshes what the renderer derives from the parameters: the sky
// textures while the shader path is active (through the hook the window
// sets), else the HUD's colour set by the menu mode.
void apply_world_shader(void);
// The window's part of apply_world_shader: returns 1 when it rebuilt the
// shader path's sky, 0 when the shader path is off. Null: no window.
void world_shader_set_sky_hook(int (*rebuild_sky)(void));

// Puts every scene parameter back to its built-in value.
void world_shader_reset(void);
// The built-in presets of the scene parameters (0..15); slot 0 is the
// start-up look.
enum { WORLD_SHADER_SLOTS = 6 };
// Applies the start-up preset (run once after the window opens).
void apply_world_shader_slot(void);

// A timed blend towards preset slot: each world_shader_blend_step (one a
// frame) moves every scene value but the flags a frames-th of the way;
// the last step lands on the preset, takes its two flags (sharp_shadow,
// sky_on) and runs apply_world_shader. A new blend replaces a running one.
// 0, or 1 with a message for a bad slot or a frame count below 1.
int start_world_shader_blend(int slot, int frames);
// 1 while the blend goes on, 0 once it has ended (or none runs).
int world_shader_blend_step(void);
int world_shader_blending(void);

// Writes all 34 parameters to standard output as script text: per
// parameter a comment line naming it and a run_cmd("worldshader ...") line
// that sets it to its value.
void print_world_shader_script(void);

// Scene parameter id (0..15) as four floats, as get_shader gives them;
// the background for any other id.
const float *world_shader_value(int id);
// 1 when flag id (sharp_shadow, sky_on) is on.
int world_shader_flag(int id);

// Values the passes share. The floor colour lit by sun and ambient light:
// ((sunshine s + ambient) floor, 1) per channel, s the sun's height factor
// (0 for a zero sun direction).
void world_floor_lit_color(float out[4]);
// The fog: (background r, g, b, w), w = fog_weight(fog_distance) (finite
// for a fog distance of 0 or below).
void world_fog_value(float out[4]);
