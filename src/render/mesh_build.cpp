#include "render/mesh_build.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

#include "render/render_math.h"

namespace {

const float k_weld = 1.0000001e-6f;

float dist_sq(float ax, float ay, float az, float bx, float by, float bz)
{
    const float dx = ax - bx, dy = ay - by, dz = az - bz;
    return dx * dx + dy * dy + dz * dz;
}

bool same_position(const BuildVertex &a, const BuildVertex &b)
{
    return dist_sq(a.x, a.y, a.z, b.x, b.y, b.z) <= k_weld;
}

// Index of the first kept vertex that matches, appending v when none does.
uint32_t weld(std::vector<BuildVertex> &kept, const BuildVertex &v, int flags)
{
    for (size_t i = 0; i < kept.size(); i++) {
        const BuildVertex &k = kept[i];
        if (!same_position(k, v))
            continue;
        if ((flags & MESH_WELD_NORMALS) && dist_sq(k.nx, k.ny, k.nz, v.nx, v.ny, v.nz) > k_weld)
            continue;
        if ((flags & MESH_WELD_UV) && (k.u != v.u || k.v != v.v))
            continue;
        return (uint32_t)i;
    }
    kept.push_back(v);
    return (uint32_t)(kept.size() - 1);
}

void build_drawing(const BuildVertex *in, int triangle_count, int flags, MeshData *out)
{
    std::vector<BuildVertex> kept;
    out->indices.reserve((size_t)triangle_count * 3);
    for (int i = 0; i < triangle_count * 3; i++)
        out->indices.push_back(weld(kept, in[i], flags));
    out->textured.resize(kept.size());
    for (size_t i = 0; i < kept.size(); i++) {
        TexturedVertex &t = out->textured[i];
        const BuildVertex &k = kept[i];
        t.pos[0] = k.x;
        t.pos[1] = k.y;
        t.pos[2] = k.z;
        t.normal[0] = k.nx;
        t.normal[1] = k.ny;
        t.normal[2] = k.nz;
        t.uv[0] = k.u;
        t.uv[1] = k.v;
        t.tangent[0] = t.tangent[1] = t.tangent[2] = 0.0f;
    }
    compute_tangents(out->textured, out->indices);
}

void build_twin(const BuildVertex *in, int triangle_count, MeshData *out)
{
    std::vector<BuildVertex> kept;
    std::vector<uint32_t> welded((size_t)triangle_count * 3);
    for (int i = 0; i < triangle_count * 3; i++)
        welded[i] = weld(kept, in[i], 0);

    out->plain.resize((size_t)triangle_count * 3);
    for (int t = 0; t < triangle_count; t++) {
        const BuildVertex *c = in + t * 3;
        const float e1[3] = {c[1].x - c[0].x, c[1].y - c[0].y, c[1].z - c[0].z};
        const float e2[3] = {c[2].x - c[0].x, c[2].y - c[0].y, c[2].z - c[0].z};
        float n[3];
        vec3_cross(e1, e2, n);
        normalise_in_place(n);
        for (int k = 0; k < 3; k++) {
            PlainVertex &p = out->plain[(size_t)t * 3 + k];
            p.pos[0] = c[k].x;
            p.pos[1] = c[k].y;
            p.pos[2] = c[k].z;
            p.normal[0] = n[0];
            p.normal[1] = n[1];
            p.normal[2] = n[2];
            out->indices.push_back((uint32_t)(t * 3 + k));
        }
    }
    // Directed edges by their welded corners: the neighbour across an edge
    // holds it the other way round.
    std::map<std::pair<uint32_t, uint32_t>, std::vector<uint32_t>> edges;
    for (int t = 0; t < triangle_count; t++)
        for (int k = 0; k < 3; k++) {
            const uint32_t a = (uint32_t)(t * 3 + k), b = (uint32_t)(t * 3 + (k + 1) % 3);
            edges[{welded[a], welded[b]}].push_back(a);
        }
    for (int t = 0; t < triangle_count; t++)
        for (int k = 0; k < 3; k++) {
            const uint32_t a = (uint32_t)(t * 3 + k), b = (uint32_t)(t * 3 + (k + 1) % 3);
            if (!(welded[a] < welded[b]))
                continue;
            const auto found = edges.find({welded[b], welded[a]});
            if (found == edges.end() || found->second.size() != 1) {
                fprintf(stderr, "Bug: create elementbuffer\n");
                out->twin_faults++;
                continue;
            }
            // The neighbour's corner that starts the reversed edge (at b)
            // and the one after it (at a).
            const uint32_t nb = found->second[0];
            const uint32_t na = nb - nb % 3 + (nb % 3 + 1) % 3;
            const uint32_t quad[6] = {b, a, na, b, na, nb};
            out->indices.insert(out->indices.end(), quad, quad + 6);
        }
    if (out->indices.size() != (size_t)triangle_count * 12)
        fprintf(stderr, "Bug: 2 create elementbuffer\n");
}

void set_vertex(BuildVertex &v, const float p[3], const float n[3])
{
    v.x = p[0];
    v.y = p[1];
    v.z = p[2];
    v.nx = n[0];
    v.ny = n[1];
    v.nz = n[2];
    v.u = v.v = 0.0f;
}

// Corners of octahedron face i: sign of x from bit 0, y from bit 1, z from
// bit 2; the faces with an odd number of set bits swap two corners so that
// every face winds counter-clockwise seen from outside.
void octahedron_face(int i, float a[3], float b[3], float c[3])
{
    const float sx = (i & 1) ? -1.0f : 1.0f, sy = (i & 2) ? -1.0f : 1.0f, sz = (i & 4) ? -1.0f : 1.0f;
    float p0[3] = {sx, 0, 0}, p1[3] = {0, sy, 0};
    const bool swap = i == 1 || i == 2 || i == 4 || i == 7;
    for (int k = 0; k < 3; k++) {
        a[k] = swap ? p1[k] : p0[k];
        b[k] = swap ? p0[k] : p1[k];
        c[k] = 0.0f;
    }
    c[2] = sz;
}

void push_triangle(std::vector<BuildVertex> &out, const BuildVertex &a, const BuildVertex &b, const BuildVertex &c)
{
    out.push_back(a);
    out.push_back(b);
    out.push_back(c);
}

// u from the angle about z (0.5 at -y, as the spherical mapping).
float angle_u(float x, float y) { return 0.5f - std::atan2(-x, -y) * 0.15915494f; }

// One face of the box: unit normal n, axes e1 x e2 = n, cut into cuts x cuts
// squares, texture rectangle u0..u1, v0..v1.
void box_face(std::vector<BuildVertex> &out, const float n[3], const float e1[3], const float e2[3], float u0,
              float u1, float v0, float v1, int cuts)
{
    auto corner = [&](float s, float t) {
        BuildVertex v;
        const float p[3] = {n[0] + s * e1[0] + t * e2[0], n[1] + s * e1[1] + t * e2[1], n[2] + s * e1[2] + t * e2[2]};
        set_vertex(v, p, n);
        v.u = u0 + (s + 1.0f) * 0.5f * (u1 - u0);
        v.v = v0 + (t + 1.0f) * 0.5f * (v1 - v0);
        return v;
    };
    const float step = 2.0f / (float)cuts;
    for (int i = 0; i < cuts; i++)
        for (int j = 0; j < cuts; j++) {
            const float s0 = -1.0f + step * (float)i, s1 = i == cuts - 1 ? 1.0f : s0 + step;
            const float t0 = -1.0f + step * (float)j, t1 = j == cuts - 1 ? 1.0f : t0 + step;
            push_triangle(out, corner(s0, t0), corner(s1, t0), corner(s1, t1));
            push_triangle(out, corner(s1, t1), corner(s0, t1), corner(s0, t0));
        }
}

void box_with_cuts(std::vector<BuildVertex> &out, int cuts)
{
    struct Face {
        float n[3], e1[3], e2[3], u0, u1, v0, v1;
    };
    static const Face faces[6] = {
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 0.0f, 0.8f, 0.0f, 0.25f},
        {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}, 0.0f, 0.8f, 0.25f, 0.5f},
        {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}, 0.0f, 0.8f, 0.5f, 0.75f},
        {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}, 0.0f, 0.8f, 0.75f, 1.0f},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 0.8f, 1.0f, 0.0f, 0.2f},
        {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}, 0.8f, 1.0f, 0.2f, 0.4f},
    };
    for (const Face &f : faces)
        box_face(out, f.n, f.e1, f.e2, f.u0, f.u1, f.v0, f.v1, cuts);
}

} // namespace

