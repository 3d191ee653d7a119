#include "app/base/vecmath.h"

#include <cmath>
#include <cstring>

// ---- Matrix4 ----

void Matrix4::set(const float values[16])
{
    memcpy(m, values, sizeof m);
}

void Matrix4::load_identity()
{
    zero();
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void Matrix4::zero()
{
    memset(m, 0, sizeof m);
}

Matrix4 Matrix4::operator+(const Matrix4 &o) const
{
    Matrix4 r;
    for (int k = 0; k < 16; k++)
        r.m[k] = m[k] + o.m[k];
    return r;
}

Matrix4 Matrix4::operator-(const Matrix4 &o) const
{
    Matrix4 r;
    for (int k = 0; k < 16; k++)
        r.m[k] = m[k] - o.m[k];
    return r;
}

Matrix4 &Matrix4::operator+=(const Matrix4 &o)
{
    return *this = *this + o;
}

Matrix4 &Matrix4::operator-=(const Matrix4 &o)
{
    return *this = *this - o;
}

static bool affine_bottom(const float *a)
{
    return a[3] == 0.0f && a[7] == 0.0f && a[11] == 0.0f && a[15] == 1.0f;
}

Matrix4 Matrix4::operator*(const Matrix4 &o) const
{
    const float *a = m, *b = o.m;
    Matrix4 r;
    if (affine_bottom(a) && affine_bottom(b)) {
        // Rotation block and translation only; the bottom row stays 0 0 0 1.
        for (int col = 0; col < 4; col++)
            for (int row = 0; row < 3; row++) {
                float v = a[row] * b[col * 4] + a[4 + row] * b[col * 4 + 1] + a[8 + row] * b[col * 4 + 2];
                if (col == 3)
                    v += a[12 + row];
                r.m[col * 4 + row] = v;
            }
        r.m[3] = r.m[7] = r.m[11] = 0.0f;
        r.m[15] = 1.0f;
        return r;
    }
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++)
            r.m[col * 4 + row] = a[row] * b[col * 4] + a[4 + row] * b[col * 4 + 1] + a[8 + row] * b[col * 4 + 2] +
                                 a[12 + row] * b[col * 4 + 3];
    return r;
}

Matrix4 &Matrix4::operator*=(const Matrix4 &o)
{
    return *this = *this * o;
}

Matrix4 Matrix4::operator*(float s) const
{
    Matrix4 r;
    for (int k = 0; k < 16; k++)
        r.m[k] = m[k] * s;
    return r;
}

Matrix4 &Matrix4::operator*=(float s)
{
    return *this = *this * s;
}

Matrix4 Matrix4::operator/(float s) const
{
    if (s == 0.0f || s == 1.0f)
        return *this;
    return *this * (1.0f / s);
}

Matrix4 &Matrix4::operator/=(float s)
{
    return *this = *this / s;
}

bool Matrix4::operator==(const Matrix4 &o) const
{
    for (int k = 0; k < 16; k++)
        if (m[k] != o.m[k])
            return false;
    return true;
}

Matrix4 Matrix4::operator-() const
{
    return *this * -1.0f;
}

Vec3f Matrix4::rotate_dir(Vec3f v) const
{
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z, m[1] * v.x + m[5] * v.y + m[9] * v.z,
            m[2] * v.x + m[6] * v.y + m[10] * v.z};
}

Vec3f Matrix4::rotate_dir_transposed(Vec3f v) const
{
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[4] * v.x + m[5] * v.y + m[6] * v.z,
            m[8] * v.x + m[9] * v.y + m[10] * v.z};
}

Vec3f Matrix4::transform_point(Vec3f p) const
{
    Vec3f r = rotate_dir(p);
    return {r.x + m[12], r.y + m[13], r.z + m[14]};
}

Vec3f Matrix4::translate_point(Vec3f p) const
{
    return {p.x + m[12], p.y + m[13], p.z + m[14]};
}

Vec3f Matrix4::untranslate_point(Vec3f p) const
{
    return {p.x - m[12], p.y - m[13], p.z - m[14]};
}

Matrix4 Matrix4::transposed() const
{
    Matrix4 r;
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++)
            r.m[row * 4 + col] = m[col * 4 + row];
    return r;
}

