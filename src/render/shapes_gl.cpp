#include "render/shapes_gl.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <cmath>
#include <algorithm>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "app/base/options.h"
#include "render/color_state.h"
#include "render/fighter_look.h"
#include "render/graphics_gl.h"
#include "render/scene_gl_state_gl.h"
#include "render/shape_queue.h"
#include "render/render_math.h"
#include "render/shapes_textured_gl.h"

namespace {

// The display lists, made together and deleted together: the plain, coarse
// and textured unit spheres, the octagon disc, the unit quad, the
// 24-segment disc, the textured and the plain ring, the capsule's side and
// its two caps, and the cut sphere and the box of the hemisphere and box
// drawers.
enum {
    LIST_SPHERE, LIST_SPHERE_COARSE, LIST_SPHERE_TEXTURED, LIST_OCTAGON, LIST_QUAD, LIST_DISC, LIST_RING_TEXTURED,
    LIST_RING, LIST_CAPSULE_SIDE, LIST_CAPSULE_TOP, LIST_CAPSULE_BOTTOM, LIST_CUT_SPHERE, LIST_BOX, LIST_COUNT
};

float g_clear[3] = {1, 1, 1};
GLuint g_lists;
GLuint g_textures[2];
// Two quadrics with texture coordinates, for disks and partial disks.
GLUquadric *g_quadrics[2];
bool g_attrib_pushed;
bool g_blend_dropped;       // this shape turned the frame's blending off
bool g_shadow_pass;
bool g_opaque_pass;
bool g_see_through_pass;
float g_material[4];        // the colour the material was last set from, in an opaque pass
bool g_material_known;

// The unit meshes of the lists as indexed triangles, position and normal
// per vertex, outward-facing (shared vertices are lit once). The "both"
// meshes hold every triangle twice, once each way round: drawn with culling
// they show what the one-sided mesh shows without culling (the inside of a
// half sphere).
enum {
    MESH_SPHERE_COARSE, MESH_SPHERE, MESH_SPHERE_TEXTURED, MESH_CAPSULE_SIDE, MESH_CAPSULE_TOP, MESH_CAPSULE_BOTTOM,
    MESH_CUT_SPHERE, MESH_CUT_SPHERE_BOTH, MESH_DISC_BOTH, MESH_BOX, MESH_COUNT
};
struct Mesh {
    std::vector<float> v;           // x y z nx ny nz
    std::vector<unsigned> index;
    std::vector<float> st;          // s t per vertex, where the mesh has them
};
Mesh g_unit[MESH_COUNT];
// A shadow pass gathers its shapes as world-space triangles and draws them
// in one call at its end: they share one colour and one state, and one draw
// per shape costs the driver far more than the vertices do. Opaque and
// see-through passes gather their plain lit shapes the same way, drawn
// whenever the colour changes or another drawer is to draw.
Mesh g_shadow_batch, g_lit_batch;
float g_lit_colour[4];

void add_triangle(Mesh &m, unsigned a, unsigned b, unsigned c, bool both)
{
    const float *pa = &m.v[6 * a], *pb = &m.v[6 * b], *pc = &m.v[6 * c];
    const float u[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
    const float w[3] = {pc[0] - pa[0], pc[1] - pa[1], pc[2] - pa[2]};
    const float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    if (n[0] * n[0] + n[1] * n[1] + n[2] * n[2] < 1e-12f)
        return;     // a pole's empty corner
    float outward = 0;
    for (int k = 0; k < 3; k++)
        outward += n[k] * (pa[3 + k] + pb[3 + k] + pc[3 + k]);
    if (outward < 0)
        std::swap(b, c);
    m.index.insert(m.index.end(), {a, b, c});
    if (both)
        m.index.insert(m.index.end(), {a, c, b});
}

// Quads between the vertices point(i, j) of a rows x cols grid, cut along
// the diagonal the driver cuts the lists' quad strips along (the shading
// across a quad follows it).
template <class Point> void add_grid(Mesh &m, int rows, int cols, bool both, Point point)
{
    const unsigned first = (unsigned)(m.v.size() / 6), across = (unsigned)cols + 1;
    for (int i = 0; i <= rows; i++)
        for (int j = 0; j <= cols; j++) {
            float p[6];
            point(i, j, p);
            m.v.insert(m.v.end(), p, p + 6);
        }
    for (unsigned i = 0; i < (unsigned)rows; i++)
        for (unsigned j = 0; j < (unsigned)cols; j++) {
            const unsigned a = first + i * across + j, b = a + across, c = b + 1, d = a + 1;
            add_triangle(m, a, b, d, both);
            add_triangle(m, b, c, d, both);
        }
}

// The quadric's sphere: stacks from +z, slices from +y towards +x.
void add_sphere(Mesh &m, int slices, int stacks)
{
    add_grid(m, stacks, slices, false, [slices, stacks](int i, int j, float *p) {
        const double rho = i * M_PI / stacks, theta = j * 2 * M_PI / slices;
        p[0] = p[3] = (float)(std::sin(rho) * std::sin(theta));
        p[1] = p[4] = (float)(std::sin(rho) * std::cos(theta));
        p[2] = p[5] = (float)std::cos(rho);
    });
}

// The plain sphere: the regular icosahedron's 20 faces, each cut into four
// twice, the new corners pushed out onto the unit sphere; normals are the
// positions.
void add_icosphere(Mesh &m)
{
    const float a = 0.525731f, b = 0.850651f;
    m.v.clear();
    m.index.clear();
    for (int axis = 0; axis < 3; axis++)       // (±a, 0, ±b) and its cyclic turns
        for (float sa : {-a, a})
            for (float sb : {-b, b}) {
                float p[3] = {0, 0, 0};
                p[axis] = sa;
                p[(axis + 2) % 3] = sb;
                m.v.insert(m.v.end(), {p[0], p[1], p[2], p[0], p[1], p[2]});
            }
    // The faces: every three corners at the edge length from each other.
    auto corner = [&m](unsigned i) { return &m.v[6 * i]; };
    auto dist2 = [](const float *p, const float *q) {
        float d[3];
        vec3_sub(p, q, d);
        return vec3_dot(d, d);
    };
    const float edge2 = 4 * a * a;
    std::vector<unsigned> faces;
    for (unsigned i = 0; i < 12; i++)
        for (unsigned j = i + 1; j < 12; j++)
            for (unsigned k = j + 1; k < 12; k++)
                if (std::fabs(dist2(corner(i), corner(j)) - edge2) < 1e-3f &&
                    std::fabs(dist2(corner(j), corner(k)) - edge2) < 1e-3f &&
                    std::fabs(dist2(corner(i), corner(k)) - edge2) < 1e-3f)
                    faces.insert(faces.end(), {i, j, k});
    for (int level = 0; level < 2; level++) {
        std::map<std::pair<unsigned, unsigned>, unsigned> middle;
        auto mid = [&](unsigned i, unsigned j) {
            const auto key = std::make_pair(std::min(i, j), std::max(i, j));
            auto it = middle.find(key);
            if (it != middle.end())
                return it->second;
            float p[3];
            for (int k = 0; k < 3; k++)
                p[k] = m.v[6 * i + k] + m.v[6 * j + k];
            normalise_in_place(p);
            const unsigned n = (unsigned)(m.v.size() / 6);
            m.v.insert(m.v.end(), {p[0], p[1], p[2], p[0], p[1], p[2]});
            middle[key] = n;
            return n;
        };
        std::vector<unsigned> finer;
        for (size_t f = 0; f < faces.size(); f += 3) {
            const unsigned x = faces[f], y = faces[f + 1], z = faces[f + 2];
            const unsigned xy = mid(x, y), yz = mid(y, z), zx = mid(z, x);
            finer.insert(finer.end(), {x, xy, zx, xy, y, yz, zx, yz, z, xy, yz, zx});
        }
        faces.swap(finer);
    }
    for (size_t f = 0; f < faces.size(); f += 3)
        add_triangle(m, faces[f], faces[f + 1], faces[f + 2], false);
}

// The half of the plain sphere on the +z side, cut through the centre, with
// the look of a flat-shaded half clipped from the whole sphere: every piece
// of a face takes the normal of the face's last corner.
void add_cut_sphere(Mesh &m, const Mesh &sphere, bool both)
{
    for (size_t f = 0; f < sphere.index.size(); f += 3) {
        const float *corner[3] = {&sphere.v[6 * sphere.index[f]], &sphere.v[6 * sphere.index[f + 1]],
                                  &sphere.v[6 * sphere.index[f + 2]]};
        const float *n = corner[2] + 3;
        // The face clipped to z >= 0, corner by corner.
        float kept[4][3];
        int count = 0;
        for (int k = 0; k < 3; k++) {
            const float *p = corner[k], *q = corner[(k + 1) % 3];
            if (p[2] >= 0) {
                for (int c = 0; c < 3; c++)
                    kept[count][c] = p[c];
                count++;
            }
            if ((p[2] >= 0) != (q[2] >= 0)) {
                const float t = p[2] / (p[2] - q[2]);
                for (int c = 0; c < 3; c++)
                    kept[count][c] = p[c] + t * (q[c] - p[c]);
                kept[count][2] = 0;
                count++;
            }
        }
        if (count < 3)
            continue;
        const unsigned first = (unsigned)(m.v.size() / 6);
        for (int k = 0; k < count; k++)
            m.v.insert(m.v.end(), {kept[k][0], kept[k][1], kept[k][2], n[0], n[1], n[2]});
        for (int k = 1; k + 1 < count; k++)
            add_triangle(m, first, first + (unsigned)k, first + (unsigned)k + 1, both);
    }
}

// The ring table: a full circle in 12 steps of 30 degrees, 13 entries so
// that the last closes the first.
enum { RING_STEPS = 12 };
struct RingTable {
    float sin[RING_STEPS + 1], cos[RING_STEPS + 1];
    RingTable()
    {
        for (int i = 0; i <= RING_STEPS; i++) {
            sin[i] = (float)std::sin(i * 2 * M_PI / RING_STEPS);
            cos[i] = (float)std::cos(i * 2 * M_PI / RING_STEPS);
        }
    }
};
const RingTable &ring_table(void)
{
    static const RingTable t;
    return t;
}

// The capsule of the ring table: its side a cylinder of radius 1 from
// z = -1 to 1 (texture s 0.2 at the bottom, 0.8 at the top, t round it),
// each cap a half sphere of three 30-degree stacks whose s goes on outwards
// by 1/15 a stack. side: 0 the cylinder, 1 the top cap, -1 the bottom cap.
void add_capsule_part(Mesh &m, int side)
{
    const RingTable &ring = ring_table();
    const unsigned first = (unsigned)(m.v.size() / 6);
    const int rows = side == 0 ? 1 : 3;
    add_grid(m, rows, RING_STEPS, false, [&ring, side](int i, int j, float *p) {
        if (side == 0) {
            p[0] = p[3] = ring.sin[j];
            p[1] = p[4] = ring.cos[j];
            p[2] = 2.0f * i - 1;
            p[5] = 0;
            return;
        }
        const float a = (float)(i * M_PI / 6), c = std::cos(a), h = side * std::sin(a);
        p[0] = p[3] = c * ring.sin[j];
        p[1] = p[4] = c * ring.cos[j];
        p[2] = p[5] = h;
    });
    m.st.resize(m.v.size() / 3);
    for (int i = 0; i <= rows; i++)
        for (int j = 0; j <= RING_STEPS; j++) {
            const unsigned k = first + (unsigned)(i * (RING_STEPS + 1) + j);
            m.st[2 * k] = side == 0 ? 0.2f + 0.6f * i : side > 0 ? 0.8f + i / 15.0f : 0.2f - i / 15.0f;
            m.st[2 * k + 1] = (float)j / RING_STEPS;
        }
}

void make_unit_meshes(void)
{
    if (!g_unit[MESH_BOX].v.empty())
        return;
    add_sphere(g_unit[MESH_SPHERE_COARSE], 12, 12);
    add_icosphere(g_unit[MESH_SPHERE]);
    // The textured sphere: 24 stacks of 7.5 degrees from the top, 25
    // meridians 15 degrees apart; s round it, t from the bottom up.
    Mesh &textured = g_unit[MESH_SPHERE_TEXTURED];
    add_sphere(textured, 24, 24);
    for (int i = 0; i <= 24; i++)
        for (int j = 0; j <= 24; j++)
            textured.st.insert(textured.st.end(), {j / 24.0f, 1 - i / 24.0f});
    add_cut_sphere(g_unit[MESH_CUT_SPHERE], g_unit[MESH_SPHERE], false);
    add_cut_sphere(g_unit[MESH_CUT_SPHERE_BOTH], g_unit[MESH_SPHERE], true);
    add_capsule_part(g_unit[MESH_CAPSULE_SIDE], 0);
    add_capsule_part(g_unit[MESH_CAPSULE_TOP], 1);
    add_capsule_part(g_unit[MESH_CAPSULE_BOTTOM], -1);
    Mesh &disc = g_unit[MESH_DISC_BOTH];
    disc.v = {0, 0, 0, 0, 0, 1};
    for (int i = 0; i <= 24; i++) {
        const float a = (float)(i * M_PI / 12);
        disc.v.insert(disc.v.end(), {std::sin(a), std::cos(a), 0, 0, 0, 1});
        if (i > 0)
            add_triangle(disc, 0, (unsigned)i, (unsigned)i + 1, true);
    }
    for (int axis = 0; axis < 3; axis++)
        for (float side : {-0.5f, 0.5f})
            add_grid(g_unit[MESH_BOX], 1, 1, false, [axis, side](int i, int j, float *p) {
                p[axis] = side;
                p[(axis + 1) % 3] = i - 0.5f;
                p[(axis + 2) % 3] = j - 0.5f;
                p[3 + axis] = side < 0 ? -1.0f : 1.0f;
                p[3 + (axis + 1) % 3] = p[3 + (axis + 2) % 3] = 0;
            });
}

// How a unit mesh is placed: scaled, then turned by the 3x3 rows turn (none
// when null), raised by lift along z, then posed.
struct Placement {
    const float *pos, *R;
    float scale[3];
    const float *turn;
    float lift;
};

// Appends the placed mesh to out (normals unnormalised: GL_NORMALIZE is on
// in the scene).
void place_mesh(Mesh &out, int mesh, const Placement &at)
{
    make_unit_meshes();
    float M[9];         // R times turn
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            M[3 * i + j] = at.turn ? at.R[4 * i] * at.turn[j] + at.R[4 * i + 1] * at.turn[3 + j] +
                                         at.R[4 * i + 2] * at.turn[6 + j]
                                   : at.R[4 * i + j];
    const float lift[3] = {at.R[2] * at.lift, at.R[6] * at.lift, at.R[10] * at.lift};
    const Mesh &m = g_unit[mesh];
    const size_t first_v = out.v.size(), first_i = out.index.size();
    const unsigned base = (unsigned)(first_v / 6);
    out.v.resize(first_v + m.v.size());
    float *o = &out.v[first_v];
    for (size_t k = 0; k < m.v.size(); k += 6, o += 6) {
        const float l[3] = {at.scale[0] * m.v[k], at.scale[1] * m.v[k + 1], at.scale[2] * m.v[k + 2]};
        const float n[3] = {m.v[k + 3] / at.scale[0], m.v[k + 4] / at.scale[1], m.v[k + 5] / at.scale[2]};
        for (int i = 0; i < 3; i++) {
            o[i] = M[3 * i] * l[0] + M[3 * i + 1] * l[1] + M[3 * i + 2] * l[2] + lift[i] + at.pos[i];
            o[3 + i] = M[3 * i] * n[0] + M[3 * i + 1] * n[1] + M[3 * i + 2] * n[2];
        }
    }
    out.index.resize(first_i + m.index.size());
    for (size_t k = 0; k < m.index.size(); k++)
        out.index[first_i + k] = base + m.index[k];
}

const float k_flip_x[9] = {1, 0, 0, 0, -1, 0, 0, 0, -1};   // half a turn round x

// Shadows fall along a light of their own, fixed in the world, so that a
// fighter's shadow stays where it is when the camera turns:
// x' = x - z, y' = y - 0.4 z, z' = 0 (lifted a hair, so the floor drawn at
// the same height does not hide it). The modelview is pushed first.
const float k_shadow_light[3] = {1, 0.4f, 1};
void push_shadow_projection(void)
{
    const GLfloat m[16] = {1, 0, 0, 0, 0, 1, 0, 0, -k_shadow_light[0] / k_shadow_light[2],
                           -k_shadow_light[1] / k_shadow_light[2], 0, 0, 0, 0, 0.002f, 1};
    glPushMatrix();
    glMultMatrixf(m);
}

// Shadows are the background darkened (blending is off while they draw).
void set_shadow_colour(void) { glColor4f(g_clear[0] * 0.8f, g_clear[1] * 0.8f, g_clear[2] * 0.8f, 0.9f); }

// A sphere's shadow: the ellipse a sphere casts along the shadow light, 24
// points round its centre on the floor, stretched along the light's ground
// direction by the light's length over its height.
enum { SHADOW_ELLIPSE_POINTS = 24 };
void shadow_ellipse(const float *pos, float radius, float (*out)[3])
{
    const float gx = k_shadow_light[0], gy = k_shadow_light[1], gz = k_shadow_light[2];
    const float ground = std::sqrt(gx * gx + gy * gy);
    const float u[2] = {gx / ground, gy / ground}, v[2] = {-u[1], u[0]};
    const float stretch = std::sqrt(gx * gx + gy * gy + gz * gz) / gz;
    const float cx = pos[0] - pos[2] * gx / gz, cy = pos[1] - pos[2] * gy / gz;
    for (int k = 0; k < SHADOW_ELLIPSE_POINTS; k++) {
        const float t = (float)(k * 2 * M_PI / SHADOW_ELLIPSE_POINTS);
        const float a = radius * stretch * std::cos(t), b = radius * std::sin(t);
        out[k][0] = cx + a * u[0] + b * v[0];
        out[k][1] = cy + a * u[1] + b * v[1];
        out[k][2] = 0;
    }
}

// The ellipse appended to a batch as a fan of triangles (normals unused).
void batch_shadow_ellipse(Mesh &m, const float *pos, float radius)
{
    float pt[SHADOW_ELLIPSE_POINTS][3];
    shadow_ellipse(pos, radius, pt);
    const unsigned base = (unsigned)(m.v.size() / 6);
    for (auto &p : pt)
        m.v.insert(m.v.end(), {p[0], p[1], p[2], 0, 0, 1});
    for (unsigned k = 1; k + 1 < SHADOW_ELLIPSE_POINTS; k++)
        m.index.insert(m.index.end(), {base, base + k, base + k + 1});
}

// Draws the gathered triangles, with their normals when lit, and empties them.
void draw_mesh(Mesh &m, bool lit)
{
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_SECONDARY_COLOR_ARRAY,
                         GL_FOG_COORD_ARRAY, GL_EDGE_FLAG_ARRAY, GL_INDEX_ARRAY})
        glDisableClientState(array);
    const GLsizei stride = 6 * sizeof(float);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, m.v.data());
    if (lit) {
        glShadeModel(GL_SMOOTH);
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, m.v.data() + 3);
    }
    glDrawElements(GL_TRIANGLES, (GLsizei)m.index.size(), GL_UNSIGNED_INT, m.index.data());
    glPopClientAttrib();
    m.v.clear();
    m.index.clear();
}

