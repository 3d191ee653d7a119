#include "render/shapes_gl.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "app/base/options.h"
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
        const float lz = std::fabs(g_light[2]) > 1e-3f ? g_light[2] : 1e-3f;
        const GLfloat m[16] = {1, 0, 0, 0, 0, 1, 0, 0, -g_light[0] / lz, -g_light[1] / lz, 0, 0,
                               0, 0, 0.002f, 1};
        glPushMatrix();
        glMultMatrixf(m);
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

// ---- Posed drawers without kinds, and small 3D and 2D utilities ----

// Lighting on, texturing off, the lit material of the current colour,
// blending for a see-through colour. The caller has pushed the enable,
// colour-buffer and lighting attributes, so the material the opaque pass
// keeps comes back with them.
static void apply_color_material(void)
{
    const float *c = current_color();
    glEnable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    set_material(c[0], c[1], c[2], c[3]);
    if (c[3] != 1) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
}

static const GLbitfield k_drawer_attribs = GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_LIGHTING_BIT |
                                           GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT;

void render_triangle(const float *pos, const float *R, const float *a, const float *b, const float *c, int filled)
{
    const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const float len2 = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    if (len2 > 0) {
        const float inv = 1.0f / std::sqrt(len2);
        for (float &k : n)
            k *= inv;
    } else {
        n[0] = 1; n[1] = n[2] = 0;
    }
    glPushAttrib(k_drawer_attribs);
    apply_color_material();
    push_pose(pos, R);
    glBegin(filled ? GL_TRIANGLES : GL_LINE_STRIP);   // open: two edges, c back to a left out
    glNormal3fv(n);
    glVertex3fv(a);
    glVertex3fv(b);
    glVertex3fv(c);
    glEnd();
    glPopMatrix();
    glPopAttrib();
}

// The colour part of set_material, which may change between glBegin and
// glEnd.
static void material_colour(const float *c)
{
    const GLfloat ambient[4] = {2.5f * c[0], 2.5f * c[1], 2.5f * c[2], 1};
    const GLfloat diffuse[4] = {0.425f * c[0], 0.425f * c[1], 0.425f * c[2], c[3]};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
}

void render_cylinder(const float *pos, const float *R, float length, float radius)
{
    // The rim: (1, 0) turned by 15 degrees at each step.
    float rim[25][2];
    const float cs = std::cos((float)(M_PI / 12)), sn = std::sin((float)(M_PI / 12));
    rim[0][0] = 1;
    rim[0][1] = 0;
    for (int i = 1; i < 25; i++) {
        rim[i][0] = rim[i - 1][0] * cs - rim[i - 1][1] * sn;
        rim[i][1] = rim[i - 1][0] * sn + rim[i - 1][1] * cs;
    }
    const float h = length / 2;
    const float *col = current_color();
    const float dark[4] = {0.75f * col[0], 0.75f * col[1], 0.75f * col[2], col[3]};
    glPushAttrib(k_drawer_attribs);
    apply_color_material();
    push_pose(pos, R);
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 25; i++) {
        glNormal3f(rim[i][0], rim[i][1], 0);
        glVertex3f(radius * rim[i][0], radius * rim[i][1], h);
        glVertex3f(radius * rim[i][0], radius * rim[i][1], -h);
    }
    glEnd();
    glShadeModel(GL_FLAT);
    // Flat shading takes a fan triangle's colour from its last point: the
    // points at 15 and 195 degrees darken the wedges that end there.
    for (int cap = 0; cap < 2; cap++) {
        const float z = cap == 0 ? h : -h, turn = cap == 0 ? 1.0f : -1.0f;
        glBegin(GL_TRIANGLE_FAN);
        glNormal3f(0, 0, turn);
        glVertex3f(0, 0, z);
        for (int i = 0; i < 25; i++) {
            const bool darker = i == 1 || i == 13;
            if (darker)
                material_colour(dark);
            glVertex3f(radius * rim[i][0], turn * radius * rim[i][1], z);
            if (darker)
                material_colour(col);
        }
        glEnd();
    }
    glPopMatrix();
    glPopAttrib();
}

