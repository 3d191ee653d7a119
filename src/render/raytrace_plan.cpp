#include "render/raytrace_plan.h"

#include <cmath>
#include <cstring>

#include "render/render_math.h"
#include "render/shader_table.h"

void choose_occluder_set(const float *pos, const float *light_dir, float out[CHOSEN_OCCLUDERS][4])
{
    float light[3];
    normalise(light_dir, light);
    DepthHeap heap;
    for (int i = 0; i < occluder_count(); i++) {
        const float *o = occluder_at(i);
        const float d[3] = {o[0] - pos[0], o[1] - pos[1], o[2] - pos[2]};
        const float dist2 = vec3_dot(d, d);
        // An object whose centre lies deep inside the occluder is not
        // darkened by it (it is usually the object's own occluder).
        const float inner = 0.2f * o[3];
        if (inner * inner > dist2)
            continue;
        float u[3];
        normalise(d, u);
        const float w = vec3_dot(u, light) * 0.1f + 0.6f;
        heap.push(dist2 * o[3] * o[3] / (w * w), i);
    }
    for (int k = 0; k < CHOSEN_OCCLUDERS; k++) {
        if (heap.count > 0)
            memcpy(out[k], occluder_at(heap.pop()), 4 * sizeof(float));
        else
            out[k][0] = out[k][1] = out[k][2] = out[k][3] = 0.0f;
    }
}

bool raytrace_numbered_record(const DrawRecord *r)
{
    return r && !r->translucent && r->mode != 2;
}

int gather_ray_neighbours(const DrawRecord *r, int kind, int *out, int cap)
{
    int n = 0;
    for (int i = 0; i < ray_object_count() && n < cap; i++) {
        const RayObject *o = ray_object_at(i);
        if ((int)o->shape != kind)
            continue;
        const float d[3] = {o->centre[0] - r->pos[0], o->centre[1] - r->pos[1], o->centre[2] - r->pos[2]};
        const float dist = vec3_length(d);
        if (dist < 2.0f * r->shadow_radius + o->bound_radius && dist > 0.001f)
            out[n++] = i;
    }
    return n;
}

int ray_batch_limit(int kind)
{
    switch (kind) {
    case QUEUED_SPHERE: return RAYTRACE_MAX_SPHERES;
    case QUEUED_CAPSULE: return RAYTRACE_MAX_CYLINDERS;
    case QUEUED_BOX: return RAYTRACE_MAX_BOXES;
    default: return 0;
    }
}

static void add_uniform(RayBatch *b, char letter, char which, const float *v)
{
    RayUniform &u = b->uniforms[b->uniform_count++];
    u.name[0] = letter;
    u.name[1] = which;
    u.name[2] = '\0';
    memcpy(u.v, v, sizeof u.v);
}

int plan_ray_batches(int kind, const int *neighbours, int count, RayBatch *out, int cap)
{
    const int limit = ray_batch_limit(kind);
    int batches = 0;
    for (int first = 0; limit > 0 && first < count && batches < cap; first += limit) {
        RayBatch *b = &out[batches++];
        b->kind = kind;
        b->count = count - first < limit ? count - first : limit;
        b->row = raytrace_row(kind, b->count);
        b->uniform_count = 0;
        for (int i = 0; i < b->count; i++) {
            const RayObject *o = ray_object_at(neighbours[first + i]);
            const float colour[4] = {o->colour[0], o->colour[1], o->colour[2], 1.0f};
            const float centre[4] = {o->centre[0], o->centre[1], o->centre[2], o->size};
            if (kind == QUEUED_BOX) {
                // Box j: its colour in "s" + ('a' + 8j), then the centre with
                // the size and the six planes in the seven names after it.
                const char base = (char)('a' + 8 * i);
                add_uniform(b, 's', base, colour);
                add_uniform(b, 's', (char)(base + 1), centre);
                for (int m = 0; m < 6; m++)
                    add_uniform(b, 's', (char)(base + 2 + m), o->shape_data + 4 * m);
                continue;
            }
            const char digit = (char)('0' + i);
            add_uniform(b, 's', digit, centre);
            add_uniform(b, 'c', digit, colour);
            if (kind == QUEUED_CAPSULE)
                add_uniform(b, 'a', digit, o->shape_data);   // unit axis and extent
        }
    }
    return batches;
}
