#include "render/shader_table.h"

#include <cstdio>
#include <cstring>

#include "app/base/options.h"
#include "render/shader_sources.h"

namespace {

const char *const RT = "";   // stands for "no prefix"
#define LIB RAYTRACE_LIBRARY

// Defines of the object family.
const char *const D_TEX = "#define TEXCOORD\n";
const char *const D_TCGEN = "#define TEXCOORD\n#define TCGEN\n";
const char *const D_BUMPV = "#define TEXCOORD\n#define BUMP\n";
const char *const D_TCGEN_BUMPV = "#define TEXCOORD\n#define TCGEN\n#define BUMP\n";

// Rows in table order; see ShaderRowId.
typedef ShaderRowDef ShaderProgramTable[SHADER_ROW_COUNT];
const ShaderProgramTable k_rows = {
    {RT, "sh_diff", nullptr, "", FS_OBJECT, "", VS_OBJECT, 0x1},
    {RT, "sh_difftex", nullptr, "#define TEXTURED\n", FS_OBJECT, D_TEX, VS_OBJECT, 0x1},
    {RT, "sh_ground", nullptr, "", FS_GROUND, "", VS_GROUND, 0x1},
    {RT, "sh_copy", nullptr, "", FS_COPY, "", VS_COPY, 0x1},
    {RT, "sh_ghost", nullptr, "", FS_GHOST, "#define GHOST\n", VS_OBJECT, 0x1},
    {RT, "sh_simp", nullptr, "", FS_SIMPLE, "", VS_OBJECT, 0x1},
    {RT, "sh_simptex", nullptr, "#define TEXTURED\n", FS_SIMPLE, D_TEX, VS_OBJECT, 0x1},
    {RT, "sh_topsimptex", nullptr, "#define TEXTURED\n#define TOP\n", FS_SIMPLE, D_TEX, VS_OBJECT, 0x1},
    {RT, "sh_simpd", nullptr, "#define SUN\n", FS_SIMPLE, "", VS_OBJECT, 0x1},
    {RT, "sh_simpdtex", nullptr, "#define SUN\n#define TEXTURED\n", FS_SIMPLE, D_TEX, VS_OBJECT, 0x1},
    {RT, "sh_stain", nullptr, "", FS_STAIN, "", VS_STAIN, 0x1},
    {RT, "sh_staincopy", nullptr, "", FS_STAINCOPY, "", VS_COPY, 0x1},
    {RT, "sh_ground_ao4", nullptr, "#define OCCLUDERS 4\n", FS_GROUND, "", VS_GROUND, 0x20},
    {RT, "sh_ground_ao6", nullptr, "#define OCCLUDERS 6\n", FS_GROUND, "", VS_GROUND, 0x40},
    {RT, "sh_ground_ao12", nullptr, "#define OCCLUDERS 12\n", FS_GROUND, "", VS_GROUND, 0x80},
    {RT, "sh_diff_ao4", nullptr, "#define OCCLUDERS 4\n", FS_OBJECT, "", VS_OBJECT, 0x20},
    {RT, "sh_diff_ao6", nullptr, "#define OCCLUDERS 6\n", FS_OBJECT, "", VS_OBJECT, 0x40},
    {RT, "sh_diff_ao12", nullptr, "#define OCCLUDERS 12\n", FS_OBJECT, "", VS_OBJECT, 0x80},
    {RT, "sh_difftex_ao4", nullptr, "#define TEXTURED\n#define SOFT_AO\n#define OCCLUDERS 4\n", FS_OBJECT, D_TEX, VS_OBJECT, 0x20},
    {RT, "sh_difftex_ao6", nullptr, "#define TEXTURED\n#define SOFT_AO\n#define OCCLUDERS 6\n", FS_OBJECT, D_TEX, VS_OBJECT, 0x40},
    {RT, "sh_difftex_ao12", nullptr, "#define TEXTURED\n#define SOFT_AO\n#define OCCLUDERS 12\n", FS_OBJECT, D_TEX, VS_OBJECT, 0x80},
    {RT, "sh_difftex_tcgen", nullptr, "#define TEXTURED\n", FS_OBJECT, D_TCGEN, VS_OBJECT, 0x100},
    {RT, "sh_difftex_tcgen_ao4", nullptr, "#define TEXTURED\n#define SOFT_AO\n#define OCCLUDERS 4\n", FS_OBJECT, D_TCGEN, VS_OBJECT, 0x120},
    {RT, "sh_difftex_tcgen_ao6", nullptr, "#define TEXTURED\n#define SOFT_AO\n#define OCCLUDERS 6\n", FS_OBJECT, D_TCGEN, VS_OBJECT, 0x140},
    {RT, "sh_difftex_tcgen_ao12", nullptr, "#define TEXTURED\n#define SOFT_AO\n#define OCCLUDERS 12\n", FS_OBJECT, D_TCGEN, VS_OBJECT, 0x180},
    {RT, "sh_difftex_bump", nullptr, "#define BUMP\n", FS_OBJECT, D_BUMPV, VS_OBJECT, 0x200},
    {RT, "sh_difftex_ao4_bump", nullptr, "#define BUMP\n#define SOFT_AO\n#define OCCLUDERS 4\n", FS_OBJECT, D_BUMPV, VS_OBJECT, 0x220},
    {RT, "sh_difftex_ao6_bump", nullptr, "#define BUMP\n#define SOFT_AO\n#define OCCLUDERS 6\n", FS_OBJECT, D_BUMPV, VS_OBJECT, 0x240},
    {RT, "sh_difftex_ao12_bump", nullptr, "#define BUMP\n#define SOFT_AO\n#define OCCLUDERS 12\n", FS_OBJECT, D_BUMPV, VS_OBJECT, 0x280},
    {RT, "sh_difftex_tcgen_bump", nullptr, "#define BUMP\n", FS_OBJECT, D_TCGEN_BUMPV, VS_OBJECT, 0x300},
    {RT, "sh_difftex_tcgen_ao4_bump", nullptr, "#define BUMP\n#define SOFT_AO\n#define OCCLUDERS 4\n", FS_OBJECT, D_TCGEN_BUMPV, VS_OBJECT, 0x320},
    {RT, "sh_difftex_tcgen_ao6_bump", nullptr, "#define BUMP\n#define SOFT_AO\n#define OCCLUDERS 6\n", FS_OBJECT, D_TCGEN_BUMPV, VS_OBJECT, 0x340},
    {RT, "sh_difftex_tcgen_ao12_bump", nullptr, "#define BUMP\n#define SOFT_AO\n#define OCCLUDERS 12\n", FS_OBJECT, D_TCGEN_BUMPV, VS_OBJECT, 0x380},
    {RT, "sh_blood", nullptr, "#define SPHERES 4\n", FS_BLOOD, "", VS_BLOOD, 0x10},
    {RT, "sh_blood_1", nullptr, "#define SPHERES 1\n", FS_BLOOD, "", VS_BLOOD, 0x8},
    {RT, "sh_shadow", nullptr, "", FS_SHADOW, "", VS_SHADOW, 0x3},
    {RT, "sh_shadow_floor", nullptr, "", FS_SHADOW_FLOOR, "#define FLOOR\n", VS_SHADOW, 0x3},
    {RT, "sh_combine", nullptr, "", FS_COMBINE, "", VS_SCREEN, 0x4},
    {RT, "sh_smooth", nullptr, "", FS_SMOOTH, "", VS_SCREEN, 0x4},
    {RT, "sh_final", nullptr, "", FS_FINAL, "", VS_SCREEN, 0x4},
    {RT, "sh_bumpmap", nullptr, "", FS_BUMPMAP, "", VS_SCREEN, 0x400},
    {RT, "sh_depthfilter", nullptr, "", FS_DEPTHFILTER, "", VS_SCREEN, 0x800},
    {RT, "sh_gaussian", nullptr, "", FS_GAUSSIAN, "", VS_SCREEN, 0x800},
    {RT, "sh_anaglyph", nullptr, "", FS_ANAGLYPH, "", VS_SCREEN, 0x1000},
    {RT, "sh_texture", nullptr, "", FS_TEXTURE, "", VS_SCREEN, 0x1000},
    {RT, "sh_raytrace", LIB, "", FS_SKY, "", VS_SKY, 0x2000},
    {RT, "sh_reflection", LIB, "", FS_REFLECTION, "", VS_REFLECTION, 0x2000},
    {RT, "sh_capsulereflection", LIB, "", FS_REFLECTION, "#define CAPSULE\n", VS_REFLECTION, 0x2000},
    {RT, "sh_refbackground", LIB, "", FS_REFBACKGROUND, "", VS_OBJECT, 0x2000},
    {RT, "sh_diff_ao12_shiny", LIB, "#define OCCLUDERS 12\n#define SHINY\n", FS_OBJECT, "", VS_OBJECT, 0x2000},
    {RT, "sh_difftex_ao12_shiny", LIB, "#define TEXTURED\n#define OCCLUDERS 12\n#define SHINY\n", FS_OBJECT, D_TEX, VS_OBJECT, 0x0},
    {"const int ocount = 1;\n", "sh_raytracespheres", LIB, "", FS_RAYTRACE_SPHERES, "", VS_OBJECT, 0x2000},
    {"const int ocount = 2;\n", "sh_raytracespheres", LIB, "", FS_RAYTRACE_SPHERES, "", VS_OBJECT, 0x2000},
    {"const int ocount = 3;\n", "sh_raytracespheres", LIB, "", FS_RAYTRACE_SPHERES, "", VS_OBJECT, 0x2000},
    {"const int ocount = 4;\n", "sh_raytracespheres", LIB, "", FS_RAYTRACE_SPHERES, "", VS_OBJECT, 0x2000},
    {"const int ocount = 5;\n", "sh_raytracespheres", LIB, "", FS_RAYTRACE_SPHERES, "", VS_OBJECT, 0x2000},
    {"const int ocount = 6;\n", "sh_raytracespheres", LIB, "", FS_RAYTRACE_SPHERES, "", VS_OBJECT, 0x2000},
    {"const int ocount = 1;\n", "sh_raytracecylinders", LIB, "", FS_RAYTRACE_CYLINDERS, "", VS_OBJECT, 0x2000},
    {"const int ocount = 2;\n", "sh_raytracecylinders", LIB, "", FS_RAYTRACE_CYLINDERS, "", VS_OBJECT, 0x2000},
    {"const int ocount = 3;\n", "sh_raytracecylinders", LIB, "", FS_RAYTRACE_CYLINDERS, "", VS_OBJECT, 0x2000},
    {"const int ocount = 4;\n", "sh_raytracecylinders", LIB, "", FS_RAYTRACE_CYLINDERS, "", VS_OBJECT, 0x2000},
    {"const int ocount = 1;\n", "sh_raytraceboxes", LIB, "", FS_RAYTRACE_BOXES, "", VS_OBJECT, 0x2000},
    {"const int ocount = 2;\n", "sh_raytraceboxes", LIB, "", FS_RAYTRACE_BOXES, "", VS_OBJECT, 0x2000},
    {RT, "sh_fur", nullptr, "", FS_FUR, "#define FUR\n", VS_OBJECT, 0x1},
    {RT, "sh_furbox", nullptr, "", FS_FUR, "#define FUR\n#define FURBOX\n", VS_OBJECT, 0x1},
};

ActivePrograms g_active;

typedef LightingModel LightingModels[];
const LightingModels k_models = {
    {"default", &g_active.diff, &g_active.difftex, &g_active.bump},
    {nullptr, nullptr, nullptr, nullptr},
};
const LightingModel *g_model = &k_models[0];

bool linked(const unsigned h[], int row) { return h[row] != 0; }

// What earlier renderer starts found: the rows that did not link and the
// largest capability values.
struct ScanMemory {
    bool failed[SHADER_ROW_COUNT];
    int tcgen_available, bump_available, ao_max, blood_level_bits, motion_blur_available;
};
ScanMemory g_memory;

// Raises each capability to what an earlier start found, and remembers
// the result.
void keep_largest(int *value, int *kept)
{
    if (*value < *kept)
        *value = *kept;
    *kept = *value;
}

// Every row whose flags equal `flags` exactly linked (true with none).
bool all_linked_exact(const unsigned h[], uint32_t flags)
{
    for (int r = 0; r < SHADER_ROW_COUNT; r++)
        if (k_rows[r].flags == flags && !linked(h, r))
            return false;
    return true;
}

// Largest (flags AND mask) over linked rows whose flags hold every bit of
// `need` and none of `refuse`.
int largest_bits(const unsigned h[], uint32_t mask, uint32_t need, uint32_t refuse)
{
    uint32_t best = 0;
    for (int r = 0; r < SHADER_ROW_COUNT; r++) {
        const uint32_t f = k_rows[r].flags;
        if (linked(h, r) && (f & need) == need && !(f & refuse) && (f & mask) > best)
            best = f & mask;
    }
    return (int)best;
}

bool on(int option) { return option_get(option) != 0; }
void off(int option) { option_set(option, 0); }

void capability_scan(const unsigned h[], ActivePrograms *ap)
{
    ap->basic_ok = 1;
    bool tcgen = false, bump = false, blur = false, rays = true;
    for (int r = 0; r < SHADER_ROW_COUNT; r++) {
        const uint32_t f = k_rows[r].flags;
        if ((f & SF_BASIC) && !linked(h, r))
            ap->basic_ok = 0;
        if (f == SF_TCGEN && linked(h, r))
            tcgen = true;
        if (f == SF_BUMP && linked(h, r))
            bump = true;
        if ((f & SF_MOTION_BLUR) && linked(h, r))
            blur = true;
        if (f == SF_RAYTRACE && !linked(h, r))
            rays = false;
    }
    ap->tcgen_available = tcgen ? 256 : 0;
    ap->ao_max = largest_bits(h, 0xE0, 0, 0);
    if (!rays)
        off(OPT_RAYTRACING);
    if (!on(OPT_RAYTRACING))
        fprintf(stderr, "Raytracing not supported\n");
    ap->bump_available = bump ? 512 : 0;
    ap->blood_level_bits = largest_bits(h, 0x18, 0, 0);
    ap->motion_blur_available = blur ? 4 : 0;
    keep_largest(&ap->tcgen_available, &g_memory.tcgen_available);
    keep_largest(&ap->bump_available, &g_memory.bump_available);
    keep_largest(&ap->ao_max, &g_memory.ao_max);
    keep_largest(&ap->blood_level_bits, &g_memory.blood_level_bits);
    keep_largest(&ap->motion_blur_available, &g_memory.motion_blur_available);
}

struct AoRows {
    int diff, difftex, tcgen, bump, tcgen_bump;
};
// The rows of one occlusion level: 0x20, 0x40, 0x80.
AoRows ao_rows(int level)
{
    const int k = level == 0x80 ? 2 : level == 0x40 ? 1 : 0;
    return {SH_DIFF_AO4 + k, SH_DIFFTEX_AO4 + k, SH_DIFFTEX_TCGEN_AO4 + k, SH_DIFFTEX_AO4_BUMP + k,
            SH_DIFFTEX_TCGEN_AO4_BUMP + k};
}
int ao_count(int level) { return level == 0x80 ? 12 : level == 0x40 ? 6 : 4; }

// An effect drawn by two programs, when its option is on: both slots
// filled when every row of its feature linked, else both cleared and the
// option switched off; the decision goes to standard error.
void choose_pair(const unsigned h[], int option, uint32_t feature, const char *effect, unsigned *a, int row_a,
                 unsigned *b, int row_b)
{
    if (!on(option))
        return;
    if (all_linked_exact(h, feature)) {
        fprintf(stderr, "%s supported!\n", effect);
        *a = h[row_a];
        *b = h[row_b];
    } else {
        fprintf(stderr, "%s not supported!\n", effect);
        *a = *b = 0;
        off(option);
    }
}

} // namespace