// Unlit lines and quads in the current colour.
static void begin_unlit(void)
{
    glPushAttrib(k_drawer_attribs | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor4fv(current_color());
}

void draw_square_outline(float x, float y, float z, int, float, float side)
{
    const float h = side / 2;
    const float corner[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
    begin_unlit();
    glBegin(GL_LINES);
    for (int k = 0; k < 4; k++) {
        glVertex3f(x + corner[k][0], y + corner[k][1], z);
        glVertex3f(x + corner[(k + 1) % 4][0], y + corner[(k + 1) % 4][1], z);
    }
    glEnd();
    glPopAttrib();
}

void draw_line_3d(const float *a, const float *b)
{
    begin_unlit();
    glBegin(GL_LINES);
    glVertex3fv(a);
    glVertex3fv(b);
    glEnd();
    glPopAttrib();
}

void render_disk(float x, float y, float inner, float outer, int slices, int loops, float start, float sweep,
                 int additive)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(inner) || !std::isfinite(outer) ||
        !std::isfinite(start) || !std::isfinite(sweep))
        return;
    slices = slices < 1 ? 1 : slices > 1024 ? 1024 : slices;
    loops = loops < 1 ? 1 : loops > 256 ? 256 : loops;
    begin_unlit();
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    // Angles from +y, turning towards +x, as a partial disk of the quadric.
    const float a0 = (float)(start * M_PI / 180), da = (float)(sweep * M_PI / 180) / slices;
    for (int l = 0; l < loops; l++) {
        const float r0 = inner + (outer - inner) * l / loops, r1 = inner + (outer - inner) * (l + 1) / loops;
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= slices; i++) {
            const float s = std::sin(a0 + i * da), c = std::cos(a0 + i * da);
            glVertex2f(x + r1 * s, y + r1 * c);
            glVertex2f(x + r0 * s, y + r0 * c);
        }
        glEnd();
    }
    glPopAttrib();
}

void draw_ring_3d(const float *pos, float ra, float rb, int, int, float, float, int additive, const Texture *tex)
{
    glPushAttrib(k_drawer_attribs);
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    glTranslatef(pos[0], pos[1], pos[2]);
    glRotatef(90, 0, 0, 1);
    glDisable(GL_LIGHTING);
    glColor4fv(current_color());
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    if (tex && tex->loaded) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, tex->gl_id);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    glBegin(GL_QUAD_STRIP);
    glNormal3f(0, 0, 1);
    for (int i = 0; i <= 32; i++) {
        const float t = (float)(i * M_PI / 16), s = std::sin(t), c = std::cos(t);
        glTexCoord2f(8 * t / (float)M_PI, 1);
        glVertex3f(ra * s, ra * c, 0);
        glTexCoord2f(8 * t / (float)M_PI, 0);
        glVertex3f(rb * s, rb * c, 0);
    }
    glEnd();
    glPopMatrix();
    glPopAttrib();
}

// ---- Projections ----

static float g_fov = 50;

static void set_projection(float fov, float aspect)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, aspect, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
}

static float window_aspect(void)
{
    const int w = option_get(OPT_WIDTH), h = option_get(OPT_HEIGHT);
    return w > 0 && h > 0 ? (float)w / (float)h : 1.0f;
}

void push_square_perspective(void)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    set_projection(50, 1);
}

void pop_perspective(void)
{
    set_projection(g_fov, window_aspect());
    glPopMatrix();
    glViewport(0, 0, option_get(OPT_WIDTH), option_get(OPT_HEIGHT));
}

void camera_set_fov(float fov)
{
    if (std::isfinite(fov) && fov > 0 && fov < 180)
        g_fov = fov;
    set_projection(g_fov, window_aspect());
}

void set_view_from_front(const int *origin, const int *size, const float *point)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(point[0], point[1] - 3, point[2], point[0], point[1], point[2], 0, 0, 1);
    glViewport(origin[0], option_get(OPT_HEIGHT) - origin[1] - size[1], size[0], size[1]);
    glClear(GL_DEPTH_BUFFER_BIT);
}
