#include "render/shapes_gl.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "render/color_state.h"
#include "render/fighter_look.h"

namespace {

enum { LIST_SPHERE, LIST_SPHERE_COARSE, LIST_HEMISPHERE, LIST_CYLINDER, LIST_BOX, LIST_DISC, LIST_QUAD, LIST_COUNT };

float g_clear[3] = {1, 1, 1};
GLuint g_lists;
GLuint g_textures[2];
float g_light[4] = {1, 0.4f, 5, 0};
bool g_attrib_pushed;
bool g_blend_dropped;       // this shape turned the frame's blending off
bool g_shadow_pass;
bool g_opaque_pass;
float g_material[4];        // the colour the material was last set from, in an opaque pass
bool g_material_known;

// A shadow pass gathers its shapes as world-space triangles and draws them
// in one call at its end: they share one colour and one state, and one draw
// per shape costs the driver far more than the vertices do. The unit meshes
// are those of the lists, as outward-facing triangles.
enum { MESH_SPHERE_COARSE, MESH_CYLINDER, MESH_HEMISPHERE, MESH_BOX, MESH_COUNT };
std::vector<float> g_unit[MESH_COUNT];
std::vector<float> g_shadow_batch;

void add_triangle(std::vector<float> &out, const float *a, const float *b, const float *c)
{
    const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const float outward = n[0] * (a[0] + b[0] + c[0]) + n[1] * (a[1] + b[1] + c[1]) + n[2] * (a[2] + b[2] + c[2]);
    if (n[0] * n[0] + n[1] * n[1] + n[2] * n[2] < 1e-12f)
        return;     // a pole's empty corner
    for (const float *p : {a, outward < 0 ? c : b, outward < 0 ? b : c})
        out.insert(out.end(), p, p + 3);
}

// Quads between the points point(i, j) of a rows x cols grid.
template <class Point> void add_grid(std::vector<float> &out, int rows, int cols, Point point)
{
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < cols; j++) {
            float a[3], b[3], c[3], d[3];
            point(i, j, a);
            point(i + 1, j, b);
            point(i + 1, j + 1, c);
            point(i, j + 1, d);
            add_triangle(out, a, b, c);
            add_triangle(out, a, c, d);
        }
}

void make_unit_meshes(void)
{
    if (!g_unit[MESH_BOX].empty())
        return;
    // The coarse sphere as the quadric lays it out: 6 stacks from +z, 8 slices.
    add_grid(g_unit[MESH_SPHERE_COARSE], 6, 8, [](int i, int j, float *p) {
        const double rho = i * M_PI / 6, theta = j * 2 * M_PI / 8;
        p[0] = (float)(std::sin(rho) * std::sin(theta));
        p[1] = (float)(std::sin(rho) * std::cos(theta));
        p[2] = (float)std::cos(rho);
    });
    add_grid(g_unit[MESH_CYLINDER], 1, 20, [](int i, int j, float *p) {
        const double theta = j * 2 * M_PI / 20;
        p[0] = (float)std::sin(theta);
        p[1] = (float)std::cos(theta);
        p[2] = i - 0.5f;
    });
    add_grid(g_unit[MESH_HEMISPHERE], 6, 16, [](int i, int j, float *p) {
        const float a = (float)(i * M_PI / 2 / 6), b = (float)(j * 2 * M_PI / 16);
        p[0] = std::cos(a) * std::cos(b);
        p[1] = std::cos(a) * std::sin(b);
        p[2] = std::sin(a);
    });
    for (int axis = 0; axis < 3; axis++)
        for (float side : {-0.5f, 0.5f})
            add_grid(g_unit[MESH_BOX], 1, 1, [axis, side](int i, int j, float *p) {
                p[axis] = side;
                p[(axis + 1) % 3] = i - 0.5f;
                p[(axis + 2) % 3] = j - 0.5f;
            });
}

