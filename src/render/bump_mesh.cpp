#include "render/bump_mesh.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "render/color_table.h"
#include "render/render_math.h"

static void normalize(float *v)
{
    const float l = sqrtf(vec3_dot(v, v));
    if (l > 0.0f)
        for (int k = 0; k < 3; k++)
            v[k] /= l;
}

static void set3(float *d, float x, float y, float z) { d[0] = x; d[1] = y; d[2] = z; }

static bool alloc(BumpMesh *m, int count, const char *message)
{
    primitives_free(m);
    m->v = new (std::nothrow) BumpVertex[count]();
    if (!m->v) {
        fputs(message, stderr);
        return false;
    }
    m->count = count;
    return true;
}

void primitives_free(BumpMesh *m)
{
    delete[] m->v;
    m->v = nullptr;
    m->count = 0;
}

void bump_mesh_tangents(BumpMesh *m)
{
    static const float z[3] = {0, 0, 1}, y[3] = {0, 1, 0};
    for (int i = 0; i < m->count; i++) {
        BumpVertex &v = m->v[i];
        float c1[3], c2[3];
        vec3_cross(v.normal, z, c1);
        vec3_cross(v.normal, y, c2);
        memcpy(v.tangent, vec3_dot(c2, c2) >= vec3_dot(c1, c1) ? c2 : c1, sizeof v.tangent);
        normalize(v.tangent);
        vec3_cross(v.normal, v.tangent, v.binormal);
        normalize(v.binormal);
    }
}

bool bump_mesh_make_sphere(BumpMesh *m)
{
    if (!alloc(m, BUMP_SPHERE_VERTICES, "Unable to allocate memory for sphere vertices\n"))
        return false;
    const int n = 20;
    int at = 0;
    for (int i = 0; i < n; i++) {
        for (int j = 0; j <= n; j++) {
            const float phi = 2.0f * (float)M_PI * j / n;
            for (int half = 0; half < 2; half++) {
                const float theta = (float)M_PI * (half == 0 ? i + 1 : i) / n;
                BumpVertex &v = m->v[at++];
                set3(v.pos, sinf(phi) * sinf(theta), cosf(phi) * sinf(theta), cosf(theta));
                memcpy(v.normal, v.pos, sizeof v.normal);
                v.st[0] = 1.0f - (float)j / n;
                v.st[1] = 1.0f - theta / (float)M_PI;
            }
        }
    }
    bump_mesh_tangents(m);
    return true;
}

namespace {
struct BoxFace {
    float n[3], t[3];
    int sign[4][3];
    float st[4][2];
};
const BoxFace k_box[6] = {
    {{0, 0, 1}, {1, 0, 0}, {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}, {{0, 0}, {0.8f, 0}, {0.8f, 0.25f}, {0, 0.25f}}},
    {{0, 0, -1}, {1, 0, 0}, {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}}, {{0, 0.75f}, {0, 0.5f}, {0.8f, 0.5f}, {0.8f, 0.75f}}},
    {{0, 1, 0}, {1, 0, 0}, {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}}, {{0, 0.5f}, {0, 0.25f}, {0.8f, 0.25f}, {0.8f, 0.5f}}},
    {{0, -1, 0}, {1, 0, 0}, {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}, {{0, 0.75f}, {0.8f, 0.75f}, {0.8f, 1}, {0, 1}}},
    {{1, 0, 0}, {0, 0, -1}, {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}}, {{1, 0.2f}, {1, 0}, {0.8f, 0}, {0.8f, 0.2f}}},
    {{-1, 0, 0}, {0, 0, 1}, {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}, {{0.8f, 0.4f}, {1, 0.4f}, {1, 0.2f}, {0.8f, 0.2f}}},
};
} // namespace

bool bump_mesh_make_box(BumpMesh *m)
{
    if (!alloc(m, BUMP_BOX_VERTICES, "Unable to allocate memory for box vertices\n"))
        return false;
    for (int f = 0; f < 6; f++) {
        for (int c = 0; c < 4; c++) {
            BumpVertex &v = m->v[4 * f + c];
            memcpy(v.normal, k_box[f].n, sizeof v.normal);
            memcpy(v.tangent, k_box[f].t, sizeof v.tangent);
            vec3_cross(v.tangent, v.normal, v.binormal);  // the box's binormal is T x N
            memcpy(v.st, k_box[f].st[c], sizeof v.st);
        }
    }
    const float unit[3] = {1, 1, 1};
    bump_mesh_set_box_size(m, unit);
    return true;
}