void flush_shadow_batch(void)
{
    if (g_shadow_batch.index.empty())
        return;
    set_shadow_colour();
    push_shadow_projection();
    draw_mesh(g_shadow_batch, false);
    glPopMatrix();
}

// In an opaque pass the material is set only when the colour changes:
// every material call makes the driver validate its lighting again.
void apply_material(const float *c)
{
    if (g_opaque_pass && g_material_known && c[0] == g_material[0] && c[1] == g_material[1] &&
        c[2] == g_material[2] && c[3] == g_material[3])
        return;
    set_material(c[0], c[1], c[2], c[3]);
    for (int k = 0; k < 4; k++)
        g_material[k] = c[k];
    g_material_known = g_opaque_pass;
}

void flush_lit_batch(void)
{
    if (g_lit_batch.index.empty())
        return;
    // Set even when it seems current: a drawer between may have changed it,
    // and a run costs one material, not one per shape.
    g_material_known = false;
    const bool see_through = g_lit_colour[3] < 1;
    if (see_through) {     // blended, writing no depth, as one such shape alone
        glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_BLEND);
        glDepthMask(GL_FALSE);
    }
    apply_material(g_lit_colour);
    draw_mesh(g_lit_batch, true);
    if (see_through)
        glPopAttrib();
}