// The unit mesh scaled, turned half round x when flip, raised by lift along
// z, and posed, onto the pass's triangles.
void batch_shadow(int mesh, const float *pos, const float *R, const float *scale, bool flip, float lift)
{
    make_unit_meshes();
    const std::vector<float> &m = g_unit[mesh];
    const float turn = flip ? -1.0f : 1.0f;
    const size_t at = g_shadow_batch.size();
    g_shadow_batch.resize(at + m.size());
    float *out = &g_shadow_batch[at];
    for (size_t k = 0; k < m.size(); k += 3, out += 3) {
        const float l[3] = {scale[0] * m[k], turn * scale[1] * m[k + 1], turn * scale[2] * m[k + 2] + lift};
        for (int i = 0; i < 3; i++)
            out[i] = R[4 * i] * l[0] + R[4 * i + 1] * l[1] + R[4 * i + 2] * l[2] + pos[i];
    }
}

// The projection of world points along the light onto the floor.
void multiply_shadow_matrix(void)
{
    const float lz = std::fabs(g_light[2]) > 1e-3f ? g_light[2] : 1e-3f;
    const GLfloat m[16] = {1, 0, 0, 0, 0, 1, 0, 0, -g_light[0] / lz, -g_light[1] / lz, 0, 0, 0, 0, 0.002f, 1};
    glMultMatrixf(m);
}

void flush_shadow_batch(void)
{
    if (g_shadow_batch.empty())
        return;
    glColor4f(g_clear[0] * 0.6f, g_clear[1] * 0.6f, g_clear[2] * 0.6f, 1);
    glPushMatrix();
    multiply_shadow_matrix();
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_SECONDARY_COLOR_ARRAY,
                         GL_FOG_COORD_ARRAY, GL_EDGE_FLAG_ARRAY, GL_INDEX_ARRAY})
        glDisableClientState(array);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, g_shadow_batch.data());
    glDrawArrays(GL_TRIANGLES, 0, (GLsizei)(g_shadow_batch.size() / 3));
    glPopClientAttrib();
    glPopMatrix();
    g_shadow_batch.clear();
}

bool batching_shadows(int kind) { return kind == DRAW_SHADOW && g_shadow_pass; }

