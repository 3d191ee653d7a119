#include "render/render_queues.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "render/color_state.h"

// The four per-frame queues, each filled from index 0 up to its count.
typedef DrawRecord DrawQueue[DRAW_QUEUE_SIZE];
typedef float OccluderList[OCCLUDER_LIST_SIZE][4];     // x, y, z, radius
typedef BloodRecord BloodQueue[BLOOD_QUEUE_SIZE];
typedef RayObject RayObjectList[RAY_OBJECT_LIST_SIZE];

static DrawQueue g_draw;
static int g_draw_count;
static OccluderList g_occluders;
static int g_occluder_count;
static BloodQueue g_blood;
static int g_blood_count;
static BloodStrand g_strands[BLOOD_STRANDS];
static RayObjectList g_rays;
static int g_ray_count;
static int g_rays_queued;
// Whether the latest draw record queued is see-through; its ray objects
// are left out then (they would shadow and mirror what is hardly there).
static bool g_last_translucent;
static float g_camera[3];

static float length3(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

static float column_length(const float *m, int k) { return length3(m[k], m[3 + k], m[6 + k]); }

// m v for a 3x3 matrix row by row.
static void rotate(const float *m, const float *v, float *out)
{
    for (int i = 0; i < 3; i++)
        out[i] = m[3 * i] * v[0] + m[3 * i + 1] * v[1] + m[3 * i + 2] * v[2];
}

static void add_occluder(const float *pos, float radius)
{
    if (g_occluder_count >= OCCLUDER_LIST_SIZE)
        return;
    float *o = g_occluders[g_occluder_count++];
    o[0] = pos[0];
    o[1] = pos[1];
    o[2] = pos[2];
    o[3] = radius;
}

// A new record of the shape with the common fields filled, or null (with
// the message) when the frame's queue is full.
static DrawRecord *new_record(unsigned shape, const float *pos, const float *v1, const float *v2, unsigned kind,
                              unsigned colour_tex, unsigned bump_tex)
{
    if (g_draw_count >= DRAW_QUEUE_SIZE) {
        fprintf(stderr, "Error: Maximum number of objects drawn already\n");
        return nullptr;
    }
    DrawRecord *r = &g_draw[g_draw_count++];
    std::memset(r, 0, sizeof *r);
    const float *c = current_color();
    for (int k = 0; k < 3; k++) {
        r->pos[k] = pos[k];
        r->extra[k] = v1 ? v1[k] : 0;
        r->extra[3 + k] = v2 ? v2[k] : 0;
    }
    for (int k = 0; k < 4; k++)
        r->colour[k] = c[k];
    r->kind = kind;
    r->shape = shape;
    r->translucent = c[3] != 1.0f;
    r->mode = r->translucent ? 0 : 1;
    r->colour_tex = colour_tex;
    r->bump_tex = bump_tex;
    r->mesh[0] = r->mesh[1] = r->mesh[2] = SCENE_MESH_NONE;
    g_last_translucent = r->translucent != 0;
    return r;
}

static void scale_into(const float *rot, float k, float *out)
{
    for (int i = 0; i < 9; i++)
        out[i] = rot[i] * k;
}

// new_record for a sphere, box or capsule; null for the kinds those are not
// drawn as (only plain and textured are).
static DrawRecord *shape_record(unsigned shape, const float *pos, const float *v1, const float *v2,
                                unsigned kind, unsigned colour_tex, unsigned bump_tex)
{
    if (kind != QUEUE_PLAIN && kind != QUEUE_TEXTURED)
        return nullptr;
    return new_record(shape, pos, v1, v2, kind, colour_tex, bump_tex);
}

void queue_sphere(const float *rot, const float *pos, const float *v1, const float *v2, float radius,
                  unsigned kind, unsigned colour_tex, unsigned bump_tex)
{
    if (kind == QUEUE_OCCLUDER) {
        add_occluder(pos, radius);
        return;
    }
    DrawRecord *r = shape_record(QUEUED_SPHERE, pos, v1, v2, kind, colour_tex, bump_tex);
    if (!r)
        return;
    scale_into(rot, radius, r->scaled);
    r->bound_radius = radius;
    r->shadow_radius = radius;
    r->mesh[0] = SCENE_MESH_SPHERE_COARSE;
    r->mesh[1] = r->mesh[2] = SCENE_MESH_SPHERE;
    add_ray_object(QUEUED_SPHERE, pos, r->scaled, 0.0f, current_color());
}

void queue_box(const float *rot, const float *pos, const float *sides, const float *v1, const float *v2,
               unsigned kind, unsigned colour_tex, unsigned bump_tex)
{
    if (kind == QUEUE_OCCLUDER) {
        const float m = (std::sqrt(sides[0]) + std::sqrt(sides[1]) + std::sqrt(sides[2])) / 3;
        add_occluder(pos, m * m);
        return;
    }
    DrawRecord *r = shape_record(QUEUED_BOX, pos, v1, v2, kind, colour_tex, bump_tex);
    if (!r)
        return;
    for (int i = 0; i < 3; i++)
        for (int k = 0; k < 3; k++)
            r->scaled[3 * i + k] = rot[3 * i + k] * sides[k];
    const float len = length3(sides[0], sides[1], sides[2]);
    r->bound_radius = len;
    r->shadow_radius = 0.8f * len;
    r->mesh[0] = r->mesh[1] = r->mesh[2] = SCENE_MESH_BOX;
    add_ray_object(QUEUED_BOX, pos, r->scaled, 0.0f, current_color());
}

void queue_capsule(const float *rot, const float *pos, float length, float radius, const float *v1,
                   const float *v2, unsigned kind, unsigned colour_tex, unsigned bump_tex)
{
    if (kind == QUEUE_OCCLUDER) {
        // Two spheres along the axis, the upper one further out.
        for (float f : {0.4f, -0.2f}) {
            const float along[3] = {0, 0, f * length};
            float d[3], at[3];
            rotate(rot, along, d);
            for (int k = 0; k < 3; k++)
                at[k] = pos[k] + d[k];
            add_occluder(at, radius);
        }
        return;
    }
    DrawRecord *r = shape_record(QUEUED_CAPSULE, pos, v1, v2, kind, colour_tex, bump_tex);
    if (!r)
        return;
    scale_into(rot, radius, r->scaled);
    r->konstant = radius > 0 ? length / (2 * radius) - 1 : 0;
    r->bound_radius = length + radius;
    r->shadow_radius = radius;
    r->mesh[0] = SCENE_MESH_CAPSULE_COARSE;
    r->mesh[1] = r->mesh[2] = SCENE_MESH_CAPSULE;
    // The side and the two end caps, which sit at the ends of the cylinder
    // part (half the length out along the axis), where the mesh draws them.
    const float h = 0.5f * length;
    const float *c = current_color();
    add_ray_object(QUEUED_CAPSULE, pos, r->scaled, h, c);
    const float along[3] = {0, 0, h};
    float d[3];
    rotate(rot, along, d);
    for (float sign : {1.0f, -1.0f}) {
        const float at[3] = {pos[0] + sign * d[0], pos[1] + sign * d[1], pos[2] + sign * d[2]};
        add_ray_object(QUEUED_SPHERE, at, r->scaled, 0.0f, c);
    }
}

void queue_object(const float *rot, const float *object_rot, const float *pos, const float *v1,
                  const float *v2, float radius, unsigned kind, unsigned colour_tex, unsigned bump_tex)
{
    if (kind & QUEUE_OCCLUDER) {
        add_occluder(pos, 0.7f * radius);
        return;
    }
    if (!(kind & (QUEUE_PLAIN | QUEUE_TEXTURED | QUEUE_HALF_AXIS | QUEUE_HALF_OPPOSITE)))
        return;
    DrawRecord *r = new_record(QUEUED_SPHERE, pos, v1, v2, kind, colour_tex, bump_tex);
    if (!r)
        return;
    scale_into(rot, radius, r->scaled);
    for (int i = 0; i < 9; i++)
        r->object_rot[i] = object_rot[i];
    r->bound_radius = radius;
    r->shadow_radius = radius;
    r->mesh[1] = r->mesh[2] = SCENE_MESH_DOME;
}

void add_ray_object(unsigned shape, const float *centre, const float *scaled, float extent,
                    const float *colour)
{
    if (g_last_translucent || g_ray_count >= RAY_OBJECT_LIST_SIZE)
        return;
    RayObject *o = &g_rays[g_ray_count++];
    std::memset(o, 0, sizeof *o);
    o->shape = shape;
    for (int k = 0; k < 3; k++)
        o->centre[k] = o->centre_copy[k] = centre[k];
    for (int k = 0; k < 3; k++)
        o->colour[k] = colour[k];
    o->colour[3] = 1.0f;
    const float third = column_length(scaled, 2);
    switch (shape) {
    case QUEUED_CAPSULE: {
        o->data_size = 8;
        o->size = third;
        for (int k = 0; k < 3; k++)
            o->shape_data[k] = third > 0 ? scaled[3 * k + 2] / third : 0;
        o->shape_data[3] = extent;
        o->bound_radius = std::sqrt(extent * extent + third * third);
        break;
    }
    case QUEUED_BOX: {
        o->data_size = 28;
        float s[3];
        for (int k = 0; k < 3; k++)
            s[k] = column_length(scaled, k);
        o->size = o->bound_radius = length3(s[0], s[1], s[2]);
        for (int k = 0; k < 3; k++) {
            float n[3];
            for (int i = 0; i < 3; i++)
                n[i] = s[k] > 0 ? scaled[3 * i + k] / s[k] : 0;
            const float nc = n[0] * centre[0] + n[1] * centre[1] + n[2] * centre[2];
            float *p = o->shape_data + 8 * k;
            p[0] = n[0]; p[1] = n[1]; p[2] = n[2]; p[3] = nc + s[k];
            p[4] = -n[0]; p[5] = -n[1]; p[6] = -n[2]; p[7] = -nc + s[k];
        }
        break;
    }
    default:
        o->data_size = 4;
        o->size = 0.99f * third;
        o->bound_radius = third;
        break;
    }
    g_rays_queued = 1;
}

uint32_t pack_colour_word(const float *rgba)
{
    uint32_t word = 0;
    for (int k = 0; k < 4; k++) {
        float c = rgba[k];
        c = c > 0 ? (c < 1 ? c : 1) : 0;   // also turns a NaN into 0
        word |= (uint32_t)(c * 255) << (8 * k);
    }
    return word;
}

void add_blood_drop(const float *pos, const float *motion, float size)
{
    if (g_blood_count >= BLOOD_QUEUE_SIZE) {
        fprintf(stderr, "Blood buffer full\n");
        return;
    }
    // The nearest strand; empty strands count as nearest, so they fill
    // first and in order; a tie goes to the lower number.
    int best = 0;
    float best_d = 0;
    for (int k = 0; k < BLOOD_STRANDS; k++) {
        const BloodStrand &s = g_strands[k];
        float d = 0;
        if (s.last >= 0) {
            const float dx = s.pos[0] - pos[0], dy = s.pos[1] - pos[1], dz = s.pos[2] - pos[2];
            d = dx * dx + dy * dy + dz * dz;
        }
        if (k == 0) {
            best_d = d < 1e36f ? d : 1e36f;
            continue;
        }
        if (d < best_d) {
            best = k;
            best_d = d;
        }
    }
    BloodStrand &s = g_strands[best];
    const int index = g_blood_count++;
    const int old_last = s.last, old_before = s.before_last;
    s.before_last = old_last;
    s.last = index;
    for (int k = 0; k < 3; k++)
        s.pos[k] = pos[k];
    if (old_last >= 0)
        g_blood[old_last].next = index;
    if (old_before >= 0)
        g_blood[old_before].next2 = index;
    BloodRecord &b = g_blood[index];
    for (int k = 0; k < 3; k++) {
        b.pos[k] = pos[k];
        b.motion[k] = motion ? motion[k] : 0;
    }
    b.size = size;
    b.zero = 0;
    b.colour = pack_colour_word(current_color());
    b.prev = old_last;
    b.prev2 = old_before;
    b.next = b.next2 = -1;
}

void render_queues_reset(void)
{
    g_draw_count = 0;
    g_occluder_count = 0;
    g_blood_count = 0;
    g_ray_count = 0;
    g_rays_queued = 0;
    g_last_translucent = false;
    for (BloodStrand &s : g_strands)
        s = BloodStrand{};
}

int draw_queue_count(void) { return g_draw_count; }
const DrawRecord *draw_queue_record(int i) { return i >= 0 && i < g_draw_count ? &g_draw[i] : nullptr; }
int occluder_count(void) { return g_occluder_count; }
const float *occluder_at(int i) { return i >= 0 && i < g_occluder_count ? g_occluders[i] : nullptr; }
int blood_queue_count(void) { return g_blood_count; }
const BloodRecord *blood_record(int i) { return i >= 0 && i < g_blood_count ? &g_blood[i] : nullptr; }
const BloodStrand *blood_strand(int k) { return k >= 0 && k < BLOOD_STRANDS ? &g_strands[k] : nullptr; }
int ray_object_count(void) { return g_ray_count; }
const RayObject *ray_object_at(int i) { return i >= 0 && i < g_ray_count ? &g_rays[i] : nullptr; }
int ray_objects_queued(void) { return g_rays_queued; }

void set_frame_camera_position(const float *eye)
{
    for (int k = 0; k < 3; k++)
        g_camera[k] = eye[k];
}

const float *frame_camera_position(void) { return g_camera; }
