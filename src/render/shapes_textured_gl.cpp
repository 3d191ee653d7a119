#include <GL/glew.h>

#include "render/shapes_textured_gl.h"

#include <cmath>

#include "render/bump_mesh_gl.h"
#include "render/graphics_gl.h"
#include "render/color_state.h"
#include "render/fighter_look.h"
#include "render/shape_queue.h"
#include "render/shapes_gl.h"
#include "render/texture.h"

namespace {

float g_eye[3] = {0, 0, 0};
// The textured path draws from the same meshes as the bump path; these
// copies hold no GL names, so they are made on first use and kept.
BumpMesh g_mesh[BUMP_PRIMITIVES];

struct Shape {
    int prim;
    const float *pos, *R;
    float sizes[3];     // sphere: radius x3; box: sides; capsule: radius, -, length
    float half_extent;  // half the shape's largest extent
};

bool loaded(const Texture *t) { return t && texture_is_loaded(t); }

// Shiny: a flags word set and an opaque colour.
bool is_shiny(int flags) { return flags != 0 && gl_current_color()[3] == 1.0f; }

BumpMesh *mesh(int prim)
{
    BumpMesh *m = &g_mesh[prim];
    if (m->count == 0) {
        if (prim == BUMP_SPHERE)
            bump_mesh_make_sphere(m);
        else if (prim == BUMP_BOX)
            bump_mesh_make_box(m);
        else if (bump_mesh_make_capsule(m))
            // Capsule textures run along the length in s (0.2 at the bottom,
            // 0.8 at the top, the caps beyond) and around it in t; the bump
            // mesh has them the other way round.
            for (int i = 0; i < m->count; i++) {
                const float s = m->v[i].st[0];
                m->v[i].st[0] = 1 - m->v[i].st[1];
                m->v[i].st[1] = s;
            }
    }
    return m->count ? m : nullptr;
}

void push_pose(const Shape &s)
{
    const float *R = s.R, *p = s.pos;
    const GLfloat m[16] = {R[0], R[4], R[8], 0, R[1], R[5], R[9], 0, R[2], R[6], R[10], 0, p[0], p[1], p[2], 1};
    glPushMatrix();
    glMultMatrixf(m);
}

// The mesh of the shape at its size, in the posed frame (the sphere's is of
// unit radius and scaled here).
BumpMesh *sized_mesh(const Shape &s)
{
    BumpMesh *m = mesh(s.prim);
    if (!m)
        return nullptr;
    if (s.prim == BUMP_SPHERE)
        glScalef(s.sizes[0], s.sizes[0], s.sizes[0]);
    else if (s.prim == BUMP_BOX)
        bump_mesh_set_box_size(m, s.sizes);
    else
        bump_mesh_set_capsule_size(m, s.sizes[0], s.sizes[2]);
    return m;
}

void draw_arrays(const BumpMesh *m, bool tex_coords)
{
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glClientActiveTexture(GL_TEXTURE0);
    const GLsizei stride = sizeof(BumpVertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, m->v[0].pos);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, stride, m->v[0].normal);
    if (tex_coords) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, m->v[0].st);
    }
    if (m->count == BUMP_BOX_VERTICES) {
        glDrawArrays(GL_QUADS, 0, m->count);
    } else {
        const int strip = m->count == BUMP_SPHERE_VERTICES ? BUMP_SPHERE_STRIP : BUMP_CAPSULE_STRIP;
        for (int first = 0; first < m->count; first += strip)
            glDrawArrays(GL_QUAD_STRIP, first, strip);
    }
    glPopClientAttrib();
}

void bump_draw(const Shape &s, BumpMesh *m, const Texture *bump, const Texture *color)
{
    const unsigned color_id = loaded(color) ? color->gl_id : 0;
    // The combiners take the drawing colour from the colour state.
    const float *c = gl_current_color();
    const float rgba[4] = {c[0], c[1], c[2], c[3]};
    set_color4fv(rgba);
    if (s.prim == BUMP_SPHERE) {
        glScalef(s.sizes[0], s.sizes[0], s.sizes[0]);
        bump_mesh_draw_sphere(m, s.pos, s.R, s.sizes, bump->gl_id, color_id);
    } else if (s.prim == BUMP_BOX) {
        bump_mesh_draw_box(m, s.pos, s.R, s.sizes, bump->gl_id, color_id);
    } else {
        bump_mesh_draw_capsule(m, s.pos, s.R, s.sizes, bump->gl_id, color_id);
    }
}

// The colour texture on unit 0, modulating the lit colour; none when the
// texture is not loaded.
void bind_colour_texture(const Texture *color)
{
    glActiveTexture(GL_TEXTURE0);
    if (loaded(color)) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, color->gl_id);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

// The disc that closes a hemisphere's cut, facing away from the kept half.
void cut_disc(const float *axis, float radius, const Texture *color)
{
    glDisable(GL_CLIP_PLANE0);
    bind_colour_texture(color);
    glEnable(GL_LIGHTING);
    glPushMatrix();
    const float n[3] = {-axis[0], -axis[1], -axis[2]};
    rotate_z_onto(n);
    shapes_draw_disc(radius);
    glPopMatrix();
}