// A unit cube centred on the origin, one normal per face.
void emit_cube(void)
{
    static const float n[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    static const signed char v[6][4][3] = {
        {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},
        {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
        {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}},
        {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
        {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
        {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
    };
    glBegin(GL_QUADS);
    for (int f = 0; f < 6; f++) {
        glNormal3fv(n[f]);
        for (int k = 0; k < 4; k++)
            glVertex3f(v[f][k][0] * 0.5f, v[f][k][1] * 0.5f, v[f][k][2] * 0.5f);
    }
    glEnd();
}

// A disc of radius 1 at z = 0 facing +z, 24 steps.
void emit_disc(void)
{
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0.5f, 0.5f);
    glVertex3f(0, 0, 0);
    for (int i = 0; i <= 24; i++) {
        const float a = (float)(i * M_PI / 12);
        glTexCoord2f(0.5f * (1 + std::sin(a)), 0.5f * (1 + std::cos(a)));
        glVertex3f(std::sin(a), std::cos(a), 0);
    }
    glEnd();
}

void emit_quad(void)
{
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0, 0); glVertex3f(-1, -1, 0);
    glTexCoord2f(1, 0); glVertex3f(1, -1, 0);
    glTexCoord2f(1, 1); glVertex3f(1, 1, 0);
    glTexCoord2f(0, 1); glVertex3f(-1, 1, 0);
    glEnd();
}

// The upper half (z >= 0) of a unit sphere, closed by nothing: quad strips
// from the equator to the pole.
void emit_hemisphere(void)
{
    enum { SLICES = 16, STACKS = 6 };
    for (int i = 0; i < STACKS; i++) {
        const float a0 = (float)(i * M_PI / 2 / STACKS), a1 = (float)((i + 1) * M_PI / 2 / STACKS);
        glBegin(GL_QUAD_STRIP);
        for (int j = 0; j <= SLICES; j++) {
            const float b = (float)(j * 2 * M_PI / SLICES);
            for (float a : {a1, a0}) {
                const float x = std::cos(a) * std::cos(b), y = std::cos(a) * std::sin(b), z = std::sin(a);
                glNormal3f(x, y, z);
                glVertex3f(x, y, z);
            }
        }
        glEnd();
    }
}

GLuint make_alpha_texture(int w, int h, const std::vector<unsigned char> &alpha)
{
    std::vector<unsigned char> px((size_t)w * h * 4, 255);
    for (size_t i = 0; i < alpha.size(); i++)
        px[i * 4 + 3] = alpha[i];
    GLuint t = 0;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return t;
}

// Shine: 16 x 64, alpha stepping sharply at the middle row.
GLuint make_shine_texture(void)
{
    std::vector<unsigned char> a(16 * 64);
    for (int i = 0; i < 64; i++) {
        float v = (i / 64.0f - 0.5f) * 60.0f;
        v = v < -1 ? -1 : v > 1 ? 1 : v;
        for (int x = 0; x < 16; x++)
            a[i * 16 + x] = (unsigned char)std::lround((0.25f * v + 0.75f) * 255);
    }
    return make_alpha_texture(16, 64, a);
}

// Sprite disc: 128 x 128, opaque inside a circle of radius ~63.5.
GLuint make_sprite_texture(void)
{
    std::vector<unsigned char> a(128 * 128);
    for (int j = 0; j < 128; j++)
        for (int i = 0; i < 128; i++) {
            const int x = i - 63, y = j - 63;
            a[j * 128 + i] = (x - 1) * x + (y - 1) * y < 4032 ? 255 : 0;
        }
    return make_alpha_texture(128, 128, a);
}

// Modelview times the pose.
void push_pose(const float *pos, const float *R)
{
    const GLfloat m[16] = {R[0], R[4], R[8], 0, R[1], R[5], R[9], 0, R[2], R[6], R[10], 0,
                           pos[0], pos[1], pos[2], 1};
    glPushMatrix();
    glMultMatrixf(m);
}

// Kind 4 draws the shape flattened onto the floor along the light, in a
// colour darker than the background; an alpha below 1 blends.
void shadow_state(void)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glColor4f(g_clear[0] * 0.6f, g_clear[1] * 0.6f, g_clear[2] * 0.6f, 1);
}

void begin_kind(int kind)
{
    if (kind == DRAW_SHADOW) {
        // Inside a shadow pass the state is set once for all its shapes.
        g_attrib_pushed = !g_shadow_pass;
        if (g_attrib_pushed)
            shadow_state();
        else    // the drawers set their own colours between shapes
            glColor4f(g_clear[0] * 0.6f, g_clear[1] * 0.6f, g_clear[2] * 0.6f, 1);
        glPushMatrix();
        multiply_shadow_matrix();
        return;
    }
    glPushMatrix();
    const float *c = current_color();
    // In an opaque pass the material is set only when the colour changes:
    // every material call makes the driver validate its lighting again.
    if (!(g_opaque_pass && g_material_known && c[0] == g_material[0] && c[1] == g_material[1] &&
          c[2] == g_material[2] && c[3] == g_material[3])) {
        set_material(c[0], c[1], c[2], c[3]);
        for (int k = 0; k < 4; k++)
            g_material[k] = c[k];
        g_material_known = g_opaque_pass;
    }
    // See-through shapes blend without writing depth; opaque ones skip the
    // blending the frame leaves on (once for an opaque pass). Attribute
    // pushes are kept to the first kind: they make the driver check all its
    // state again.
    g_attrib_pushed = c[3] < 1;
    if (g_attrib_pushed) {
        glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_BLEND);
        glDepthMask(GL_FALSE);
    } else if (!g_opaque_pass) {
        glDisable(GL_BLEND);
        g_blend_dropped = true;
    }
}

void end_kind(void)
{
    glPopMatrix();
    if (g_attrib_pushed)
        glPopAttrib();
    else if (g_blend_dropped)
        glEnable(GL_BLEND);
    g_attrib_pushed = g_blend_dropped = false;
}

