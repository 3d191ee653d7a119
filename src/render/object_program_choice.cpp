#include "render/object_program_choice.h"

#include <cstring>

void choose_object_program_plan(const DrawRecord *r, int bumpmapping, int raytracing, ObjectProgramChoice *out)
{
    std::memset(out, 0, sizeof *out);
    const bool tcgen = (r->kind & QUEUE_TCGEN) != 0;
    out->program = OBJ_PROG_DIFF;
    if ((r->kind & QUEUE_TEXTURED) && r->bump_tex && bumpmapping) {
        // The bump map on unit 0, the colour texture (when there is one) on 1.
        out->program = tcgen ? OBJ_PROG_TCGEN_BUMP : OBJ_PROG_BUMP;
        out->unit0 = r->bump_tex;
        out->bump_uniforms = 1;
        out->unit1 = r->colour_tex;
        out->use_texture0 = r->colour_tex != 0;
    } else if (r->colour_tex) {
        out->program = tcgen ? OBJ_PROG_TCGEN : OBJ_PROG_DIFFTEX;
        out->unit0 = r->colour_tex;
    }
    out->material = out->program;
    if (raytracing && r->mode == 1) {
        out->program = OBJ_PROG_REFBACKGROUND;
        out->sky_on_unit0 = 1;
    }
    if (out->program == OBJ_PROG_TCGEN || out->program == OBJ_PROG_TCGEN_BUMP) {
        out->rotmat = 1;
        // rows i, columns j: sum over k of object_rot[k][i] scaled[k][j].
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++) {
                float s = 0;
                for (int k = 0; k < 3; k++)
                    s += r->object_rot[3 * k + i] * r->scaled[3 * k + j];
                out->rotmat_rows[4 * i + j] = s;
            }
        out->rotmat_rows[15] = 1;
    }
}
