#include "render/render_math.h"

#include <cmath>

float vec3_length(const float v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

float vec3_dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void vec3_cross(const float a[3], const float b[3], float out[3])
{
    const float x = a[1] * b[2] - a[2] * b[1];
    const float y = a[2] * b[0] - a[0] * b[2];
    const float z = a[0] * b[1] - a[1] * b[0];
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

void vec3_sub(const float a[3], const float b[3], float out[3])
{
    for (int k = 0; k < 3; k++)
        out[k] = a[k] - b[k];
}

void normalise(const float v[3], float out[3])
{
    const float len = vec3_length(v);
    const float k = len > 0.0f ? 1.0f / len : 0.0f;
    for (int i = 0; i < 3; i++)
        out[i] = len > 0.0f ? v[i] * k : v[i];
}

float normalise_in_place(float v[3])
{
    const float len = vec3_length(v);
    if (!(len > 0.0f))
        return 0.0f;
    const float k = 1.0f / len;
    for (int i = 0; i < 3; i++)
        v[i] *= k;
    return k;
}

void mat3_mul_vec(const float m[9], const float v[3], float out[3])
{
    float r[3];
    for (int i = 0; i < 3; i++)
        r[i] = m[i * 3] * v[0] + m[i * 3 + 1] * v[1] + m[i * 3 + 2] * v[2];
    for (int i = 0; i < 3; i++)
        out[i] = r[i];
}

void vec_mul_mat3(const float v[3], const float m[9], float out[3])
{
    float r[3];
    for (int i = 0; i < 3; i++)
        r[i] = v[0] * m[i] + v[1] * m[3 + i] + v[2] * m[6 + i];
    for (int i = 0; i < 3; i++)
        out[i] = r[i];
}

void mat3_mul(const float a[9], const float b[9], float out[9])
{
    float r[9];
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            r[i * 3 + j] = b[i] * a[j] + b[3 + i] * a[3 + j] + b[6 + i] * a[6 + j];
    for (int i = 0; i < 9; i++)
        out[i] = r[i];
}

void mat3_scale(float m[9], float k)
{
    for (int i = 0; i < 9; i++)
        m[i] *= k;
}

void rotate_about_axis(float v[3], const float axis[3], float c, float s)
{
    float vx[3];
    vec3_cross(v, axis, vx);
    const float d = vec3_dot(axis, v) * (1.0f - c);
    for (int i = 0; i < 3; i++)
        v[i] = v[i] * c + vx[i] * s + axis[i] * d;
}

// A rotation vector's unit axis and the cosine and sine of its angle (its
// length); false when it turns by nothing.
static bool axis_and_angle(const float r[3], float axis[3], float *c, float *s)
{
    const float angle = vec3_length(r);
    if (!(angle > 0.0f))
        return false;
    normalise(r, axis);
    *c = std::cos(angle);
    *s = std::sin(angle);
    return true;
}

void rotate_by_vector(float v[3], const float r[3])
{
    float axis[3], c, s;
    if (axis_and_angle(r, axis, &c, &s))
        rotate_about_axis(v, axis, c, s);
}

void rotate_matrix_about_axis(float m[9], const float axis[3], float c, float s)
{
    for (int col = 0; col < 3; col++) {
        float v[3] = {m[col], m[3 + col], m[6 + col]};
        rotate_about_axis(v, axis, c, s);
        m[col] = v[0];
        m[3 + col] = v[1];
        m[6 + col] = v[2];
    }
}

void rotate_matrix_by_vector(float m[9], const float r[3])
{
    float axis[3], c, s;
    if (axis_and_angle(r, axis, &c, &s))
        rotate_matrix_about_axis(m, axis, c, s);
}

float fog_weight(float fog_distance)
{
    const float w = 1.0f / (fog_distance * std::log(0.5f));
    if (!(fog_distance > 1e-6f) || !std::isfinite(w))
        return -1e30f;
    return w;
}

float sun_height(const float sun_dir[3])
{
    const float len = vec3_length(sun_dir);
    return len > 0.0f ? sun_dir[2] / len : 0.0f;
}

void floor_colour_value(const float sun[3], const float ambient[3], const float floor[3], const float sun_dir[3],
                        float out[4])
{
    const float s = sun_height(sun_dir);
    for (int i = 0; i < 3; i++)
        out[i] = (sun[i] * s + ambient[i]) * floor[i];
    out[3] = 1.0f;
}

void fog_value(const float background[3], float fog_distance, float out[4])
{
    for (int i = 0; i < 3; i++)
        out[i] = background[i];
    out[3] = fog_weight(fog_distance);
}

void pack_rgba(const float colour[4], uint8_t out[4])
{
    for (int i = 0; i < 4; i++) {
        float c = colour[i];
        if (!(c > 0.0f))
            c = 0.0f;   // also NaN
        if (c > 1.0f)
            c = 1.0f;
        out[i] = (uint8_t)(int)(c * 255.99f);
    }
}

DepthHeap::DepthHeap() { clear(); }

void DepthHeap::clear()
{
    count = 0;
    pairs[0].key = 0.0f;
    pairs[0].value = 0;
}

int DepthHeap::push(float key, int32_t value)
{
    if (count >= DEPTH_HEAP_SIZE)
        return 1;
    int i = count++;
    while (i > 0) {
        const int parent = (i - 1) / 2;
        if (!(key < pairs[parent].key))
            break;
        pairs[i] = pairs[parent];
        i = parent;
    }
    pairs[i].key = key;
    pairs[i].value = value;
    return 0;
}

int32_t DepthHeap::pop()
{
    const int32_t top = pairs[0].value;
    if (count <= 0) {
        count = 0;
        return top;
    }
    const Pair last = pairs[--count];
    int i = 0;
    for (;;) {
        const int l = i * 2 + 1, r = l + 1;
        int smallest = i;
        float k = last.key;
        if (l < count && pairs[l].key < k) {
            smallest = l;
            k = pairs[l].key;
        }
        if (r < count && pairs[r].key < k)
            smallest = r;
        if (smallest == i)
            break;
        pairs[i] = pairs[smallest];
        i = smallest;
    }
    if (count > 0 || i == 0)
        pairs[i] = last;
    return top;
}
