#include <GL/glew.h>

#include "render/gl_state_check.h"

namespace {

struct Cap {
    const char *name;
    GLenum e;
    int deflt;
};

#define CAP(x, d) {#x, x, d}
const Cap k_caps[] = {
    CAP(GL_ALPHA_TEST, 0), CAP(GL_AUTO_NORMAL, 0), CAP(GL_BLEND, 0), CAP(GL_CLIP_PLANE0, 0),
    CAP(GL_CLIP_PLANE1, 0), CAP(GL_COLOR_LOGIC_OP, 0), CAP(GL_COLOR_MATERIAL, 0), CAP(GL_CULL_FACE, 0),
    CAP(GL_DEPTH_TEST, 0), CAP(GL_DITHER, 1), CAP(GL_FOG, 0), CAP(GL_LIGHT0, 0), CAP(GL_LIGHT1, 0),
    CAP(GL_LIGHT2, 0), CAP(GL_LIGHTING, 0), CAP(GL_LINE_SMOOTH, 0), CAP(GL_LINE_STIPPLE, 0),
    CAP(GL_MULTISAMPLE, 1), CAP(GL_NORMALIZE, 0), CAP(GL_POINT_SMOOTH, 0), CAP(GL_POLYGON_OFFSET_FILL, 0),
    CAP(GL_POLYGON_OFFSET_LINE, 0), CAP(GL_POLYGON_SMOOTH, 0), CAP(GL_POLYGON_STIPPLE, 0),
    CAP(GL_RESCALE_NORMAL, 0), CAP(GL_SCISSOR_TEST, 0), CAP(GL_STENCIL_TEST, 0), CAP(GL_TEXTURE_1D, 0),
    CAP(GL_TEXTURE_2D, 0), CAP(GL_TEXTURE_3D, 0), CAP(GL_TEXTURE_CUBE_MAP, 0), CAP(GL_TEXTURE_GEN_Q, 0),
    CAP(GL_TEXTURE_GEN_R, 0), CAP(GL_TEXTURE_GEN_S, 0), CAP(GL_TEXTURE_GEN_T, 0),
    CAP(GL_VERTEX_ARRAY, 0), CAP(GL_NORMAL_ARRAY, 0), CAP(GL_COLOR_ARRAY, 0),
    CAP(GL_TEXTURE_COORD_ARRAY, 0), CAP(GL_SAMPLE_ALPHA_TO_COVERAGE, 0),
};
static_assert(sizeof k_caps / sizeof k_caps[0] == GL_STATE_CAPS, "one flag per capability");

struct Query {
    const char *name;
    GLenum e;
};
#define QUERY(x) {#x, x}
const Query k_queries[] = {
    QUERY(GL_ACCUM_ALPHA_BITS), QUERY(GL_ACCUM_BLUE_BITS), QUERY(GL_ACCUM_GREEN_BITS), QUERY(GL_ACCUM_RED_BITS),
    QUERY(GL_ALPHA_BITS), QUERY(GL_ATTRIB_STACK_DEPTH), QUERY(GL_BLEND_DST), QUERY(GL_BLEND_SRC),
    QUERY(GL_BLUE_BITS), QUERY(GL_DEPTH_BITS), QUERY(GL_DEPTH_FUNC), QUERY(GL_GREEN_BITS),
    QUERY(GL_MATRIX_MODE), QUERY(GL_MODELVIEW_STACK_DEPTH), QUERY(GL_PROJECTION_STACK_DEPTH),
    QUERY(GL_RED_BITS), QUERY(GL_SHADE_MODEL), QUERY(GL_STENCIL_BITS), QUERY(GL_TEXTURE_BINDING_2D),
    QUERY(GL_TEXTURE_STACK_DEPTH), QUERY(GL_UNPACK_ALIGNMENT), QUERY(GL_PACK_ALIGNMENT),
};

} // namespace

void gl_state_snapshot(GlStateSnapshot *s)
{
    for (int i = 0; i < GL_STATE_CAPS; i++)
        s->enabled[i] = glIsEnabled(k_caps[i].e) ? 1 : 0;
}

void gl_state_print_caps(FILE *out)
{
    for (const Cap &c : k_caps)
        fprintf(out, "%s %i default %i\n", c.name, glIsEnabled(c.e) ? 1 : 0, c.deflt);
}

void gl_state_print_queries(FILE *out)
{
    long sum = 0;
    for (const Query &q : k_queries) {
        GLint v = 0;
        glGetIntegerv(q.e, &v);
        fprintf(out, "%i %s %li\n", (int)q.e, q.name, (long)v);
        sum += v;
    }
    fprintf(out, "======= %li\n", sum);
}

int gl_state_compare(const GlStateSnapshot *a, const GlStateSnapshot *b, const char *label, FILE *out)
{
    int differ = 0;
    for (int i = 0; i < GL_STATE_CAPS; i++) {
        if (a->enabled[i] != b->enabled[i]) {
            fprintf(out, "%s: %s %i -> %i\n", label, k_caps[i].name, a->enabled[i], b->enabled[i]);
            differ++;
        }
    }
    return differ;
}