void Matrix4::transpose()
{
    *this = transposed();
}

Matrix4 Matrix4::rigid_inverse() const
{
    Matrix4 r;
    for (int col = 0; col < 3; col++)
        for (int row = 0; row < 3; row++)
            r.m[col * 4 + row] = m[row * 4 + col];
    Vec3f t = rotate_dir_transposed({m[12], m[13], m[14]});
    r.m[12] = -t.x;
    r.m[13] = -t.y;
    r.m[14] = -t.z;
    r.m[3] = r.m[7] = r.m[11] = 0.0f;
    r.m[15] = 1.0f;
    return r;
}

void Matrix4::rigid_inverse_row_major(float out[16]) const
{
    Matrix4 inv = rigid_inverse();
    Matrix4 t = inv.transposed();
    memcpy(out, t.m, sizeof t.m);
}

Matrix4 Matrix4::inverse() const
{
    // Cofactors in double precision, the determinant expanded along the
    // first row.
    double a[16], inv[16];
    for (int k = 0; k < 16; k++)
        a[k] = m[k];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    double det = a[0] * inv[0] + a[4] * inv[1] + a[8] * inv[2] + a[12] * inv[3];
    Matrix4 r;
    if (det == 0.0 || !std::isfinite(det))
        return r; // identity
    for (int k = 0; k < 16; k++)
        r.m[k] = (float)(inv[k] / det);
    return r;
}

void Matrix4::invert_transpose()
{
    *this = inverse().transposed();
}

