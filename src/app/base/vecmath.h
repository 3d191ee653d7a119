// 4x4 float matrices, float vectors with rotations, double vectors and 3x4
// double transforms, and float interpolation. Angles are in degrees unless
// a function says otherwise.
#pragma once

static const double DEG_TO_RAD = 0.017453292519943295;
static const double RAD_TO_DEG = 57.29577791868205;

struct Vec3f {
    float x, y, z;
};

// 16 floats, column-major (element k in column k / 4, row k % 4), the
// translation in elements 12..14; points are multiplied on the right.
class Matrix4 {
public:
    float m[16];

    Matrix4() { load_identity(); }
    Matrix4(const Matrix4 &) = default;
    Matrix4 &operator=(const Matrix4 &) = default;

    void set(const float values[16]);
    float get(unsigned k) const { return k < 16 ? m[k] : 0.0f; }
    void set_element(unsigned k, float v)
    {
        if (k < 16)
            m[k] = v;
    }
    void load_identity();
    void zero();

    Matrix4 operator+(const Matrix4 &o) const;
    Matrix4 operator-(const Matrix4 &o) const;
    Matrix4 &operator+=(const Matrix4 &o);
    Matrix4 &operator-=(const Matrix4 &o);
    Matrix4 operator*(const Matrix4 &o) const;
    Matrix4 &operator*=(const Matrix4 &o);
    Matrix4 operator*(float s) const;
    Matrix4 &operator*=(float s);
    // Multiplies by 1 / s; s exactly 0 or 1 leaves the matrix unchanged.
    Matrix4 operator/(float s) const;
    Matrix4 &operator/=(float s);
    bool operator==(const Matrix4 &o) const;
    bool operator!=(const Matrix4 &o) const { return !(*this == o); }
    Matrix4 operator-() const;

    // Rotation part times p plus the translation (w = 1, no division).
    Vec3f transform_point(Vec3f p) const;
    // Rotation part times v; the second form uses the transposed rotation.
    Vec3f rotate_dir(Vec3f v) const;
    Vec3f rotate_dir_transposed(Vec3f v) const;
    Vec3f translate_point(Vec3f p) const;
    Vec3f untranslate_point(Vec3f p) const;

    Matrix4 transposed() const;
    void transpose();
    // Inverse of a rotation plus translation: R^T and -(R^T t).
    Matrix4 rigid_inverse() const;
    // The same inverse written row-major (translation in 3, 7, 11).
    void rigid_inverse_row_major(float out[16]) const;
    // Adjugate over determinant; a determinant of exactly 0 gives the identity.
    Matrix4 inverse() const;
    // The normal matrix: the transpose of the general inverse, in place.
    void invert_transpose();

    void set_translation(float x, float y, float z);
    void set_scale(float x, float y, float z);
    void set_scale(float s);
    void set_rotation_x(float deg);
    void set_rotation_y(float deg);
    void set_rotation_z(float deg);
    // Axis-angle rotation; a zero axis gives the identity.
    void set_rotation_axis(float deg, Vec3f axis);
    // Rz * Ry * Rx.
    void set_euler(float xdeg, float ydeg, float zdeg);
    // glFrustum; far == -1 places the far plane at infinity. A degenerate
    // box leaves the zero matrix.
    void set_frustum(float left, float right, float bottom, float top, float near_z, float far_z);
    // gluPerspective (field of view in degrees).
    void set_perspective(float fov_deg, float aspect, float near_z, float far_z);
    // glOrtho. A degenerate box leaves the zero matrix.
    void set_ortho(float left, float right, float bottom, float top, float near_z, float far_z);
};

// ---- float vectors ----
// In place; unchanged when the length is exactly 0 or 1.
void vec3_normalize(Vec3f *v);
Vec3f vec3_normalized(Vec3f v);
// Rotations; an angle of exactly 0 leaves the vector unchanged.
Vec3f vec3_rotated_x(Vec3f v, float deg);
Vec3f vec3_rotated_y(Vec3f v, float deg);
Vec3f vec3_rotated_z(Vec3f v, float deg);
void vec3_rotate_x(Vec3f *v, float deg);
void vec3_rotate_y(Vec3f *v, float deg);
void vec3_rotate_z(Vec3f *v, float deg);
// About an axis; a zero axis or angle leaves the vector unchanged.
Vec3f vec3_rotated_axis(Vec3f v, float deg, Vec3f axis);
void vec3_scale(Vec3f *v, float s);
bool vec3_equal(Vec3f a, Vec3f b);
// The normalised vector mapped to 0..1 per component (n * 0.5 + 0.5).
void vec3_pack_to_rgb(Vec3f *v);

// ---- double vectors and 3x4 transforms (row-major, translation in 3, 7, 11) ----
void vec_cross(double ax, double ay, double az, double bx, double by, double bz, double out[3]);
double vec_dot(double ax, double ay, double az, double bx, double by, double bz);
double vec_dot(const double a[3], const double b[3]);
double vec_len3(double x, double y, double z);
double vec_len(const double v[3]);
double vec_len_sq(const double v[3]);
// Divides by the length; a zero vector is left unchanged.
void vec_normalize(double v[3]);
// Angle between a and b (the cosine clamped to [-1, 1]; 0 when either is
// zero), in degrees or radians.
double vec_angle_deg(const double a[3], const double b[3]);
double vec_angle_rad(const double a[3], const double b[3]);
// Per-thread static results, overwritten by the next call of either.
const double *vec_set_static(const double v[3]);
const double *vec_sub(const double a[3], const double b[3]);
// a - b into vec_sub's vector; its length when at least 5.0, else 0.0.
double vec_dist(const double a[3], const double b[3]);
// out = A x B for 3x4 transforms (out may not alias A or B).
void mat_compose(const double A[12], const double B[12], double out[12]);
// Rotates b about a in the x-y plane by angle radians, keeping b's z.
void vec_heading(const double a[3], const double b[3], double out[3], double angle);
// p plus (x, y, z) turned by deg about the vertical (z) axis.
void vec_offset_rotated(const double p[3], double x, double y, double z, double deg, double out[3]);

// ---- interpolation, t from 0 to 1 ----
float interp_linear(float a, float b, float t);
float interp_cosine(float a, float b, float t);
// Hermite spline through p0..p3, evaluated between p1 and p2.
float interp_hermite(float p0, float p1, float p2, float p3, float t, float tension, float bias);