// The lit base pass: textured, bump-mapped or only in the shiny material.
// A clip axis keeps the half of the shape on its side (kind 64 closes it).
void lit_pass(const Shape &s, const Texture *color, const Texture *bump, bool shiny, const float *clip_axis,
              bool close_cut)
{
    shapes_flush();
    const float *c = gl_current_color();
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT |
                 GL_TRANSFORM_BIT | GL_CURRENT_BIT);
    if (shiny)
        set_shiny_material(c[0], c[1], c[2], c[3]);
    else
        set_material(c[0], c[1], c[2], c[3]);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    if (c[3] < 1) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f * c[3]);
    push_pose(s);
    if (clip_axis) {
        const GLdouble eq[4] = {clip_axis[0], clip_axis[1], clip_axis[2], 0};
        glClipPlane(GL_CLIP_PLANE0, eq);
        glEnable(GL_CLIP_PLANE0);
    }
    BumpMesh *bm = loaded(bump) ? bump_primitive(s.prim) : nullptr;
    glPushMatrix();
    if (bm) {
        bump_draw(s, bm, bump, color);
    } else if (BumpMesh *m = sized_mesh(s)) {
        bind_colour_texture(color);
        draw_arrays(m, loaded(color));
    }
    glPopMatrix();
    if (clip_axis && close_cut)
        cut_disc(clip_axis, s.sizes[0], color);
    glPopMatrix();
    glPopAttrib();
}

// The shine: lit from the eye with a material that is dark where the
// surface faces the eye and bright towards its rim, the shine texture laid
// over it in the eye's frame, added onto what is drawn.
void shine_pass(const Shape &s)
{
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_NORMALIZE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_COLOR_MATERIAL);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, shapes_texture(0));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_COLOR);
    const GLfloat ambient[4] = {5, 5, 5, 0}, diffuse[4] = {-1, -1, -1, 1}, none[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 12.8f);
    // Light 0 from the shape towards the eye; the modelview is the view.
    float d[4] = {g_eye[0] - s.pos[0], g_eye[1] - s.pos[1], g_eye[2] - s.pos[2], 0};
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (len > 0)
        for (int k = 0; k < 3; k++)
            d[k] /= len;
    glLightfv(GL_LIGHT0, GL_POSITION, d);
    push_pose(s);
    glPushMatrix();
    if (BumpMesh *m = sized_mesh(s)) {
        // The texture runs across the shape in the eye's x and y.
        GLfloat mv[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, mv);
        const float k = s.half_extent > 0 ? 0.5f / s.half_extent : 1.0f;
        const GLfloat sp[4] = {mv[0] * k, mv[4] * k, mv[8] * k, 0.5f};
        const GLfloat tp[4] = {mv[1] * k, mv[5] * k, mv[9] * k, 0.5f};
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
        glTexGenfv(GL_S, GL_OBJECT_PLANE, sp);
        glTexGenfv(GL_T, GL_OBJECT_PLANE, tp);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
        draw_arrays(m, false);
    }
    glPopMatrix();
    glPopMatrix();
    glPopAttrib();   // the scene light with it
}

// Kind 8 draws textured; a shiny shape of kind 1 draws in the shiny
// material; both then take the shine pass when shiny. Returns false for
// every other case (the plain drawer draws it).
bool draw_skin(const Shape &s, int kind, const Texture *color, const Texture *bump, int flags)
{
    const bool shiny = is_shiny(flags);
    if (kind == DRAW_TEXTURED)
        lit_pass(s, color, bump, shiny && s.prim != BUMP_SPHERE, nullptr, false);
    else if (kind == DRAW_NORMAL && shiny)
        lit_pass(s, nullptr, nullptr, true, nullptr, false);
    else
        return false;
    if (shiny)
        shine_pass(s);
    return true;
}

} // namespace

void set_shiny_material(float r, float g, float b, float a)
{
    apply_material(r, g, b, a, 0.5f, 0.765f, 25.6f);
}

void textured_shapes_set_view(const float *eye)
{
    for (int k = 0; k < 3; k++)
        g_eye[k] = eye[k];
    bump_mesh_set_camera(eye);
}

void render_sphere_skin(const float *pos, const float *R, float radius, int kind, const Texture *color,
                        const Texture *bump, int flags)
{
    if (shaders_active()) {
        queue_sphere_pose(pos, R, radius, kind, color, bump);
        return;
    }
    const Shape s = {BUMP_SPHERE, pos, R, {radius, radius, radius}, radius};
    if (!draw_skin(s, kind, color, bump, flags))
        render_sphere(pos, R, radius, kind);
}

void render_box_skin(const float *pos, const float *R, const float *sides, int kind, const Texture *color,
                     const Texture *bump, int flags)
{
    if (shaders_active()) {
        queue_box_pose(pos, R, sides, kind, color, bump);
        return;
    }
    const float most = std::fmax(sides[0], std::fmax(sides[1], sides[2]));
    const Shape s = {BUMP_BOX, pos, R, {sides[0], sides[1], sides[2]}, 0.5f * most};
    if (!draw_skin(s, kind, color, bump, flags))
        render_box(pos, R, sides, kind);
}

void render_capsule_skin(const float *pos, const float *R, float length, float radius, int kind,
                         const Texture *color, const Texture *bump, int flags)
{
    if (shaders_active()) {
        queue_capsule_pose(pos, R, length, radius, kind, color, bump);
        return;
    }
    const Shape s = {BUMP_CAPSULE, pos, R, {radius, radius, length}, 0.5f * length + radius};
    if (!draw_skin(s, kind, color, bump, flags))
        render_capsule(pos, R, length, radius, kind);
}

void render_hemisphere_skin(const float *pos, const float *R, float radius, const float *axis, int kind,
                            const Texture *color, const Texture *bump)
{
    if (shaders_active()) {
        queue_hemisphere_pose(pos, R, radius, axis, kind, color, bump);
        return;
    }
    if ((!loaded(color) && !loaded(bump)) || kind == DRAW_SHADOW) {
        render_hemisphere(pos, R, radius, axis, kind);
        return;
    }
    const Shape s = {BUMP_SPHERE, pos, R, {radius, radius, radius}, radius};
    lit_pass(s, color, bump, false, axis, kind == DRAW_AXIS_SIDE);
}
