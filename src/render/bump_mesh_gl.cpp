#include <GL/glew.h>

#include "render/bump_mesh_gl.h"

#include <cstdio>

#include "render/color_state.h"
#include "render/color_table.h"
#include "render/scene_gl_state_gl.h"

static GLuint g_cube_map = 0;
static GLuint g_constant = 0;
static float g_camera[3] = {0, 0, 0};

bool normalisation_cube_map_supported(void)
{
    return GLEW_ARB_multitexture && GLEW_ARB_texture_cube_map && GLEW_ARB_texture_env_combine &&
           GLEW_ARB_texture_env_dot3;
}

// The six faces of the bound cube map: each texel the unit vector towards
// it, packed into 0..255.
static void normalisation_cube_map_fill(void)
{
    GLint align = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &align);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    uint8_t texels[CUBE_MAP_FACE_BYTES];
    for (int face = 0; face < 6; face++) {
        normalisation_cube_face(face, texels);
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGB8, CUBE_MAP_SIDE, CUBE_MAP_SIDE, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, texels);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, align);
}

void normalisation_cube_map_init(void)
{
    if (g_cube_map == 0)
        glGenTextures(1, &g_cube_map);
    glBindTexture(GL_TEXTURE_CUBE_MAP, g_cube_map);
    normalisation_cube_map_fill();
    set_texture_sampling(GL_TEXTURE_CUBE_MAP, GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

unsigned normalisation_cube_map_id(void) { return g_cube_map; }
unsigned bump_constant_texture_id(void) { return g_constant; }

void bump_textures_free(void)
{
    if (g_cube_map)
        glDeleteTextures(1, &g_cube_map);
    if (g_constant)
        glDeleteTextures(1, &g_constant);
    g_cube_map = g_constant = 0;
}

void bump_mesh_set_camera(const float *camera)
{
    for (int k = 0; k < 3; k++)
        g_camera[k] = camera[k];
}

static void combine_modulate(void)
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PREVIOUS);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_TEXTURE);
}

// The sphere mesh is of unit radius (sizes scale it); box and capsule
// positions are already in the body's own units.
static void bump_mesh_begin(BumpMesh *m, const float *pos, const float *rot, const float *sizes, unsigned bump_id,
                  unsigned color_id)
{
    static const float unit[3] = {1, 1, 1};
    float eye[3];
    bump_eye_point(pos, rot, m->count == BUMP_SPHERE_VERTICES ? sizes : unit, g_camera, eye);
    bump_mesh_light_vectors(m, eye);
    glDisable(GL_LIGHTING);

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, bump_id);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_CUBE_MAP, g_cube_map);
    glEnable(GL_TEXTURE_CUBE_MAP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_DOT3_RGB);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PREVIOUS);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_TEXTURE);

    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, color_id);
    glEnable(GL_TEXTURE_2D);
    combine_modulate();

    glActiveTexture(GL_TEXTURE3);
    if (g_constant == 0) {
        glGenTextures(1, &g_constant);
        printf("gen textures \n");
    }
    uint8_t texels[16];
    const float *c = current_color();
    for (int i = 0; i < 16; i++)
        texels[i] = color_byte(c[i % 4]);
    glBindTexture(GL_TEXTURE_2D, g_constant);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    combine_modulate();

    const GLsizei stride = sizeof(BumpVertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, m->v[0].pos);
    glClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, m->v[0].st);
    glClientActiveTexture(GL_TEXTURE1);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(3, GL_FLOAT, stride, m->v[0].light);
    glClientActiveTexture(GL_TEXTURE2);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, m->v[0].st);
    glClientActiveTexture(GL_TEXTURE0);
}

static void bump_mesh_end(void)
{
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glActiveTexture(GL_TEXTURE2);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE3);
    glDisable(GL_TEXTURE_2D);
    glClientActiveTexture(GL_TEXTURE1);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glClientActiveTexture(GL_TEXTURE2);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glClientActiveTexture(GL_TEXTURE0);
    glActiveTexture(GL_TEXTURE0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_LIGHTING);
}

void bump_mesh_draw_sphere(BumpMesh *m, const float *pos, const float *rot, const float *sizes, unsigned bump_id,
                           unsigned color_id)
{
    if (m->count != BUMP_SPHERE_VERTICES)
        return;
    bump_mesh_begin(m, pos, rot, sizes, bump_id, color_id);
    for (int first = 0; first < m->count; first += BUMP_SPHERE_STRIP)
        glDrawArrays(GL_QUAD_STRIP, first, BUMP_SPHERE_STRIP);
    bump_mesh_end();
}

void bump_mesh_draw_box(BumpMesh *m, const float *pos, const float *rot, const float *sizes, unsigned bump_id,
                        unsigned color_id)
{
    if (m->count != BUMP_BOX_VERTICES)
        return;
    bump_mesh_set_box_size(m, sizes);
    bump_mesh_begin(m, pos, rot, sizes, bump_id, color_id);
    glDrawArrays(GL_QUADS, 0, BUMP_BOX_VERTICES);
    bump_mesh_end();
}

void bump_mesh_draw_capsule(BumpMesh *m, const float *pos, const float *rot, const float *sizes, unsigned bump_id,
                            unsigned color_id)
{
    if (m->count != BUMP_CAPSULE_VERTICES)
        return;
    bump_mesh_set_capsule_size(m, sizes[0], sizes[2]);
    bump_mesh_begin(m, pos, rot, sizes, bump_id, color_id);
    for (int first = 0; first < m->count; first += BUMP_CAPSULE_STRIP)
        glDrawArrays(GL_QUAD_STRIP, first, BUMP_CAPSULE_STRIP);
    bump_mesh_end();
}
