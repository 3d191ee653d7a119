#include <GL/glew.h>

#include "render/shapes_textured_gl.h"

#include <cmath>
#include <cstring>
#include <vector>

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

// The mesh's primitives from the arrays already pointed at it: the box's
// quads, or the strips of a sphere or capsule in one call.
void draw_mesh_primitives(const BumpMesh *m)
{
    if (m->count == BUMP_BOX_VERTICES) {
        glDrawArrays(GL_QUADS, 0, m->count);
        return;
    }
    enum { MOST_STRIPS = BUMP_SPHERE_VERTICES / BUMP_SPHERE_STRIP + BUMP_CAPSULE_VERTICES / BUMP_CAPSULE_STRIP };
    GLint first[MOST_STRIPS];
    GLsizei count[MOST_STRIPS];
    const int strip = m->count == BUMP_SPHERE_VERTICES ? BUMP_SPHERE_STRIP : BUMP_CAPSULE_STRIP;
    GLsizei n = 0;
    for (int f = 0; f + strip <= m->count && n < MOST_STRIPS; f += strip, n++) {
        first[n] = f;
        count[n] = strip;
    }
    glMultiDrawArrays(GL_QUAD_STRIP, first, count, n);
}

void point_arrays(const BumpMesh *m, bool tex_coords)
{
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
}

void draw_arrays(const BumpMesh *m, bool tex_coords)
{
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    point_arrays(m, tex_coords);
    draw_mesh_primitives(m);
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
// over it in the eye's frame, added onto what is drawn. The state is set
// once for a run of shapes; the caller pushes and pops the attributes.
void begin_shine_state(void)
{
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
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

// One shape's shine under that state, the modelview being the view.
void shine_shape(const Shape &s)
{
    // Light 0 from the shape towards the eye.
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
        glTexGenfv(GL_S, GL_OBJECT_PLANE, sp);
        glTexGenfv(GL_T, GL_OBJECT_PLANE, tp);
        point_arrays(m, false);
        draw_mesh_primitives(m);
    }
    glPopMatrix();
    glPopMatrix();
}

void shine_pass(const Shape &s)
{
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    begin_shine_state();
    shine_shape(s);
    glPopClientAttrib();
    glPopAttrib();   // the scene light with it
}

// The shiny shapes of an opaque pass, kept until it ends: the pose copied,
// the colour of the lit pass, the view they were drawn under, and whether
// the lit pass is still to draw (a textured shape drew its own).
enum { SHINY_QUEUE = 64 };
struct ShinyShape {
    int prim;
    float pos[3], R[12], sizes[3], half_extent;
    float colour[4];
    float view[16];
    bool lit;
};
ShinyShape g_shiny[SHINY_QUEUE];
int g_shiny_count;

void queue_shiny(const Shape &s, bool lit)
{
    GLfloat view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    // One batch draws under one view.
    if (g_shiny_count == SHINY_QUEUE || (g_shiny_count > 0 && std::memcmp(view, g_shiny[0].view, sizeof view)))
        shiny_shapes_flush();
    ShinyShape &q = g_shiny[g_shiny_count++];
    std::memcpy(q.view, view, sizeof view);
    q.prim = s.prim;
    for (int k = 0; k < 3; k++) {
        q.pos[k] = s.pos[k];
        q.sizes[k] = s.sizes[k];
    }
    for (int k = 0; k < 12; k++)
        q.R[k] = s.R[k];
    q.half_extent = s.half_extent;
    const float *c = gl_current_color();
    for (int k = 0; k < 4; k++)
        q.colour[k] = c[k];
    q.lit = lit;
}

Shape shape_of(const ShinyShape &q) { return {q.prim, q.pos, q.R, {q.sizes[0], q.sizes[1], q.sizes[2]}, q.half_extent}; }

// The queued shapes as one world-space mesh, drawn under the view they
// were queued with: per vertex the position and normal for the lit pass,
// and the shine's colour and texture coordinates, which the driver would
// otherwise compute from a light and texture planes set per shape (one draw
// per shape). The shine's colour is the fixed-function lighting of its
// material by light 0 pointing from the shape to the eye, the scene's
// only light; its texture coordinates are those of its planes.
struct WorldVertex {
    float pos[3], normal[3], colour[4], st[2];
};
std::vector<WorldVertex> g_world;
std::vector<unsigned> g_world_index;
int g_shape_index_end[SHINY_QUEUE];   // each shape's end in the index list

// The shine's lighting terms from the GL state: what every vertex gets
// (model ambient and light 0's ambient times the material's ambient 5), and
// light 0's diffuse (times the material's diffuse -1 and N.L).
struct ShineLight {
    float base[3], diffuse[3];
};

ShineLight shine_light(void)
{
    GLfloat model[4], ambient[4], diffuse[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, model);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    ShineLight l;
    for (int k = 0; k < 3; k++) {
        l.base[k] = 5 * model[k] + 5 * ambient[k];
        l.diffuse[k] = -diffuse[k];
    }
    return l;
}

// The computed shine needs light 0 to be the only light lit shapes see.
bool shine_computable(void)
{
    GLint lights = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &lights);
    for (int i = 1; i < lights; i++)
        if (glIsEnabled(GL_LIGHT0 + i))
            return false;
    return true;
}

float clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// A triangle of the closed shapes, unless it plainly faces away from the
// eye: such a triangle lies behind the shape's near side, so neither pass
// could show it, and skipping it spares the driver half the fill. Its
// facing is taken from its own plane, turned outward by its vertex normals
// (the winding of the meshes says nothing); edge-on ones are kept.
void add_world_triangle(unsigned a, unsigned b, unsigned c)
{
    const WorldVertex &A = g_world[a], &B = g_world[b], &C = g_world[c];
    float u[3], w[3], out = 0, towards = 0;
    for (int k = 0; k < 3; k++) {
        u[k] = B.pos[k] - A.pos[k];
        w[k] = C.pos[k] - A.pos[k];
    }
    const float g[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    for (int k = 0; k < 3; k++) {
        out += g[k] * (A.normal[k] + B.normal[k] + C.normal[k]);
        towards += g[k] * (g_eye[k] - A.pos[k]);
    }
    if ((out > 0 && towards < 0) || (out < 0 && towards > 0))
        return;
    g_world_index.insert(g_world_index.end(), {a, b, c});
}

void append_world_shape(const ShinyShape &q, const ShineLight &light)
{
    const Shape s = shape_of(q);
    BumpMesh *m = mesh(s.prim);
    if (!m)
        return;
    float scale = 1;
    if (s.prim == BUMP_SPHERE)
        scale = s.sizes[0];
    else if (s.prim == BUMP_BOX)
        bump_mesh_set_box_size(m, s.sizes);
    else
        bump_mesh_set_capsule_size(m, s.sizes[0], s.sizes[2]);
    float d[3] = {g_eye[0] - s.pos[0], g_eye[1] - s.pos[1], g_eye[2] - s.pos[2]};
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (len > 0)
        for (int k = 0; k < 3; k++)
            d[k] /= len;
    const float tex_k = s.half_extent > 0 ? 0.5f / s.half_extent : 1.0f;
    const float *V = q.view, *R = s.R;
    const unsigned base = (unsigned)g_world.size();
    for (int i = 0; i < m->count; i++) {
        const BumpVertex &bv = m->v[i];
        WorldVertex w;
        float n2 = 0, nd = 0, off[3];
        for (int r = 0; r < 3; r++) {
            off[r] = scale * (R[4 * r] * bv.pos[0] + R[4 * r + 1] * bv.pos[1] + R[4 * r + 2] * bv.pos[2]);
            w.pos[r] = off[r] + s.pos[r];
            w.normal[r] = R[4 * r] * bv.normal[0] + R[4 * r + 1] * bv.normal[1] + R[4 * r + 2] * bv.normal[2];
            n2 += w.normal[r] * w.normal[r];
            nd += w.normal[r] * d[r];
        }
        const float facing = n2 > 0 ? std::fmax(nd / std::sqrt(n2), 0.0f) : 0.0f;
        for (int k = 0; k < 3; k++)
            w.colour[k] = clamp01(light.base[k] + light.diffuse[k] * facing);
        w.colour[3] = 1;
        w.st[0] = tex_k * (V[0] * off[0] + V[4] * off[1] + V[8] * off[2]) + 0.5f;
        w.st[1] = tex_k * (V[1] * off[0] + V[5] * off[1] + V[9] * off[2]) + 0.5f;
        g_world.push_back(w);
    }
    // Quads (the box) or quad strips (sphere, capsule) as triangles, both
    // ending at the quad's last vertex: flat shaded, the shine takes its
    // colour from there as the quad did.
    if (m->count == BUMP_BOX_VERTICES) {
        for (unsigned f = base; f < base + BUMP_BOX_VERTICES; f += 4) {
            add_world_triangle(f, f + 1, f + 3);
            add_world_triangle(f + 1, f + 2, f + 3);
        }
    } else {
        const unsigned strip = m->count == BUMP_SPHERE_VERTICES ? BUMP_SPHERE_STRIP : BUMP_CAPSULE_STRIP;
        for (unsigned f = 0; f + strip <= (unsigned)m->count; f += strip)
            for (unsigned k = 0; k + 3 < strip; k += 2) {
                const unsigned v = base + f + k;
                add_world_triangle(v, v + 1, v + 3);
                add_world_triangle(v + 2, v, v + 3);
            }
    }
}

void point_world_arrays(bool shine)
{
    const GLsizei stride = sizeof(WorldVertex);
    glClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, g_world[0].pos);
    if (shine) {
        glDisableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, stride, g_world[0].colour);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, g_world[0].st);
    } else {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, g_world[0].normal);
    }
}

void draw_index_range(int from, int to)
{
    if (to > from)
        glDrawElements(GL_TRIANGLES, to - from, GL_UNSIGNED_INT, g_world_index.data() + from);
}