// Shapes of a shadow pass go to its array; plainly lit shapes, opaque ones
// of an opaque pass and see-through ones of a see-through pass, to the lit
// array (drawn first when the colour changes). Any other shape draws the
// lit array first, to keep the drawing order.
enum { DRAW_NOW, BATCH_SHADOW, BATCH_LIT };
int batch_for(int kind)
{
    if (kind == DRAW_SHADOW && g_shadow_pass)
        return BATCH_SHADOW;
    const float *c = current_color();
    const bool lit = kind != DRAW_SHADOW && kind != DRAW_ALPHA;
    // Blended, a two-sided mesh is right only with culling on (unblended, the
    // depth test hides the second side).
    const bool see_through = g_see_through_pass && c[3] < 1 && glIsEnabled(GL_CULL_FACE);
    if (lit && ((g_opaque_pass && c[3] >= 1) || see_through)) {
        if (!g_lit_batch.index.empty() && (c[0] != g_lit_colour[0] || c[1] != g_lit_colour[1] ||
                                           c[2] != g_lit_colour[2] || c[3] != g_lit_colour[3]))
            flush_lit_batch();
        for (int k = 0; k < 4; k++)
            g_lit_colour[k] = c[k];
        return BATCH_LIT;
    }
    flush_lit_batch();
    return DRAW_NOW;
}