void compute_tangents(std::vector<TexturedVertex> &vertices, const std::vector<uint32_t> &indices)
{
    std::vector<float> sum(vertices.size() * 3, 0.0f);
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const uint32_t i0 = indices[t], i1 = indices[t + 1], i2 = indices[t + 2];
        if (i0 >= vertices.size() || i1 >= vertices.size() || i2 >= vertices.size())
            continue;
        const TexturedVertex &a = vertices[i0], &b = vertices[i1], &c = vertices[i2];
        const float s1 = b.uv[0] - a.uv[0], s2 = c.uv[0] - a.uv[0];
        const float t1 = b.uv[1] - a.uv[1], t2 = c.uv[1] - a.uv[1];
        const float det = s1 * t2 - s2 * t1;
        if (!(std::fabs(det) > 1e-12f))
            continue;   // no texture area: no direction to add
        const float r = 1.0f / det;
        for (int k = 0; k < 3; k++) {
            const float d = (t2 * (b.pos[k] - a.pos[k]) - t1 * (c.pos[k] - a.pos[k])) * r;
            sum[i0 * 3 + k] += d;
            sum[i1 * 3 + k] += d;
            sum[i2 * 3 + k] += d;
        }
    }
    for (size_t i = 0; i < vertices.size(); i++) {
        TexturedVertex &v = vertices[i];
        const float *t = &sum[i * 3];
        const float nt = vec3_dot(v.normal, t);
        for (int k = 0; k < 3; k++)
            v.tangent[k] = t[k] - v.normal[k] * nt;
        normalise_in_place(v.tangent);
    }
}