// The queued lit passes, as lit_pass draws an opaque untextured shape in
// the shiny material: one draw per run of one colour.
void draw_queued_lit(void)
{
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_BLEND);
    // Opaque and untextured, the lit colour's alpha is the material's 1:
    // the alpha test lit_pass sets could drop nothing, and left on it costs
    // the driver its fast path for opaque fragments.
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_CLIP_PLANE0);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_TEXTURE_2D);
    point_world_arrays(false);
    const float *last = nullptr;
    int from = 0, at = 0;
    for (int i = 0; i < g_shiny_count; i++) {
        const ShinyShape &q = g_shiny[i];
        const float *c = q.colour;
        if (q.lit && (!last || c[0] != last[0] || c[1] != last[1] || c[2] != last[2] || c[3] != last[3])) {
            draw_index_range(from, at);
            set_shiny_material(c[0], c[1], c[2], c[3]);
            last = c;
            from = at;
        }
        if (!q.lit) {   // drawn already: ends the run
            draw_index_range(from, at);
            from = g_shape_index_end[i];
        }
        at = g_shape_index_end[i];
    }
    draw_index_range(from, at);
}

// The queued shine passes in one draw: unlit, the computed colour times
// the shine texture, blended as begin_shine_state blends.
void draw_queued_shine(void)
{
    begin_shine_state();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    point_world_arrays(true);
    draw_index_range(0, (int)g_world_index.size());
}

// Kind 8 draws textured; a shiny shape of kind 1 draws in the shiny
// material; both then take the shine pass when shiny. Returns false for
// every other case (the plain drawer draws it).
bool draw_skin(const Shape &s, int kind, const Texture *color, const Texture *bump, int flags)
{
    const bool shiny = is_shiny(flags);
    // Inside an opaque pass a shiny shape waits for the pass's end (see
    // shiny_shapes_flush): one state for all of them costs the driver far
    // less than two state changes per shape.
    const bool defer = shiny && shapes_in_opaque_pass();
    if (kind == DRAW_TEXTURED)
        lit_pass(s, color, bump, shiny && s.prim != BUMP_SPHERE, nullptr, false);
    else if (kind == DRAW_NORMAL && shiny && !defer)
        lit_pass(s, nullptr, nullptr, true, nullptr, false);
    else if (kind != DRAW_NORMAL || !shiny)
        return false;
    if (defer)
        queue_shiny(s, kind == DRAW_NORMAL);
    else if (shiny)
        shine_pass(s);
    return true;
}

} // namespace

void shiny_shapes_flush(void)
{
    if (g_shiny_count == 0)
        return;
    shapes_flush();
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT |
                 GL_TRANSFORM_BIT | GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(g_shiny[0].view);
    g_world.clear();
    g_world_index.clear();
    const ShineLight light = shine_light();
    for (int i = 0; i < g_shiny_count; i++) {
        append_world_shape(g_shiny[i], light);
        g_shape_index_end[i] = (int)g_world_index.size();
    }
    if (!g_world.empty()) {
        // The lit passes' state stays theirs: the shine keeps the frame's
        // shade model (flat), as when drawn one shape at a time.
        glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT);
        draw_queued_lit();
        glPopAttrib();
        if (shine_computable()) {
            draw_queued_shine();
        } else {    // lit per shape by the driver
            begin_shine_state();
            for (int i = 0; i < g_shiny_count; i++) {
                glLoadMatrixf(g_shiny[i].view);
                shine_shape(shape_of(g_shiny[i]));
            }
        }
    }
    g_shiny_count = 0;
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();   // the scene light with it
    shapes_forget_material();
}

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
                        const Texture *bump, int flags, const float *vel, const float *spin)
{
    if (shaders_active()) {
        queue_sphere_pose(pos, R, radius, kind, color, bump, vel, spin);
        return;
    }
    const Shape s = {BUMP_SPHERE, pos, R, {radius, radius, radius}, radius};
    if (!draw_skin(s, kind, color, bump, flags))
        render_sphere(pos, R, radius, kind);
}

void render_box_skin(const float *pos, const float *R, const float *sides, int kind, const Texture *color,
                     const Texture *bump, int flags, const float *vel, const float *spin)
{
    if (shaders_active()) {
        queue_box_pose(pos, R, sides, kind, color, bump, vel, spin);
        return;
    }
    const float most = std::fmax(sides[0], std::fmax(sides[1], sides[2]));
    const Shape s = {BUMP_BOX, pos, R, {sides[0], sides[1], sides[2]}, 0.5f * most};
    if (!draw_skin(s, kind, color, bump, flags))
        render_box(pos, R, sides, kind);
}

void render_capsule_skin(const float *pos, const float *R, float length, float radius, int kind,
                         const Texture *color, const Texture *bump, int flags, const float *vel,
                         const float *spin)
{
    if (shaders_active()) {
        queue_capsule_pose(pos, R, length, radius, kind, color, bump, vel, spin);
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