void batch_mesh(int batch, int mesh, const Placement &at)
{
    place_mesh(batch == BATCH_SHADOW ? g_shadow_batch : g_lit_batch, mesh, at);
}

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

// A disc of radius 1 at z = 0 facing +z in `steps` steps (8: the octagon,
// 24: the round disc), the texture's middle at its centre.
void emit_disc(int steps)
{
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0.5f, 0.5f);
    glVertex3f(0, 0, 0);
    for (int i = 0; i <= steps; i++) {
        const float a = (float)(i * 2 * M_PI / steps);
        glTexCoord2f(0.5f * (1 + std::sin(a)), 0.5f * (1 + std::cos(a)));
        glVertex3f(std::sin(a), std::cos(a), 0);
    }
    glEnd();
}

// The textured ring: outer radius 1, inner 0.8, 33 steps of pi / 16; the
// texture spread as on the disc outside and 0.4 of it about the middle
// inside.
void emit_textured_ring(void)
{
    glBegin(GL_QUAD_STRIP);
    glNormal3f(0, 0, 1);
    for (int i = 0; i <= 32; i++) {
        const float a = (float)(i * M_PI / 16), s = std::sin(a), c = std::cos(a);
        glTexCoord2f(0.5f * (1 + s), 0.5f * (1 + c));
        glVertex3f(s, c, 0);
        glTexCoord2f(0.5f + 0.4f * s, 0.5f + 0.4f * c);
        glVertex3f(0.8f * s, 0.8f * c, 0);
    }
    glEnd();
}