void call_scaled(int list, float sx, float sy, float sz)
{
    glPushMatrix();
    glScalef(sx, sy, sz);
    glCallList(g_lists + list);
    glPopMatrix();
}

} // namespace

void set_material(float r, float g, float b, float a)
{
    const GLfloat ambient[4] = {2.5f * r, 2.5f * g, 2.5f * b, 1};
    const GLfloat diffuse[4] = {0.425f * r, 0.425f * g, 0.425f * b, a};
    const GLfloat specular[4] = {0.34f, 0.34f, 0.34f, 1};
    glDisable(GL_COLOR_MATERIAL);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 12.8f);
}

void shadow_pass_begin(void)
{
    if (g_shadow_pass)
        return;
    shadow_state();
    g_shadow_pass = true;
}

void shadow_pass_end(void)
{
    if (!g_shadow_pass)
        return;
    flush_shadow_batch();
    glPopAttrib();
    g_shadow_pass = false;
}

void opaque_pass_begin(void)
{
    if (g_opaque_pass)
        return;
    glDisable(GL_BLEND);
    g_opaque_pass = true;
    g_material_known = false;
}

void opaque_pass_end(void)
{
    if (!g_opaque_pass)
        return;
    glEnable(GL_BLEND);
    g_opaque_pass = false;
    g_material_known = false;
}

void shapes_forget_material(void) { g_material_known = false; }

void gl_set_color(float r, float g, float b, float a)
{
    const float c[4] = {r, g, b, a};
    set_color4fv(c);
}

const float *gl_current_color(void) { return current_color(); }

void gl_apply_color(const float *rgba) { glColor4fv(rgba); }

void set_clear_color(float r, float g, float b)
{
    g_clear[0] = r; g_clear[1] = g; g_clear[2] = b;
    glClearColor(r, g, b, 0);
}

const float *get_clear_color(void) { return g_clear; }

void shapes_set_light(const float *pos4)
{
    for (int k = 0; k < 4; k++)
        g_light[k] = pos4[k];
}

void render_box(const float *pos, const float *R, const float *sides, int kind)
{
    if (!g_lists)
        return;
    if (batching_shadows(kind)) {
        batch_shadow(MESH_BOX, pos, R, sides, false, 0);
        return;
    }
    begin_kind(kind);
    push_pose(pos, R);
    call_scaled(LIST_BOX, sides[0], sides[1], sides[2]);
    glPopMatrix();
    end_kind();
}

// Kind 32: a flat disc of the radius facing the camera, unlit, blended.
static void render_facing_disc(const float *pos, float radius)
{
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glColor4fv(current_color());
    glPushMatrix();
    glTranslatef(pos[0], pos[1], pos[2]);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int c = 0; c < 3; c++)         // no rotation left: the disc faces the eye
        for (int r = 0; r < 3; r++)
            m[c * 4 + r] = c == r ? 1.0f : 0.0f;
    glLoadMatrixf(m);
    call_scaled(LIST_DISC, radius, radius, 1);
    glPopMatrix();
    glPopAttrib();
}

void render_sphere(const float *pos, const float *R, float radius, int kind)
{
    if (!g_lists)
        return;
    if (kind == DRAW_ALPHA) {
        render_facing_disc(pos, radius);
        return;
    }
    if (batching_shadows(kind)) {
        const float scale[3] = {radius, radius, radius};
        batch_shadow(MESH_SPHERE_COARSE, pos, R, scale, false, 0);
        return;
    }
    begin_kind(kind);
    push_pose(pos, R);
    call_scaled(kind == DRAW_SHADOW ? LIST_SPHERE_COARSE : LIST_SPHERE, radius, radius, radius);
    glPopMatrix();
    end_kind();
}