void Matrix4::set_translation(float x, float y, float z)
{
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

void Matrix4::set_scale(float x, float y, float z)
{
    load_identity();
    m[0] = x;
    m[5] = y;
    m[10] = z;
}

void Matrix4::set_scale(float s)
{
    set_scale(s, s, s);
}

void Matrix4::set_rotation_x(float deg)
{
    load_identity();
    float c = (float)cos(deg * DEG_TO_RAD), s = (float)sin(deg * DEG_TO_RAD);
    m[5] = c, m[6] = s, m[9] = -s, m[10] = c;
}

void Matrix4::set_rotation_y(float deg)
{
    load_identity();
    float c = (float)cos(deg * DEG_TO_RAD), s = (float)sin(deg * DEG_TO_RAD);
    m[0] = c, m[2] = -s, m[8] = s, m[10] = c;
}

void Matrix4::set_rotation_z(float deg)
{
    load_identity();
    float c = (float)cos(deg * DEG_TO_RAD), s = (float)sin(deg * DEG_TO_RAD);
    m[0] = c, m[1] = s, m[4] = -s, m[5] = c;
}

void Matrix4::set_rotation_axis(float deg, Vec3f axis)
{
    load_identity();
    vec3_normalize(&axis);
    if (axis.x == 0.0f && axis.y == 0.0f && axis.z == 0.0f)
        return;
    float c = (float)cos(deg * DEG_TO_RAD), s = (float)sin(deg * DEG_TO_RAD), t = 1.0f - c;
    float x = axis.x, y = axis.y, z = axis.z;
    m[0] = t * x * x + c, m[1] = t * x * y + s * z, m[2] = t * x * z - s * y;
    m[4] = t * x * y - s * z, m[5] = t * y * y + c, m[6] = t * y * z + s * x;
    m[8] = t * x * z + s * y, m[9] = t * y * z - s * x, m[10] = t * z * z + c;
}

void Matrix4::set_euler(float xdeg, float ydeg, float zdeg)
{
    load_identity();
    float cx = (float)cos(xdeg * DEG_TO_RAD), sx = (float)sin(xdeg * DEG_TO_RAD);
    float cy = (float)cos(ydeg * DEG_TO_RAD), sy = (float)sin(ydeg * DEG_TO_RAD);
    float cz = (float)cos(zdeg * DEG_TO_RAD), sz = (float)sin(zdeg * DEG_TO_RAD);
    m[0] = cz * cy, m[1] = sz * cy, m[2] = -sy;
    m[4] = sy * sx * cz - sz * cx, m[5] = sy * sx * sz + cz * cx, m[6] = cy * sx;
    m[8] = sy * cx * cz + sz * sx, m[9] = sz * sy * cx - sx * cz, m[10] = cx * cy;
}

void Matrix4::set_frustum(float l, float r, float b, float t, float n, float f)
{
    zero();
    if (l == r || b == t || n == f)
        return;
    m[0] = 2 * n / (r - l);
    m[5] = 2 * n / (t - b);
    m[8] = (r + l) / (r - l);
    m[9] = (t + b) / (t - b);
    m[11] = -1.0f;
    if (f == -1.0f) {
        m[10] = -0.999f;
        m[14] = -1.998f * n;
    } else {
        m[10] = -(f + n) / (f - n);
        m[14] = -2 * f * n / (f - n);
    }
}

void Matrix4::set_perspective(float fov_deg, float aspect, float n, float f)
{
    float top = (float)tan(fov_deg * 0.5 * DEG_TO_RAD) * n;
    set_frustum(-top * aspect, top * aspect, -top, top, n, f);
}

void Matrix4::set_ortho(float l, float r, float b, float t, float n, float f)
{
    zero();
    if (l == r || b == t || n == f)
        return;
    m[0] = 2 / (r - l);
    m[5] = 2 / (t - b);
    m[10] = -2 / (f - n);
    m[12] = -(r + l) / (r - l);
    m[13] = -(t + b) / (t - b);
    m[14] = -(f + n) / (f - n);
    m[15] = 1.0f;
}

// ---- float vectors ----

void vec3_normalize(Vec3f *v)
{
    float len = sqrtf(v->x * v->x + v->y * v->y + v->z * v->z);
    if (len == 0.0f || len == 1.0f || !std::isfinite(len))
        return;
    v->x /= len;
    v->y /= len;
    v->z /= len;
}

Vec3f vec3_normalized(Vec3f v)
{
    vec3_normalize(&v);
    return v;
}

Vec3f vec3_rotated_x(Vec3f v, float deg)
{
    if (deg == 0.0f)
        return v;
    float c = (float)cos(deg * DEG_TO_RAD), s = (float)sin(deg * DEG_TO_RAD);
    return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
}

Vec3f vec3_rotated_y(Vec3f v, float deg)
{
    if (deg == 0.0f)
        return v;
    float c = (float)cos(deg * DEG_TO_RAD), s = (float)sin(deg * DEG_TO_RAD);
    return {c * v.x + s * v.z, v.y, c * v.z - s * v.x};
}

Vec3f vec3_rotated_z(Vec3f v, float deg)
{
    if (deg == 0.0f)
        return v;
    float c = (float)cos(deg * DEG_TO_RAD), s = (float)sin(deg * DEG_TO_RAD);
    return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
}

void vec3_rotate_x(Vec3f *v, float deg) { *v = vec3_rotated_x(*v, deg); }
void vec3_rotate_y(Vec3f *v, float deg) { *v = vec3_rotated_y(*v, deg); }
void vec3_rotate_z(Vec3f *v, float deg) { *v = vec3_rotated_z(*v, deg); }

Vec3f vec3_rotated_axis(Vec3f v, float deg, Vec3f axis)
{
    if (deg == 0.0f)
        return v;
    Matrix4 r;
    r.set_rotation_axis(deg, axis);
    return r.rotate_dir(v);
}

void vec3_scale(Vec3f *v, float s)
{
    v->x *= s;
    v->y *= s;
    v->z *= s;
}

bool vec3_equal(Vec3f a, Vec3f b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

void vec3_pack_to_rgb(Vec3f *v)
{
    Vec3f n = vec3_normalized(*v);
    *v = {n.x * 0.5f + 0.5f, n.y * 0.5f + 0.5f, n.z * 0.5f + 0.5f};
}

// ---- double vectors ----

void vec_cross(double ax, double ay, double az, double bx, double by, double bz, double out[3])
{
    out[0] = ay * bz - az * by;
    out[1] = az * bx - ax * bz;
    out[2] = ax * by - ay * bx;
}

double vec_dot(double ax, double ay, double az, double bx, double by, double bz)
{
    return ax * bx + ay * by + az * bz;
}

double vec_dot(const double a[3], const double b[3])
{
    return vec_dot(a[0], a[1], a[2], b[0], b[1], b[2]);
}

double vec_len3(double x, double y, double z)
{
    return sqrt(x * x + y * y + z * z);
}

double vec_len(const double v[3])
{
    return vec_len3(v[0], v[1], v[2]);
}

double vec_len_sq(const double v[3])
{
    return vec_dot(v, v);
}

void vec_normalize(double v[3])
{
    double len = vec_len(v);
    if (len == 0.0 || !std::isfinite(len))
        return;
    v[0] /= len;
    v[1] /= len;
    v[2] /= len;
}

double vec_angle_rad(const double a[3], const double b[3])
{
    double la = vec_len(a), lb = vec_len(b);
    if (la == 0.0 || lb == 0.0)
        return 0.0;
    double c = vec_dot(a, b) / (la * lb);
    if (c > 1.0)
        c = 1.0;
    if (c < -1.0)
        c = -1.0;
    return acos(c);
}

double vec_angle_deg(const double a[3], const double b[3])
{
    return vec_angle_rad(a, b) * RAD_TO_DEG;
}

static thread_local double g_static_vec[3];

const double *vec_set_static(const double v[3])
{
    g_static_vec[0] = v[0];
    g_static_vec[1] = v[1];
    g_static_vec[2] = v[2];
    vec_normalize(g_static_vec);
    return g_static_vec;
}

const double *vec_sub(const double a[3], const double b[3])
{
    g_static_vec[0] = a[0] - b[0];
    g_static_vec[1] = a[1] - b[1];
    g_static_vec[2] = a[2] - b[2];
    return g_static_vec;
}

double vec_dist(const double a[3], const double b[3])
{
    double len = vec_len(vec_sub(a, b));
    return len >= 5.0 ? len : 0.0;
}

void mat_compose(const double A[12], const double B[12], double out[12])
{
    for (int row = 0; row < 3; row++) {
        for (int col = 0; col < 3; col++)
            out[row * 4 + col] =
                A[row * 4] * B[col] + A[row * 4 + 1] * B[4 + col] + A[row * 4 + 2] * B[8 + col];
        out[row * 4 + 3] =
            A[row * 4] * B[3] + A[row * 4 + 1] * B[7] + A[row * 4 + 2] * B[11] + A[row * 4 + 3];
    }
}

void vec_heading(const double a[3], const double b[3], double out[3], double angle)
{
    double dx = b[0] - a[0], dy = b[1] - a[1];
    double r = sqrt(dx * dx + dy * dy);
    if (r == 0.0) {
        out[0] = b[0], out[1] = b[1], out[2] = b[2];
        return;
    }
    double h = atan2(dy, dx) + angle;
    double z = b[2];
    out[0] = a[0] + r * cos(h);
    out[1] = a[1] + r * sin(h);
    out[2] = z;
}

void vec_offset_rotated(const double p[3], double x, double y, double z, double deg, double out[3])
{
    double c = cos(deg * DEG_TO_RAD), s = sin(deg * DEG_TO_RAD);
    double px = p[0], py = p[1], pz = p[2];
    out[0] = px + c * x - s * y;
    out[1] = py + s * x + c * y;
    out[2] = pz + z;
}

// ---- interpolation ----

float interp_linear(float a, float b, float t)
{
    return (1 - t) * a + t * b;
}

float interp_cosine(float a, float b, float t)
{
    float f = (float)((1 - cos(M_PI * t)) / 2);
    return (1 - f) * a + f * b;
}

float interp_hermite(float p0, float p1, float p2, float p3, float t, float tension, float bias)
{
    float t2 = t * t, t3 = t2 * t;
    float m1 = (p1 - p0) * (1 + bias) * (1 - tension) / 2 + (p2 - p1) * (1 - bias) * (1 - tension) / 2;
    float m2 = (p2 - p1) * (1 + bias) * (1 - tension) / 2 + (p3 - p2) * (1 - bias) * (1 - tension) / 2;
    float a0 = 2 * t3 - 3 * t2 + 1, a1 = t3 - 2 * t2 + t, a2 = t3 - t2, a3 = -2 * t3 + 3 * t2;
    return a0 * p1 + a1 * m1 + a2 * m2 + a3 * p2;
}