// The plain ring of the ring table: outer radius 1, inner 0.4.
void emit_ring(void)
{
    const RingTable &ring = ring_table();
    glBegin(GL_QUAD_STRIP);
    glNormal3f(0, 0, 1);
    for (int i = 0; i <= RING_STEPS; i++) {
        glVertex3f(ring.sin[i], ring.cos[i], 0);
        glVertex3f(0.4f * ring.sin[i], 0.4f * ring.cos[i], 0);
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

// Modelview pushed, times the pose.
void push_body_transform(const float *pos, const float *R)
{
    const GLfloat m[16] = {R[0], R[4], R[8], 0, R[1], R[5], R[9], 0, R[2], R[6], R[10], 0,
                           pos[0], pos[1], pos[2], 1};
    glPushMatrix();
    glMultMatrixf(m);
}

// Kind 4 draws the shape flattened onto the floor along the shadow light,
// unlit, untextured and unblended, in a colour darker than the background.
void begin_shadow_state(void)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_VIEWPORT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glDepthRange(0, 1.5);
    set_shadow_colour();
}

void begin_kind(int kind)
{
    if (kind == DRAW_SHADOW) {
        // Inside a shadow pass the state is set once for all its shapes.
        g_attrib_pushed = !g_shadow_pass;
        if (g_attrib_pushed)
            begin_shadow_state();
        else    // the drawers set their own colours between shapes
            set_shadow_colour();
        push_shadow_projection();
        return;
    }
    glPushMatrix();
    glShadeModel(GL_SMOOTH);
    const float *c = current_color();
    apply_material(c);
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

void push_ortho_2d(float w, float h)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
}

void pop_ortho_2d(void)
{
    glPopAttrib();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void fill_rect_2d(float x, float y, float w, float h)
{
    glBegin(GL_QUADS);
    glVertex2f(x, y);
    glVertex2f(x, y + h);
    glVertex2f(x + w, y + h);
    glVertex2f(x + w, y);
    glEnd();
}

void face_the_eye(void)
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int c = 0; c < 3; c++)
        for (int r = 0; r < 3; r++)
            m[c * 4 + r] = c == r ? 1.0f : 0.0f;
    glLoadMatrixf(m);
}

