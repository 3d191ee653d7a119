#include <GL/glew.h>

#include "render/scene_gl_state_gl.h"

#include <GL/glu.h>

#include "render/shader_programs_gl.h"

static void load_texture_matrix(const float *rot, const float *t, float zsign)
{
    const GLfloat m[16] = {rot[0], rot[3], zsign * rot[6], 0, rot[1], rot[4], zsign * rot[7], 0,
                           rot[2], rot[5], zsign * rot[8], 0, t[0],   t[1],   zsign * t[2],   1};
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(m);
    glMatrixMode(GL_MODELVIEW);
}

void load_object_texture_matrix(const float *rot, const float *translation)
{
    load_texture_matrix(rot, translation, 1);
}

void load_mirrored_texture_matrix(const float *translation, const float *rot)
{
    load_texture_matrix(rot, translation, -1);
}

void load_scaled_texture_matrix(float k, const float *translation, int mirrored)
{
    const float rot[9] = {k, 0, 0, 0, k, 0, 0, 0, k};
    load_texture_matrix(rot, translation, mirrored ? -1 : 1);
}

void reset_render_state(void)
{
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

namespace {
struct PlaneVertex {
    float pos[3], normal[3], unused[2];
};
} // namespace

void draw_ground_plane(const float *c)
{
    static const float dir[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    PlaneVertex v[30];
    int n = 0;
    auto put = [&](int corner, float reach) {
        v[n++] = PlaneVertex{{c[0] + reach * dir[corner][0], c[1] + reach * dir[corner][1], c[2]}, {0, 0, 1}, {0, 0}};
    };
    put(0, 100), put(1, 100), put(2, 100);
    put(0, 100), put(2, 100), put(3, 100);
    for (int i = 0; i < 4; i++) {
        const int j = (i + 1) % 4;
        put(i, 100), put(i, 20000), put(j, 20000);
        put(i, 100), put(j, 20000), put(j, 100);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(PlaneVertex), v[0].pos);
    glNormalPointer(GL_FLOAT, sizeof(PlaneVertex), v[0].normal);
    glDrawArrays(GL_TRIANGLES, 0, n);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
}

void set_texture_sampling(unsigned target, int min_filter, int mag_filter, int wrap)
{
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, min_filter);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, mag_filter);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
}

unsigned create_texture_rgba(uint32_t *pixels, int width, int height)
{
    for (int i = 0; i < width * height; i++) {
        const uint32_t p = pixels[i];
        pixels[i] = (p & 0xFF00FF00u) | (p >> 16 & 0xFF) | (p & 0xFF) << 16;
    }
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    set_texture_sampling(GL_TEXTURE_2D, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, GL_REPEAT);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    return id;
}

void bind_texture_unit(int unit, unsigned texture)
{
    glActiveTexture(GL_TEXTURE0 + unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void draw_quad_box(float x, float y, float z, float width, float side)
{
    const float h = 0.5f * side, w = width;
    // Four bars along the square's edges, each width wide, inside the square.
    const float bars[4][4] = {{x - h, y - h, x + h, y - h + w}, {x - h, y + h - w, x + h, y + h},
                              {x - h, y - h, x - h + w, y + h}, {x + h - w, y - h, x + h, y + h}};
    float v[16 * 3];
    int n = 0;
    for (const auto &b : bars) {
        const float c[4][2] = {{b[0], b[1]}, {b[2], b[1]}, {b[2], b[3]}, {b[0], b[3]}};
        for (const auto &p : c) {
            v[3 * n] = p[0];
            v[3 * n + 1] = p[1];
            v[3 * n + 2] = z;
            n++;
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glUseProgram(0);
    glDisable(GL_LIGHTING);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, v);
    glDrawArrays(GL_QUADS, 0, n);
    glDisableClientState(GL_VERTEX_ARRAY);
    glEnable(GL_LIGHTING);
}

void set_global_colour(float r, float g, float b, float a)
{
    glColor4f(r, g, b, a);
    set_uniform_4f("globalcolor", r, g, b, a);
}
