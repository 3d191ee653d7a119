// Small float math for the shader path: three-component vectors as float[3],
// 3 x 3 matrices as nine floats row by row, rotations, the fog weight and
// the min-heap that ranks occluders. No OpenGL here.
#pragma once
#include <cstdint>

// out := v / |v|; a zero vector gives zero (never a division by zero).
void normalise(const float v[3], float out[3]);
// v := v / |v| in place; returns 1 / |v|, or 0 for a zero vector (left zero).
float normalise_in_place(float v[3]);
float vec3_length(const float v[3]);
float vec3_dot(const float a[3], const float b[3]);
void vec3_cross(const float a[3], const float b[3], float out[3]);
// out := a - b.
void vec3_sub(const float a[3], const float b[3], float out[3]);

// out := m v.
void mat3_mul_vec(const float m[9], const float v[3], float out[3]);
// out := v m (the transpose product, m^T v).
void vec_mul_mat3(const float v[3], const float m[9], float out[3]);
// out := b^T a.
void mat3_mul(const float a[9], const float b[9], float out[9]);
// m := m k.
void mat3_scale(float m[9], float k);

// v := v c + (v x axis) s + axis (axis . v)(1 - c): a turn about a unit axis
// given by the cosine and sine of the angle.
void rotate_about_axis(float v[3], const float axis[3], float c, float s);
// A turn by |r| radians about r / |r|; r = 0 leaves v as it is.
void rotate_by_vector(float v[3], const float r[3]);
// Each of the three columns of m turned about the axis.
void rotate_matrix_about_axis(float m[9], const float axis[3], float c, float s);
// The same with a rotation vector; only when |r| > 0.
void rotate_matrix_by_vector(float m[9], const float r[3]);

// The fog uniform's weight 1 / (distance x ln 0.5): a negative number, so
// that exp(length x weight) halves every `distance` units. A distance of 0,
// a negative one or NaN gives a large finite negative weight (all fog, and
// no infinity that would turn 0 x weight into NaN in the programs).
float fog_weight(float fog_distance);

// The sun's height factor S.z / |S|; 0 for a zero direction (no NaN).
float sun_height(const float sun_dir[3]);
// The lit floor colour the programs take as "floorcolor":
// ((sun x s + ambient) x floor per channel, 1) with s = sun_height.
void floor_colour_value(const float sun[3], const float ambient[3], const float floor[3], const float sun_dir[3],
                        float out[4]);
// The "fogcolor" value: (background r, g, b, fog_weight(distance)).
void fog_value(const float background[3], float fog_distance, float out[4]);

// Four floats in 0..1 to four bytes, each float x 255.99 truncated; values
// outside 0..1 (and NaN) are clamped first, so a colour never wraps.
void pack_rgba(const float colour[4], uint8_t out[4]);

// A min-heap of up to 512 {key, value} pairs. push drops a pair when the
// heap is full; pop gives the value of the smallest key, and on an empty
// heap the value left in the top pair (0 at first) with the count at 0.
enum { DEPTH_HEAP_SIZE = 512 };
struct DepthHeap {
    struct Pair {
        float key;
        int32_t value;
    };
    Pair pairs[DEPTH_HEAP_SIZE];
    int count;

    DepthHeap();
    void clear();
    // 0 when stored, 1 when the heap was full and the pair was dropped.
    int push(float key, int32_t value);
    int32_t pop();
};