void rotate_z_onto(const float *axis)
{
    const float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (len > 0) {
        const float z = axis[2] / len;
        const float deg = (float)(std::acos(z < -1 ? -1 : z > 1 ? 1 : z) * 180 / M_PI);
        if (std::fabs(axis[0]) + std::fabs(axis[1]) > 1e-6f)
            glRotatef(deg, -axis[1], axis[0], 0);
        else if (z < 0)
            glRotatef(180, 1, 0, 0);
    }
}

void apply_material(float r, float g, float b, float a, float ambient_k, float diffuse_k, float shininess)
{
    const GLfloat ambient[4] = {ambient_k * r, ambient_k * g, ambient_k * b, 1};
    const GLfloat diffuse[4] = {diffuse_k * r, diffuse_k * g, diffuse_k * b, a};
    const GLfloat specular[4] = {0.34f, 0.34f, 0.34f, 1};
    glDisable(GL_COLOR_MATERIAL);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
}

void set_material(float r, float g, float b, float a)
{
    apply_material(r, g, b, a, 2.5f, 0.425f, 12.8f);
}

void shadow_pass_begin(void)
{
    if (g_shadow_pass)
        return;
    begin_shadow_state();
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
    flush_lit_batch();
    shiny_shapes_flush();
    glEnable(GL_BLEND);
    g_opaque_pass = false;
    g_material_known = false;
}

// The see-through pass draws the ghosts. A ghost lies on its live shape
// only to within a hair (the preview steps it as a body of its own), so the
// two surfaces' depths tie within rounding and each pixel would pick one:
// stripes and specks, or no tint at all. Through the pass the projection
// gives every point the depth of the point about a thousandth nearer the
// eye on the same view ray (a millimetre per metre, no gap a player could
// see): a ghost on its shape tints it evenly, one that moved away behind it
// stays hidden. Only the z translation changes, so x, y and w, and with them
// the pixels covered, stay the same. The shader path queues its shapes and
// its ghost program does the same in its vertex stage.
static bool g_depth_pulled;

void see_through_pass_begin(void)
{
    g_see_through_pass = true;
    if (shaders_active() || g_depth_pulled)
        return;
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    m[14] *= 1.001;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadMatrixd(m);
    glMatrixMode(GL_MODELVIEW);
    g_depth_pulled = true;
}

void see_through_pass_end(void)
{
    flush_lit_batch();
    g_see_through_pass = false;
    if (!g_depth_pulled)
        return;
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    g_depth_pulled = false;
}

void shapes_forget_material(void) { g_material_known = false; }

void shapes_flush(void) { flush_lit_batch(); }

bool shapes_in_opaque_pass(void) { return g_opaque_pass; }

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

void render_box(const float *pos, const float *R, const float *sides, int kind, const float *vel, const float *spin)
{
    if (shaders_active()) {
        queue_box_pose(pos, R, sides, kind, nullptr, nullptr, vel, spin);
        return;
    }
    if (!g_lists)
        return;
    if (const int batch = batch_for(kind)) {
        batch_mesh(batch, MESH_BOX, {pos, R, {sides[0], sides[1], sides[2]}, nullptr, 0});
        return;
    }
    begin_kind(kind);
    push_body_transform(pos, R);
    call_scaled(LIST_BOX, sides[0], sides[1], sides[2]);
    glPopMatrix();
    end_kind();
}