void build_mesh_data(const BuildVertex *vertices, int triangle_count, int flags, MeshData *out)
{
    out->textured.clear();
    out->plain.clear();
    out->indices.clear();
    out->twin_faults = 0;
    if (!vertices || triangle_count <= 0)
        return;
    if (flags == MESH_TWIN)
        build_twin(vertices, triangle_count, out);
    else
        build_drawing(vertices, triangle_count, flags, out);
}

void subdivide_triangle(std::vector<BuildVertex> &out, const float a[3], const float b[3], const float c[3],
                        int level, const float offset[3])
{
    if (level <= 1) {
        const float *pts[3] = {a, b, c};
        for (const float *p : pts) {
            BuildVertex v;
            const float pos[3] = {p[0] + offset[0], p[1] + offset[1], p[2] + offset[2]};
            set_vertex(v, pos, p);
            out.push_back(v);
        }
        return;
    }
    float ab[3], bc[3], ac[3];
    for (int k = 0; k < 3; k++) {
        ab[k] = (a[k] + b[k]) * 0.5f;
        bc[k] = (b[k] + c[k]) * 0.5f;
        ac[k] = (a[k] + c[k]) * 0.5f;
    }
    normalise_in_place(ab);
    normalise_in_place(bc);
    normalise_in_place(ac);
    subdivide_triangle(out, a, ab, ac, level - 1, offset);
    subdivide_triangle(out, ab, b, bc, level - 1, offset);
    subdivide_triangle(out, bc, c, ac, level - 1, offset);
    subdivide_triangle(out, ac, ab, bc, level - 1, offset);
}

void spherical_uv(BuildVertex *begin, BuildVertex *end)
{
    for (BuildVertex *v = begin; v < end; v++) {
        v->u = 0.5f - std::atan2(-v->x, -v->y) * 0.15915494f;
        v->v = std::atan2(v->z, std::sqrt(v->x * v->x + v->y * v->y)) * 0.31830987f + 0.5f;
    }
}

void fix_uv_seams(BuildVertex *begin, BuildVertex *end)
{
    static const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (BuildVertex *t = begin; t + 3 <= end; t += 3)
        for (int comp = 0; comp < 2; comp++)
            for (const auto &p : pairs) {
                float &a = comp == 0 ? t[p[0]].u : t[p[0]].v;
                float &b = comp == 0 ? t[p[1]].u : t[p[1]].v;
                if (std::fabs(a - b) > 0.5f)
                    (a < b ? a : b) += 1.0f;
            }
}

void planar_uv(BuildVertex *begin, BuildVertex *end)
{
    for (BuildVertex *v = begin; v < end; v++) {
        float n[3] = {v->x, v->y, v->z};
        normalise_in_place(n);
        const float k = 1.0f - std::fabs(n[2]);
        v->u = (n[0] * k + 1.0f) * 0.5f;
        v->v = (n[1] * k + 1.0f) * 0.5f;
    }
}

void polar_uv(BuildVertex *begin, BuildVertex *end)
{
    for (BuildVertex *v = begin; v < end; v++) {
        float n[3] = {v->x, v->y, v->z};
        normalise_in_place(n);
        const float r = std::sqrt(n[0] * n[0] + n[1] * n[1] + 0.0001f);
        const float k = std::atan2(r, std::fabs(n[2])) / r * 0.63661975f;
        v->u = (n[0] * k + 1.0f) * 0.5f;
        v->v = (n[1] * k + 1.0f) * 0.5f;
    }
}

