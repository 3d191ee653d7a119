// Which program draws one opaque queued shape, which textures go on which
// units and which per-object uniforms it needs: worked out without OpenGL
// so that the choice can be checked alone; the opaque pass applies it.
#pragma once
#include "render/render_queues.h"

// The program slots a shape can be drawn with.
enum ObjectProgram {
    OBJ_PROG_DIFF,
    OBJ_PROG_DIFFTEX,
    OBJ_PROG_TCGEN,
    OBJ_PROG_BUMP,
    OBJ_PROG_TCGEN_BUMP,
    OBJ_PROG_REFBACKGROUND,   // the reflecting background of the ray-traced path
};

struct ObjectProgramChoice {
    int program;            // ObjectProgram drawn with
    int material;           // ObjectProgram its mirror image is drawn with
    unsigned unit0;         // GL texture on unit 0 (0: none)
    unsigned unit1;         // GL texture on unit 1 (0: none)
    int bump_uniforms;      // set "texture1" 0, "texture0" 1 and "use_texture0"
    int use_texture0;
    int sky_on_unit0;       // the sky texture on unit 0 and the fog and floor colours
    int rotmat;             // set "rotmat"
    float rotmat_rows[16];  // (object orientation)^T (scaled orientation), row by row
};

void choose_object_program_plan(const DrawRecord *r, int bumpmapping, int raytracing, ObjectProgramChoice *out);
