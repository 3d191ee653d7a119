#include "render/blood_vertices.h"

#include <cmath>

#include "render/render_queues.h"

// A linked drop's position and size; a missing one sits at the origin with
// a tiny size.
static void linked(int index, float *out)
{
    const BloodRecord *b = blood_record(index);
    for (int k = 0; k < 3; k++)
        out[k] = b ? b->pos[k] : 0;
    out[3] = b ? b->size : 0.01f;
}

void build_blood_vertex_data(std::vector<BloodVertex> &out)
{
    static const float corners[BLOOD_VERTICES_PER_DROP][2] = {{-1, -1}, {1, -1}, {1, 1},
                                                              {1, 1},   {-1, 1}, {-1, -1}};
    const int n = blood_queue_count();
    out.resize((size_t)n * BLOOD_VERTICES_PER_DROP);
    for (int i = 0; i < n; i++) {
        const BloodRecord *b = blood_record(i);
        float m[3] = {b->motion[0], b->motion[1], b->motion[2]};
        const float m2 = m[0] * m[0] + m[1] * m[1] + m[2] * m[2];
        if (m2 > 225) {
            const float k = 15 / std::sqrt(m2);
            for (float &c : m)
                c *= k;
        } else if (!(m2 >= 0.0001f)) {   // also a motion that is not a number
            m[0] = 0.01f;
            m[1] = m[2] = 0;
        }
        BloodVertex v;
        for (int k = 0; k < 3; k++) {
            v.pos[k] = b->pos[k];
            v.motion[k] = m[k];
        }
        v.motion[3] = b->size;
        linked(b->prev, v.prev);
        linked(b->next, v.next);
        linked(b->prev2, v.prev2);
        v.colour = b->colour;
        const float reach = BLOOD_QUAD_REACH * b->size;
        for (int c = 0; c < BLOOD_VERTICES_PER_DROP; c++) {
            v.corner[0] = corners[c][0] * reach;
            v.corner[1] = corners[c][1] * reach;
            v.corner[2] = 0;
            out[(size_t)i * BLOOD_VERTICES_PER_DROP + c] = v;
        }
    }
}