void sphere_geometry(int level, std::vector<BuildVertex> &out)
{
    out.clear();
    const float zero[3] = {0, 0, 0};
    for (int i = 0; i < 8; i++) {
        float a[3], b[3], c[3];
        octahedron_face(i, a, b, c);
        subdivide_triangle(out, a, b, c, level, zero);
    }
}

void dome_geometry(int level, std::vector<BuildVertex> &out)
{
    out.clear();
    const float zero[3] = {0, 0, 0};
    for (int i = 0; i < 4; i++) {   // faces 0..3: the +z side
        float a[3], b[3], c[3];
        octahedron_face(i, a, b, c);
        subdivide_triangle(out, a, b, c, level, zero);
    }
    const int rim = 4 << (level > 1 ? level - 1 : 0);
    const float down[3] = {0, 0, -1};
    for (int k = 0; k < rim; k++) {
        const float a0 = 6.2831853f * (float)k / (float)rim, a1 = 6.2831853f * (float)(k + 1) / (float)rim;
        const float p0[3] = {std::cos(a0), std::sin(a0), 0}, p1[3] = {std::cos(a1), std::sin(a1), 0};
        BuildVertex c, v0, v1;
        set_vertex(c, zero, down);
        set_vertex(v0, p0, down);
        set_vertex(v1, p1, down);
        push_triangle(out, c, v1, v0);   // seen from below: counter-clockwise
    }
    for (BuildVertex &v : out) {
        v.u = -std::atan2(v.x, v.y) * 0.15915494f;
        v.v = std::atan2(v.z, std::sqrt(v.x * v.x + v.y * v.y)) * 0.31830987f + 0.5f;
    }
}

void capsule_geometry(int level, std::vector<BuildVertex> &out)
{
    out.clear();
    for (int i = 0; i < 8; i++) {
        float a[3], b[3], c[3];
        octahedron_face(i, a, b, c);
        const float offset[3] = {0, 0, c[2] > 0 ? 1.0f : -1.0f};
        subdivide_triangle(out, a, b, c, level, offset);
    }
    const int segments = 4 << (level > 1 ? level - 1 : 0);
    for (int k = 0; k < segments; k++) {
        const float a0 = 1.5707963f + 6.2831853f * (float)k / (float)segments;
        const float a1 = 1.5707963f + 6.2831853f * (float)(k + 1) / (float)segments;
        const float n0[3] = {std::cos(a0), std::sin(a0), 0}, n1[3] = {std::cos(a1), std::sin(a1), 0};
        const float lo0[3] = {n0[0], n0[1], -1}, lo1[3] = {n1[0], n1[1], -1};
        const float hi0[3] = {n0[0], n0[1], 1}, hi1[3] = {n1[0], n1[1], 1};
        BuildVertex l0, l1, h0, h1;
        set_vertex(l0, lo0, n0);
        set_vertex(l1, lo1, n1);
        set_vertex(h0, hi0, n0);
        set_vertex(h1, hi1, n1);
        push_triangle(out, l0, l1, h1);
        push_triangle(out, h1, h0, l0);
    }
    // u from the angle about the axis, v along the whole height (-2..2).
    for (BuildVertex &v : out) {
        v.u = angle_u(v.x, v.y);
        v.v = (v.z + 2.0f) * 0.25f;
    }
    fix_uv_seams(out.data(), out.data() + out.size());
}

void box_geometry(std::vector<BuildVertex> &out)
{
    out.clear();
    box_with_cuts(out, 1);
}

void fine_box_geometry(std::vector<BuildVertex> &out)
{
    out.clear();
    box_with_cuts(out, 3);
}

void shell_geometry(std::vector<BuildVertex> &out)
{
    out.clear();
    // 13 bands of 0.24166098 radians reach from pole to pole.
    const float band = 0.24166098f, sector = 0.1308997f;
    auto point = [&](int i, int j) {
        const float a = band * (float)i, b = sector * (float)j;
        const float p[3] = {std::sin(a) * std::sin(b), -std::sin(a) * std::cos(b), std::cos(a)};
        BuildVertex v;
        set_vertex(v, p, p);
        return v;
    };
    for (int i = 0; i < 13; i++)
        for (int j = 0; j < 48; j++) {
            push_triangle(out, point(i, j), point(i + 1, j), point(i + 1, j + 1));
            push_triangle(out, point(i + 1, j + 1), point(i, j + 1), point(i, j));
        }
    planar_uv(out.data(), out.data() + out.size());
}