const ShaderRowDef *shader_row_def(int row)
{
    return row >= 0 && row < SHADER_ROW_COUNT ? &k_rows[row] : nullptr;
}

int shader_row_find(const char *name)
{
    if (!name)
        return -1;
    for (int r = 0; r < SHADER_ROW_COUNT; r++)
        if (strcmp(k_rows[r].name, name) == 0)
            return r;
    return -1;
}

int raytrace_row(int kind, int count)
{
    switch (kind) {
    case 0: return count >= 1 && count <= RAYTRACE_MAX_SPHERES ? SH_RAYTRACESPHERES_1 + count - 1 : -1;
    case 1: return count >= 1 && count <= RAYTRACE_MAX_CYLINDERS ? SH_RAYTRACECYLINDERS_1 + count - 1 : -1;
    case 2: return count >= 1 && count <= RAYTRACE_MAX_BOXES ? SH_RAYTRACEBOXES_1 + count - 1 : -1;
    default: return -1;
    }
}

int shader_row_failed_before(int row) { return row >= 0 && row < SHADER_ROW_COUNT && g_memory.failed[row]; }

void shader_rows_forget(void) { g_memory = ScanMemory{}; }

int choose_active_programs(const unsigned handle[SHADER_ROW_COUNT], ActivePrograms *ap)
{
    // A row that failed once counts as failed from then on.
    unsigned h[SHADER_ROW_COUNT];
    for (int r = 0; r < SHADER_ROW_COUNT; r++) {
        g_memory.failed[r] = g_memory.failed[r] || handle[r] == 0;
        h[r] = g_memory.failed[r] ? 0 : handle[r];
    }
    *ap = ActivePrograms{};
    capability_scan(h, ap);

    // Basic programs.
    if (on(OPT_SHADERS) && ap->basic_ok) {
        ap->simp = h[SH_SIMP];
        ap->simpd = h[SH_SIMPD];
        ap->simptex = h[SH_SIMPTEX];
        ap->simpdtex = h[SH_SIMPDTEX];
        ap->diff = h[SH_DIFF];
        ap->difftex = h[SH_DIFFTEX];
        ap->ground = h[SH_GROUND];
        ap->copy = h[SH_COPY];
        ap->ghost = h[SH_GHOST];
        ap->topsimptex = h[SH_TOPSIMPTEX];
        ap->stain = h[SH_STAIN];
        ap->staincopy = h[SH_STAINCOPY];
        ap->shadow = h[SH_SHADOW];
        ap->shadow_floor = h[SH_SHADOW_FLOOR];
        ap->tcgen = h[SH_DIFFTEX_TCGEN];
    } else if (on(OPT_SHADERS)) {
        off(OPT_SHADERS);
        fprintf(stderr, "Unable to support shaders at all. You might want to try updating your graphics driver "
                        "if you have not done so.\n");
    }

    // Soft shadows: the ground row with the most occluders that linked.
    ap->ground_occluders = 0;
    if (on(OPT_SOFTSHADOW)) {
        static const int ground_rows[4] = {SH_GROUND, SH_GROUND_AO4, SH_GROUND_AO6, SH_GROUND_AO12};
        static const int counts[4] = {0, 4, 6, 12};
        for (int i = 3; i >= 0; i--)
            if (linked(h, ground_rows[i])) {
                ap->ground = h[ground_rows[i]];
                ap->ground_occluders = counts[i];
                break;
            }
    }

    // Fluid blood.
    if (on(OPT_FLUID)) {
        if (ap->blood_level_bits & 0x10) {
            fprintf(stderr, "Fluid blood supported (level 4 of 4)\n");
            ap->blood = h[SH_BLOOD];
        } else if (ap->blood_level_bits & 0x8) {
            fprintf(stderr, "Fluid blood supported (level 1 of 4)\n");
            ap->blood = h[SH_BLOOD_1];
        } else {
            fprintf(stderr, "Fluid blood not supported (level 0 of 4)\n");
            off(OPT_FLUID);
        }
    }

    const bool bump = on(OPT_BUMPMAPPING), ao = on(OPT_AMBIENTOCCLUSION);
    if (bump && !ao) {
        if (all_linked_exact(h, 0x200) && all_linked_exact(h, 0x300)) {
            fprintf(stderr, "Bumpmapping supported\n");
            ap->bump = h[SH_DIFFTEX_BUMP];
            ap->tcgen_bump = h[SH_DIFFTEX_TCGEN_BUMP];
        } else {
            off(OPT_BUMPMAPPING);
            fprintf(stderr, "Bumpmapping not supported\n");
        }
    } else if (ao && !bump) {
        const int level = largest_bits(h, 0xE0, SF_TCGEN, SF_BUMP);
        if (level) {
            fprintf(stderr, "Ambient Occlusion supported (level %d of 12)\n", ao_count(level));
            const AoRows r = ao_rows(level);
            ap->diff = h[r.diff];
            ap->difftex = h[r.difftex];
            ap->tcgen = h[r.tcgen];
        } else {
            fprintf(stderr, "Ambient Occlusion not supported (level 0 of 12)\n");
            off(OPT_AMBIENTOCCLUSION);
        }
    } else if (ao && bump) {
        const int level = largest_bits(h, 0xE0, SF_TCGEN | SF_BUMP, 0);
        if (level) {
            fprintf(stderr, "Ambient Occlusion + Bumpmapping supported (level %d of 12)\n", ao_count(level));
            const AoRows r = ao_rows(level);
            ap->diff = h[r.diff];
            ap->difftex = h[r.difftex];
            ap->bump = h[r.bump];
            ap->tcgen = h[r.tcgen];
            ap->tcgen_bump = h[r.tcgen_bump];
        } else {
            fprintf(stderr, "Ambient Occlusion + Bumpmapping (together) not supported (level 0 of 12) - try "
                            "enabling 1 by 1\n");
            off(OPT_AMBIENTOCCLUSION);
            off(OPT_BUMPMAPPING);
        }
    }

    if (on(OPT_MOTIONBLUR)) {
        bool all = true;
        for (int r = 0; r < SHADER_ROW_COUNT; r++)
            if ((k_rows[r].flags & SF_MOTION_BLUR) && !linked(h, r))
                all = false;
        if (all) {
            fprintf(stderr, "Motion blur -might- be supported! Attempting to init...\n");
            ap->combine = h[SH_COMBINE];
            ap->smooth = h[SH_SMOOTH];
            ap->final = h[SH_FINAL];
        } else {
            fprintf(stderr, "Motion Blur not supported!\n");
            off(OPT_MOTIONBLUR);
        }
    }

    choose_pair(h, OPT_DEPTHOFFIELD, SF_DEPTH_OF_FIELD, "Depth of field", &ap->depthfilter, SH_DEPTHFILTER,
                &ap->gaussian, SH_GAUSSIAN);
    choose_pair(h, OPT_ANAGLYPHIC, SF_ANAGLYPH, "Anaglyphic rendering", &ap->anaglyph, SH_ANAGLYPH, &ap->texture,
                SH_TEXTURE);
    return ap->basic_ok ? 0 : 1;
}

ActivePrograms &active_programs(void) { return g_active; }

int set_lighting_model(const char *name)
{
    if (!name)
        return 1;
    for (const LightingModel *m = k_models; m->name; m++)
        if (strcmp(m->name, name) == 0) {
            g_model = m;
            return 0;
        }
    return 1;
}

const LightingModel *current_lighting_model(void) { return g_model; }
