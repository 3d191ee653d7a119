#include "render/shape_queue.h"

#include <cmath>

#include "render/render_queues.h"
#include "render/texture.h"

static unsigned gl_name(const Texture *t) { return t && t->loaded ? t->gl_id : 0; }

// The 3x4 rotation's 3x3 part, row by row.
static void rotation3(const float *R, float *out)
{
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            out[3 * i + j] = R[4 * i + j];
}

void queue_sphere_pose(const float *pos, const float *R, float radius, int kind, const Texture *color,
                       const Texture *bump, const float *vel, const float *spin)
{
    float rot[9];
    rotation3(R, rot);
    queue_sphere(rot, pos, vel, spin, radius, (unsigned)kind, gl_name(color), gl_name(bump));
}

void queue_box_pose(const float *pos, const float *R, const float *sides, int kind, const Texture *color,
                    const Texture *bump, const float *vel, const float *spin)
{
    float rot[9];
    rotation3(R, rot);
    const float half[3] = {0.5f * sides[0], 0.5f * sides[1], 0.5f * sides[2]};
    queue_box(rot, pos, half, vel, spin, (unsigned)kind, gl_name(color), gl_name(bump));
}

void queue_capsule_pose(const float *pos, const float *R, float length, float radius, int kind,
                        const Texture *color, const Texture *bump, const float *vel, const float *spin)
{
    float rot[9];
    rotation3(R, rot);
    queue_capsule(rot, pos, length, radius, vel, spin, (unsigned)kind, gl_name(color), gl_name(bump));
}

// The turn that takes +z onto the unit axis: quarter and half turns when
// the axis is one of the frame's own (the joints' case), else the shortest
// turn. Row by row.
static void turn_onto(const float *axis, float *m)
{
    static const float turns[6][9] = {
        {0, 0, 1, 0, 1, 0, -1, 0, 0},    // +x: a quarter turn about y
        {0, 0, -1, 0, 1, 0, 1, 0, 0},    // -x
        {1, 0, 0, 0, 0, 1, 0, -1, 0},    // +y: a quarter turn about x
        {1, 0, 0, 0, 0, -1, 0, 1, 0},    // -y
        {1, 0, 0, 0, 1, 0, 0, 0, 1},     // +z
        {1, 0, 0, 0, -1, 0, 0, 0, -1},   // -z: a half turn about x
    };
    for (int k = 0; k < 3; k++) {
        if (std::fabs(std::fabs(axis[k]) - 1) < 1e-4f) {
            const float *t = turns[2 * k + (axis[k] < 0)];
            for (int i = 0; i < 9; i++)
                m[i] = t[i];
            return;
        }
    }
    const float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (!(len > 0)) {
        for (int i = 0; i < 9; i++)
            m[i] = i % 4 == 0;
        return;
    }
    const float a[3] = {axis[0] / len, axis[1] / len, axis[2] / len};
    // Rodrigues about z x a, with cos = a.z and sin = |z x a|.
    const float c = a[2], s = std::sqrt(a[0] * a[0] + a[1] * a[1]);
    if (s < 1e-6f) {
        for (int i = 0; i < 9; i++)
            m[i] = c < 0 ? turns[5][i] : turns[4][i];
        return;
    }
    const float u[3] = {-a[1] / s, a[0] / s, 0}, t = 1 - c;
    const float rows[9] = {u[0] * u[0] * t + c, u[0] * u[1] * t - u[2] * s, u[0] * u[2] * t + u[1] * s,
                           u[1] * u[0] * t + u[2] * s, u[1] * u[1] * t + c, u[1] * u[2] * t - u[0] * s,
                           u[2] * u[0] * t - u[1] * s, u[2] * u[1] * t + u[0] * s, u[2] * u[2] * t + c};
    for (int i = 0; i < 9; i++)
        m[i] = rows[i];
}

void queue_hemisphere_pose(const float *pos, const float *R, float radius, const float *axis, int kind,
                           const Texture *color, const Texture *bump)
{
    float body[9], turn[9], rot[9];
    rotation3(R, body);
    turn_onto(axis, turn);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            rot[3 * i + j] = body[3 * i] * turn[j] + body[3 * i + 1] * turn[3 + j] + body[3 * i + 2] * turn[6 + j];
    const unsigned c = gl_name(color), b = gl_name(bump);
    unsigned flags;
    if (kind == 4)
        flags = QUEUE_OCCLUDER;
    else
        flags = (c ? QUEUE_TCGEN | QUEUE_TEXTURED : QUEUE_TCGEN | QUEUE_PLAIN) | (b ? QUEUE_TEXTURED : QUEUE_PLAIN);
    queue_object(rot, body, pos, nullptr, nullptr, radius, flags, c, b);
}