// Kind 32: a flat octagon of the radius facing the camera, unlit, blended.
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
    face_the_eye();
    call_scaled(LIST_OCTAGON, radius, radius, 1);
    glPopMatrix();
    glPopAttrib();
}

void render_sphere(const float *pos, const float *R, float radius, int kind, const float *vel, const float *spin)
{
    if (shaders_active()) {
        queue_sphere_pose(pos, R, radius, kind, nullptr, nullptr, vel, spin);
        return;
    }
    if (!g_lists)
        return;
    if (const int batch = batch_for(kind)) {
        if (batch == BATCH_SHADOW)
            batch_shadow_ellipse(g_shadow_batch, pos, radius);
        else
            batch_mesh(batch, MESH_SPHERE, {pos, R, {radius, radius, radius}, nullptr, 0});
        return;
    }
    if (kind == DRAW_ALPHA) {
        render_facing_disc(pos, radius);
        return;
    }
    begin_kind(kind);
    if (kind == DRAW_SHADOW) {
        float pt[SHADOW_ELLIPSE_POINTS][3];
        shadow_ellipse(pos, radius, pt);
        glBegin(GL_TRIANGLE_FAN);
        for (auto &p : pt)
            glVertex3fv(p);
        glEnd();
        end_kind();
        return;
    }
    push_body_transform(pos, R);
    call_scaled(LIST_SPHERE, radius, radius, radius);
    glPopMatrix();
    end_kind();
}

void render_capsule(const float *pos, const float *R, float length, float radius, int kind, const float *vel,
                    const float *spin)
{
    if (shaders_active()) {
        queue_capsule_pose(pos, R, length, radius, kind, nullptr, nullptr, vel, spin);
        return;
    }
    if (!g_lists)
        return;
    if (const int batch = batch_for(kind)) {
        batch_mesh(batch, MESH_CAPSULE_SIDE, {pos, R, {radius, radius, 0.5f * length}, nullptr, 0});
        batch_mesh(batch, MESH_CAPSULE_TOP, {pos, R, {radius, radius, radius}, nullptr, 0.5f * length});
        batch_mesh(batch, MESH_CAPSULE_BOTTOM, {pos, R, {radius, radius, radius}, nullptr, -0.5f * length});
        return;
    }
    begin_kind(kind);
    push_body_transform(pos, R);
    call_scaled(LIST_CAPSULE_SIDE, radius, radius, 0.5f * length);
    // The caps: a half sphere at each end.
    for (float end : {-0.5f, 0.5f}) {
        glPushMatrix();
        glTranslatef(0, 0, end * length);
        call_scaled(end < 0 ? LIST_CAPSULE_BOTTOM : LIST_CAPSULE_TOP, radius, radius, radius);
        glPopMatrix();
    }
    glPopMatrix();
    end_kind();
}

// The turn of the list's +z onto the axis (rows), as the drawing below
// makes it with glRotatef; the identity for a null axis.
static void turn_onto_axis(const float *axis, float *m)
{
    const float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    float u[3] = {0, 0, 1}, angle = 0;
    if (len > 0) {
        const float z = axis[2] / len;
        const float h = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1]);
        if (std::fabs(axis[0]) + std::fabs(axis[1]) > 1e-6f) {
            angle = std::acos(z < -1 ? -1 : z > 1 ? 1 : z);
            u[0] = -axis[1] / h;
            u[1] = axis[0] / h;
            u[2] = 0;
        } else if (z < 0) {
            angle = (float)M_PI;
            u[0] = 1;
            u[2] = 0;
        }
    }
    const float c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    const float rows[9] = {u[0] * u[0] * t + c, u[0] * u[1] * t - u[2] * s, u[0] * u[2] * t + u[1] * s,
                           u[1] * u[0] * t + u[2] * s, u[1] * u[1] * t + c, u[1] * u[2] * t - u[0] * s,
                           u[2] * u[0] * t - u[1] * s, u[2] * u[1] * t + u[0] * s, u[2] * u[2] * t + c};
    for (int k = 0; k < 9; k++)
        m[k] = rows[k];
}

