// The table of every GLSL program the shader path knows, the feature bits
// of its rows, the active program slots the drawing passes read, and the
// capability ladder that picks them from the rows that linked. The ladder
// switches off the options of effects the driver cannot carry. No OpenGL
// here: shader_programs_gl compiles the rows and hands in the handles.
#pragma once
#include <cstdint>

// Feature bits of a row's flags word.
enum ShaderFeature : uint32_t {
    SF_BASIC = 0x1,          // must link, else the shader path is off
    SF_SHADOW = 0x2,
    SF_MOTION_BLUR = 0x4,
    SF_BLOOD_1 = 0x8,
    SF_BLOOD_4 = 0x10,
    SF_AO4 = 0x20,
    SF_AO6 = 0x40,
    SF_AO12 = 0x80,
    SF_TCGEN = 0x100,
    SF_BUMP = 0x200,
    SF_BUMP_GENERATOR = 0x400,
    SF_DEPTH_OF_FIELD = 0x800,
    SF_ANAGLYPH = 0x1000,
    SF_RAYTRACE = 0x2000,
};

// The rows in table order. The three ray-trace families are one row per
// object count: family base + (count - 1).
enum ShaderRowId {
    SH_DIFF, SH_DIFFTEX, SH_GROUND, SH_COPY, SH_GHOST, SH_SIMP, SH_SIMPTEX, SH_TOPSIMPTEX, SH_SIMPD,
    SH_SIMPDTEX, SH_STAIN, SH_STAINCOPY,
    SH_GROUND_AO4, SH_GROUND_AO6, SH_GROUND_AO12,
    SH_DIFF_AO4, SH_DIFF_AO6, SH_DIFF_AO12,
    SH_DIFFTEX_AO4, SH_DIFFTEX_AO6, SH_DIFFTEX_AO12,
    SH_DIFFTEX_TCGEN, SH_DIFFTEX_TCGEN_AO4, SH_DIFFTEX_TCGEN_AO6, SH_DIFFTEX_TCGEN_AO12,
    SH_DIFFTEX_BUMP, SH_DIFFTEX_AO4_BUMP, SH_DIFFTEX_AO6_BUMP, SH_DIFFTEX_AO12_BUMP,
    SH_DIFFTEX_TCGEN_BUMP, SH_DIFFTEX_TCGEN_AO4_BUMP, SH_DIFFTEX_TCGEN_AO6_BUMP, SH_DIFFTEX_TCGEN_AO12_BUMP,
    SH_BLOOD, SH_BLOOD_1, SH_SHADOW, SH_SHADOW_FLOOR,
    SH_COMBINE, SH_SMOOTH, SH_FINAL, SH_BUMPMAP, SH_DEPTHFILTER, SH_GAUSSIAN, SH_ANAGLYPH, SH_TEXTURE,
    SH_RAYTRACE, SH_REFLECTION, SH_CAPSULEREFLECTION, SH_REFBACKGROUND, SH_DIFF_AO12_SHINY,
    SH_DIFFTEX_AO12_SHINY,
    SH_RAYTRACESPHERES_1, SH_RAYTRACECYLINDERS_1 = SH_RAYTRACESPHERES_1 + 6,
    SH_RAYTRACEBOXES_1 = SH_RAYTRACECYLINDERS_1 + 4,
    SH_FUR = SH_RAYTRACEBOXES_1 + 2, SH_FURBOX,
    SHADER_ROW_COUNT
};
static_assert(SHADER_ROW_COUNT == 65, "65 program rows");
enum { RAYTRACE_MAX_SPHERES = 6, RAYTRACE_MAX_CYLINDERS = 4, RAYTRACE_MAX_BOXES = 2 };

// One row. The texts are handed to the compiler as separate strings, in
// this order: "#version 120", the row's defines, the prefix, the shared
// text, the fragment body (the vertex stage: "#version 120", the vertex
// defines, the vertex body). Rows that share a text share body and defines.
struct ShaderRowDef {
    const char *prefix;           // "const int ocount = N;" on the ray-trace batch rows, else ""
    const char *name;             // also in log messages; the families repeat one name
    const char *shared;           // the ray-trace library, or null
    const char *fragment_defines;
    const char *fragment;
    const char *vertex_defines;
    const char *vertex;
    uint32_t flags;
};

// The row (null outside 0..SHADER_ROW_COUNT-1).
const ShaderRowDef *shader_row_def(int row);
// First row of that name, -1 when none.
int shader_row_find(const char *name);
// The ray-trace batch row for kind 0 spheres, 1 capsules (cylinders),
// 2 boxes and a count of 1..6 / 1..4 / 1..2; -1 outside those.
int raytrace_row(int kind, int count);

// The program slots the passes use (0: none, draw without a program) and
// what the capability scan found.
struct ActivePrograms {
    unsigned simp, simpd, simptex, simpdtex, diff, difftex, tcgen, bump, tcgen_bump, ground, copy, ghost,
        topsimptex, stain, staincopy, shadow, shadow_floor, blood, combine, smooth, final, depthfilter,
        gaussian, anaglyph, texture;
    int basic_ok;
    int tcgen_available;        // 256 or 0
    int bump_available;         // 512 or 0
    int ao_max;                 // largest of 0x20 / 0x40 / 0x80 among linked rows
    int blood_level_bits;       // largest of 0x8 / 0x10 among linked rows
    int motion_blur_available;  // 4 or 0
    int ground_occluders;       // 0, 4, 6 or 12 occluder uniforms the ground program reads
};

// The capability scan and the ladder over the rows' handles (0: did not
// link). Fills every slot afresh, reads and clears the feature options
// (shaders, raytracing, softshadow, fluid, bumpmapping, ambientocclusion,
// motionblur, depthoffield, anaglyphic) and prints each decision on
// standard error. Returns 0 when every basic row linked, else 1.
// Across renderer starts (a video-mode change starts it again) a row that
// once did not link stays failed whatever its handle says now, and the
// scan's capability values (tcgen, bump, occlusion, blood level, motion
// blur) only grow.
int choose_active_programs(const unsigned handle[SHADER_ROW_COUNT], ActivePrograms *out);
// Whether a row failed at an earlier start (its program is not made again).
int shader_row_failed_before(int row);
// Forgets what earlier starts found, as at program start.
void shader_rows_forget(void);

// Lighting models: rows {name, diff, difftex, bump slot}; one, "default".
struct LightingModel {
    const char *name;
    unsigned *diff, *difftex, *bump;
};
// 0 when a model of that name exists (it becomes current), 1 otherwise
// (the current one stays).
int set_lighting_model(const char *name);
const LightingModel *current_lighting_model(void);
// The slots the lighting models point into (the live active programs).
ActivePrograms &active_programs(void);