void bump_mesh_set_box_size(BumpMesh *m, const float *sizes)
{
    if (m->count != BUMP_BOX_VERTICES)
        return;
    for (int f = 0; f < 6; f++)
        for (int c = 0; c < 4; c++)
            for (int k = 0; k < 3; k++)
                m->v[4 * f + c].pos[k] = (float)k_box[f].sign[c][k] * sizes[k] * 0.5f;
}

// Capsule layout: the side strip, then three strips per cap. The unit
// directions (normals) are fixed; positions follow radius and length.
bool bump_mesh_make_capsule(BumpMesh *m)
{
    if (!alloc(m, BUMP_CAPSULE_VERTICES, "Unable to allocate memory for capped cylinder vertices\n"))
        return false;
    const float step = (float)M_PI / 6.0f;  // 30 degrees
    for (int k = 0; k <= 12; k++) {
        const float x = cosf(k * step), y = sinf(k * step);
        for (int half = 0; half < 2; half++) {
            BumpVertex &v = m->v[2 * k + half];
            set3(v.normal, x, y, 0);
            v.st[0] = k / 12.0f;
            v.st[1] = half == 0 ? 0.2f : 0.8f;
        }
    }
    int at = BUMP_CAPSULE_STRIP;
    for (int cap = 0; cap < 2; cap++) {
        const float dir = cap == 0 ? 1.0f : -1.0f;
        for (int ring = 0; ring < 3; ring++) {
            for (int k = 0; k <= 12; k++) {
                for (int half = 0; half < 2; half++) {
                    const float lat = (ring + (cap == 0 ? half : 1 - half)) * step;
                    BumpVertex &v = m->v[at++];
                    set3(v.normal, cosf(k * step) * cosf(lat), sinf(k * step) * cosf(lat), dir * sinf(lat));
                    v.st[0] = k / 12.0f;
                    v.st[1] = cap == 0 ? 0.8f + lat * 0.4f / (float)M_PI : 0.2f - lat * 0.4f / (float)M_PI;
                }
            }
        }
    }
    bump_mesh_tangents(m);
    bump_mesh_set_capsule_size(m, 1.0f, 1.0f);
    return true;
}

void bump_mesh_set_capsule_size(BumpMesh *m, float r, float l)
{
    if (m->count != BUMP_CAPSULE_VERTICES)
        return;
    for (int i = 0; i < m->count; i++) {
        BumpVertex &v = m->v[i];
        float end = 0;
        if (i < BUMP_CAPSULE_STRIP)
            end = (i % 2 == 0 ? 0.5f : -0.5f) * l;
        else
            end = (i < BUMP_CAPSULE_STRIP + 78 ? 0.5f : -0.5f) * l;
        set3(v.pos, r * v.normal[0], r * v.normal[1], r * v.normal[2] + end);
    }
}

void bump_eye_point(const float *pos, const float *rot, const float *sizes, const float *camera, float *eye)
{
    float d[3];
    vec3_sub(camera, pos, d);
    for (int k = 0; k < 3; k++) {
        // Column k of the rotation takes object axis k to the world.
        const float along = rot[k] * d[0] + rot[4 + k] * d[1] + rot[8 + k] * d[2];
        const float s = sizes[k];
        eye[k] = along / ((s != 0.0f && std::isfinite(s)) ? s : 1.0f);
    }
}

void bump_mesh_light_vectors(BumpMesh *m, const float *eye)
{
    for (int i = 0; i < m->count; i++) {
        BumpVertex &v = m->v[i];
        float l[3];
        vec3_sub(eye, v.pos, l);
        normalize(l);
        for (int k = 0; k < 3; k++)
            l[k] += 0.5f * v.normal[k];
        set3(v.light, vec3_dot(v.tangent, l), vec3_dot(v.binormal, l), vec3_dot(v.normal, l));
    }
}

void normalisation_cube_face(int face, uint8_t *texels)
{
    for (int i = 0; i < CUBE_MAP_SIDE; i++) {
        for (int j = 0; j < CUBE_MAP_SIDE; j++) {
            const float s = j + 0.5f - 16.0f, t = i + 0.5f - 16.0f;
            float d[3];
            switch (face) {
            case 0: set3(d, 16, -t, -s); break;
            case 1: set3(d, -16, -t, s); break;
            case 2: set3(d, s, 16, t); break;
            case 3: set3(d, s, -16, -t); break;
            case 4: set3(d, s, -t, 16); break;
            default: set3(d, -s, -t, -16); break;
            }
            normalize(d);
            uint8_t *p = texels + 3 * (CUBE_MAP_SIDE * i + j);
            for (int k = 0; k < 3; k++)
                p[k] = color_byte(d[k] * 0.5f + 0.5f);
        }
    }
}