void render_hemisphere(const float *pos, const float *R, float radius, const float *axis, int kind)
{
    if (shaders_active()) {
        queue_hemisphere_pose(pos, R, radius, axis, kind, nullptr, nullptr);
        return;
    }
    if (!g_lists)
        return;
    // The plain sphere cut through the centre, flat-shaded, drawn without
    // culling: the inside shows through the open cut.
    if (const int batch = batch_for(kind)) {
        float turn[9], disc_turn[9];
        turn_onto_axis(axis, turn);
        batch_mesh(batch, MESH_CUT_SPHERE_BOTH, {pos, R, {radius, radius, radius}, turn, 0});
        if (kind == DRAW_AXIS_SIDE) {
            for (int i = 0; i < 3; i++)
                for (int j = 0; j < 3; j++)
                    disc_turn[3 * i + j] = turn[3 * i + j] * k_flip_x[4 * j];
            batch_mesh(batch, MESH_DISC_BOTH, {pos, R, {radius, radius, 1}, disc_turn, 0});
        }
        return;
    }
    begin_kind(kind);
    push_body_transform(pos, R);
    // The list's +z turned onto the axis; its open side faces the other half.
    rotate_z_onto(axis);
    const GLboolean cull = glIsEnabled(GL_CULL_FACE);
    glDisable(GL_CULL_FACE);
    call_scaled(LIST_CUT_SPHERE, radius, radius, radius);
    if (kind == DRAW_AXIS_SIDE) {   // the cut closed, facing away from the half
        glRotatef(180, 1, 0, 0);
        call_scaled(LIST_DISC, radius, radius, 1);
    }
    if (cull)
        glEnable(GL_CULL_FACE);
    glPopMatrix();
    end_kind();
}

namespace {

// A unit mesh as triangles with their normals (and texture coordinates
// where it has them), for a display list.
void emit_mesh(int mesh)
{
    make_unit_meshes();
    const Mesh &m = g_unit[mesh];
    glBegin(GL_TRIANGLES);
    for (unsigned i : m.index) {
        if (!m.st.empty())
            glTexCoord2fv(&m.st[2 * i]);
        glNormal3fv(&m.v[6 * i + 3]);
        glVertex3fv(&m.v[6 * i]);
    }
    glEnd();
}

} // namespace

void shapes_create(void)
{
    shapes_free();
    g_textures[0] = make_shine_texture();
    g_textures[1] = make_sprite_texture();
    g_lists = glGenLists(LIST_COUNT);
    auto list = [](int k, void (*emit)(void)) {
        glNewList(g_lists + k, GL_COMPILE);
        emit();
        glEndList();
    };
    list(LIST_SPHERE, [] { emit_mesh(MESH_SPHERE); });
    list(LIST_SPHERE_COARSE, [] { emit_mesh(MESH_SPHERE_COARSE); });
    list(LIST_SPHERE_TEXTURED, [] { emit_mesh(MESH_SPHERE_TEXTURED); });
    list(LIST_OCTAGON, [] { emit_disc(8); });
    list(LIST_QUAD, emit_quad);
    list(LIST_DISC, [] { emit_disc(24); });
    list(LIST_RING_TEXTURED, emit_textured_ring);
    list(LIST_RING, emit_ring);
    list(LIST_CAPSULE_SIDE, [] { emit_mesh(MESH_CAPSULE_SIDE); });
    list(LIST_CAPSULE_TOP, [] { emit_mesh(MESH_CAPSULE_TOP); });
    list(LIST_CAPSULE_BOTTOM, [] { emit_mesh(MESH_CAPSULE_BOTTOM); });
    list(LIST_CUT_SPHERE, [] { emit_mesh(MESH_CUT_SPHERE); });
    list(LIST_BOX, emit_cube);
    for (GLUquadric *&q : g_quadrics) {
        q = gluNewQuadric();
        if (q)
            gluQuadricTexture(q, GL_TRUE);
    }
}

void shapes_free(void)
{
    if (g_lists)
        glDeleteLists(g_lists, LIST_COUNT);
    g_lists = 0;
    g_shadow_batch = Mesh();
    g_lit_batch = Mesh();
    for (GLuint &t : g_textures) {
        if (t)
            glDeleteTextures(1, &t);
        t = 0;
    }
    for (GLUquadric *&q : g_quadrics) {
        if (q)
            gluDeleteQuadric(q);
        q = nullptr;
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

void shapes_draw_octagon(float radius)
{
    if (g_lists)
        call_scaled(LIST_OCTAGON, radius, radius, 1);
}

int shapes_quadrics_made(void) { return (g_quadrics[0] != nullptr) + (g_quadrics[1] != nullptr); }

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
    push_body_transform(pos, R);
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
    push_body_transform(pos, R);
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

void draw_square_outline(float x, float y, float z, int, float width, float side)
{
    if (shaders_active()) {
        draw_quad_box(x, y, z, width, side);
        return;
    }
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
    // Angles from +y, turning towards +x: a partial disk of the kept
    // quadric.
    if (g_quadrics[0]) {
        glPushMatrix();
        glTranslatef(x, y, 0);
        gluPartialDisk(g_quadrics[0], inner, outer, slices, loops, start, sweep);
        glPopMatrix();
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
    if (shaders_active()) {     // lit like the shapes around it
        apply_color_material();
    } else {
        glDisable(GL_LIGHTING);
        glColor4fv(current_color());
    }
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