void render_capsule(const float *pos, const float *R, float length, float radius, int kind)
{
    if (!g_lists)
        return;
    if (batching_shadows(kind)) {
        const float tube[3] = {radius, radius, length}, cap[3] = {radius, radius, radius};
        batch_shadow(MESH_CYLINDER, pos, R, tube, false, 0);
        batch_shadow(MESH_HEMISPHERE, pos, R, cap, false, 0.5f * length);
        batch_shadow(MESH_HEMISPHERE, pos, R, cap, true, -0.5f * length);
        return;
    }
    begin_kind(kind);
    push_pose(pos, R);
    call_scaled(LIST_CYLINDER, radius, radius, length);
    // The caps: a half sphere at each end, turned outwards.
    for (float end : {-0.5f, 0.5f}) {
        glPushMatrix();
        glTranslatef(0, 0, end * length);
        if (end < 0)
            glRotatef(180, 1, 0, 0);
        call_scaled(LIST_HEMISPHERE, radius, radius, radius);
        glPopMatrix();
    }
    glPopMatrix();
    end_kind();
}

void render_hemisphere(const float *pos, const float *R, float radius, const float *axis, int kind)
{
    if (!g_lists)
        return;
    begin_kind(kind);
    push_pose(pos, R);
    // The list's +z turned onto the axis; its open side faces the other half.
    const float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (len > 0) {
        const float z = axis[2] / len;
        const float deg = (float)(std::acos(z < -1 ? -1 : z > 1 ? 1 : z) * 180 / M_PI);
        if (std::fabs(axis[0]) + std::fabs(axis[1]) > 1e-6f)
            glRotatef(deg, -axis[1], axis[0], 0);
        else if (z < 0)
            glRotatef(180, 1, 0, 0);
    }
    const GLboolean cull = glIsEnabled(GL_CULL_FACE);
    glDisable(GL_CULL_FACE);
    call_scaled(LIST_HEMISPHERE, radius, radius, radius);
    if (kind == DRAW_AXIS_SIDE) {   // the cut closed, facing away from the half
        glRotatef(180, 1, 0, 0);
        call_scaled(LIST_DISC, radius, radius, 1);
    }
    if (cull)
        glEnable(GL_CULL_FACE);
    glPopMatrix();
    end_kind();
}

void shapes_create(void)
{
    shapes_free();
    g_textures[0] = make_shine_texture();
    g_textures[1] = make_sprite_texture();
    g_lists = glGenLists(LIST_COUNT);
    GLUquadric *q = gluNewQuadric();
    gluQuadricTexture(q, GL_TRUE);
    glNewList(g_lists + LIST_SPHERE, GL_COMPILE);
    gluSphere(q, 1.0, 16, 12);
    glEndList();
    glNewList(g_lists + LIST_SPHERE_COARSE, GL_COMPILE);
    gluSphere(q, 1.0, 8, 6);
    glEndList();
    glNewList(g_lists + LIST_HEMISPHERE, GL_COMPILE);
    emit_hemisphere();
    glEndList();
    glNewList(g_lists + LIST_CYLINDER, GL_COMPILE);
    glTranslatef(0, 0, -0.5f);
    gluCylinder(q, 1.0, 1.0, 1.0, 20, 1);
    glTranslatef(0, 0, 0.5f);
    glEndList();
    gluDeleteQuadric(q);
    glNewList(g_lists + LIST_BOX, GL_COMPILE);
    emit_cube();
    glEndList();
    glNewList(g_lists + LIST_DISC, GL_COMPILE);
    emit_disc();
    glEndList();
    glNewList(g_lists + LIST_QUAD, GL_COMPILE);
    emit_quad();
    glEndList();
}

void shapes_free(void)
{
    if (g_lists)
        glDeleteLists(g_lists, LIST_COUNT);
    g_lists = 0;
    g_shadow_batch.clear();
    for (GLuint &t : g_textures) {
        if (t)
            glDeleteTextures(1, &t);
        t = 0;
    }
}

int shapes_list_base(void) { return (int)g_lists; }
int shapes_list_count(void) { return LIST_COUNT; }
unsigned shapes_texture(int k) { return k >= 0 && k < 2 ? g_textures[k] : 0; }

void shapes_draw_disc(float radius)
{
    if (g_lists)
        call_scaled(LIST_DISC, radius, radius, 1);
}

void shapes_draw_quad(float half)
{
    if (g_lists)
        call_scaled(LIST_QUAD, half, half, 1);
}
