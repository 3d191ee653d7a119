#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/color_state.h"
#include "render/raytrace_plan.h"
#include "render/render_queues.h"
#include "render/shader_table.h"

namespace {

const float I3[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

void sphere(float x, float y, float z, float r, unsigned kind = QUEUE_PLAIN)
{
    const float p[3] = {x, y, z};
    queue_sphere(I3, p, nullptr, nullptr, r, kind, 0, 0);
}

std::string names(const RayBatch &b)
{
    std::string s;
    for (int i = 0; i < b.uniform_count; i++)
        s += std::string(b.uniforms[i].name) + " ";
    return s;
}

} // namespace

// Three occluders come out nearest first by their score, the rest of the
// twelve are zero; one the object sits deep inside is left out; of two at
// equal distance the one toward the light wins; a zero light gives no NaN.
TEST(RaytracePlan, OccludersChosenByScore)
{
    render_queues_reset();
    const float at[3] = {0, 0, 0};
    sphere(3, 0, 0, 1, QUEUE_OCCLUDER);
    sphere(0, 1, 0, 1, QUEUE_OCCLUDER);
    sphere(0, 0, 2, 1, QUEUE_OCCLUDER);
    sphere(0.1f, 0, 0, 1, QUEUE_OCCLUDER);   // 0.1 from the centre: inside 0.2 x radius
    const float up[3] = {0, 0, 5};
    float out[CHOSEN_OCCLUDERS][4];
    choose_occluder_set(at, up, out);
    EXPECT_EQ(out[0][1], 1.0f);
    EXPECT_EQ(out[1][2], 2.0f);
    EXPECT_EQ(out[2][0], 3.0f);
    for (int k = 3; k < CHOSEN_OCCLUDERS; k++)
        EXPECT_TRUE(out[k][0] == 0 && out[k][1] == 0 && out[k][2] == 0 && out[k][3] == 0) << k;

    render_queues_reset();
    sphere(0, 0, -2, 1, QUEUE_OCCLUDER);
    sphere(0, 0, 2, 1, QUEUE_OCCLUDER);
    choose_occluder_set(at, up, out);
    EXPECT_EQ(out[0][2], 2.0f);
    EXPECT_EQ(out[1][2], -2.0f);
    const float none[3] = {0, 0, 0};
    choose_occluder_set(at, none, out);
    EXPECT_FALSE(std::isnan(out[0][2]));
    EXPECT_EQ(std::fabs(out[0][2]), 2.0f);
}

// Seven spheres around an object: a batch of 6 for the 6-sphere program and
// a batch of 1; the object's own entry (closer than 0.001) and a sphere out
// of reach are not among them.
TEST(RaytracePlan, NeighboursBatchedByProgramSize)
{
    render_queues_reset();
    const float colour[4] = {0.5f, 0.25f, 1, 1};
    set_color4fv(colour);
    sphere(0, 0, 0, 0.5f);                     // the object itself
    for (int i = 0; i < 7; i++)
        sphere(std::cos(i * 0.9f) * 1.2f, std::sin(i * 0.9f) * 1.2f, 0.0005f * (i == 0), 0.3f);
    sphere(0, 0, 0.0005f, 0.2f);               // 0.0005 away: its own place
    sphere(10, 0, 0, 0.3f);                    // beyond 2 x 0.5 + 0.3
    const DrawRecord *r = draw_queue_record(0);
    EXPECT_TRUE(raytrace_numbered_record(r));
    int nb[RAY_OBJECT_LIST_SIZE];
    const int n = gather_ray_neighbours(r, QUEUED_SPHERE, nb, RAY_OBJECT_LIST_SIZE);
    ASSERT_EQ(n, 7);
    EXPECT_EQ(nb[0], 1);
    EXPECT_EQ(gather_ray_neighbours(r, QUEUED_BOX, nb + 7, 8), 0);
    RayBatch b[4];
    ASSERT_EQ(plan_ray_batches(QUEUED_SPHERE, nb, n, b, 4), 2);
    EXPECT_EQ(b[0].count, 6);
    EXPECT_EQ(b[0].row, SH_RAYTRACESPHERES_1 + 5);
    EXPECT_EQ(b[1].count, 1);
    EXPECT_EQ(b[1].row, SH_RAYTRACESPHERES_1);
    EXPECT_EQ(names(b[0]), "s0 c0 s1 c1 s2 c2 s3 c3 s4 c4 s5 c5 ");
    EXPECT_EQ(b[0].uniforms[0].v[3], ray_object_at(nb[0])->size);
    EXPECT_EQ(b[0].uniforms[1].v[1], 0.25f);
}

// Capsules carry their axis in "a" + digit; boxes their colour, centre and
// six planes in "sa" .. "sp", two to a batch.
TEST(RaytracePlan, CapsuleAndBoxUniforms)
{
    render_queues_reset();
    const float red[4] = {1, 0, 0, 1};
    set_color4fv(red);
    const float p[3] = {0, 0, 0}, q[3] = {0.8f, 0, 0}, half[3] = {0.1f, 0.2f, 0.3f};
    queue_box(I3, p, half, nullptr, nullptr, QUEUE_PLAIN, 0, 0);
    for (int i = 0; i < 3; i++)
        queue_box(I3, q, half, nullptr, nullptr, QUEUE_PLAIN, 0, 0);
    queue_capsule(I3, q, 0.6f, 0.1f, nullptr, nullptr, QUEUE_PLAIN, 0, 0);
    const DrawRecord *r = draw_queue_record(0);
    int nb[16];
    const int boxes = gather_ray_neighbours(r, QUEUED_BOX, nb, 16);
    ASSERT_EQ(boxes, 3);
    RayBatch b[2];
    ASSERT_EQ(plan_ray_batches(QUEUED_BOX, nb, boxes, b, 2), 2);
    EXPECT_EQ(b[0].row, SH_RAYTRACEBOXES_1 + 1);
    EXPECT_EQ(names(b[0]), "sa sb sc sd se sf sg sh si sj sk sl sm sn so sp ");
    EXPECT_EQ(b[0].uniforms[1].v[0], 0.8f);           // centre after the colour
    const RayObject *box = ray_object_at(nb[0]);
    for (int m = 0; m < 6; m++)
        for (int k = 0; k < 4; k++)
            EXPECT_EQ(b[0].uniforms[2 + m].v[k], box->shape_data[4 * m + k]);
    EXPECT_EQ(b[1].count, 1);
    const int caps = gather_ray_neighbours(r, QUEUED_CAPSULE, nb, 16);
    ASSERT_EQ(caps, 1);
    ASSERT_EQ(plan_ray_batches(QUEUED_CAPSULE, nb, caps, b, 2), 1);
    EXPECT_EQ(b[0].row, SH_RAYTRACECYLINDERS_1);
    EXPECT_EQ(names(b[0]), "s0 c0 a0 ");
    EXPECT_EQ(b[0].uniforms[2].v[2], 1.0f);           // the capsule's axis is +z
}
