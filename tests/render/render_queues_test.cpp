#include <gtest/gtest.h>

#include <cmath>

#include "render/color_state.h"
#include "render/render_queues.h"
#include "render/shape_queue.h"
#include "render/texture.h"
#include "support/test_support.h"

namespace {

const float k_id9[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const float k_id12[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

void colour(float r, float g, float b, float a)
{
    const float c[4] = {r, g, b, a};
    set_color4fv(c);
}

class RenderQueues : public ::testing::Test {
protected:
    void SetUp() override
    {
        render_queues_reset();
        colour(1, 1, 1, 1);
    }
};

TEST_F(RenderQueues, FullDrawQueueDropsDrawablesButKeepsOccluders)
{
    const float at[3] = {0, 0, 1};
    for (int i = 0; i < DRAW_QUEUE_SIZE; i++)
        queue_sphere(k_id9, at, nullptr, nullptr, 0.5f, QUEUE_PLAIN, 0, 0);
    const std::string err = kxtest::stderr_of([&] {
        queue_box(k_id9, at, at, nullptr, nullptr, QUEUE_PLAIN, 0, 0);
        queue_sphere(k_id9, at, nullptr, nullptr, 0.5f, QUEUE_OCCLUDER, 0, 0);
    });
    EXPECT_EQ(err, "Error: Maximum number of objects drawn already\n");
    EXPECT_EQ(draw_queue_count(), DRAW_QUEUE_SIZE);
    EXPECT_EQ(occluder_count(), 1);
    EXPECT_EQ(ray_object_count(), DRAW_QUEUE_SIZE);
    // Kinds a sphere does not take are ignored.
    render_queues_reset();
    queue_sphere(k_id9, at, nullptr, nullptr, 0.5f, 32, 0, 0);
    EXPECT_EQ(draw_queue_count() + occluder_count(), 0);
    EXPECT_FALSE(ray_objects_queued());
}

TEST_F(RenderQueues, SeeThroughShapesStayOutOfTheRayList)
{
    const float at[3] = {1, 2, 3};
    colour(0.2f, 0.4f, 0.6f, 0.5f);
    queue_sphere(k_id9, at, nullptr, nullptr, 2, QUEUE_PLAIN, 0, 0);
    const DrawRecord *r = draw_queue_record(0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->translucent, 1u);
    EXPECT_EQ(r->mode, 0u);
    EXPECT_FLOAT_EQ(r->colour[1], 0.4f);
    EXPECT_EQ(ray_object_count(), 0);
    colour(0.2f, 0.4f, 0.6f, 1);
    queue_sphere(k_id9, at, nullptr, nullptr, 2, QUEUE_PLAIN, 0, 0);
    ASSERT_EQ(ray_object_count(), 1);
    const RayObject *o = ray_object_at(0);
    EXPECT_EQ(o->data_size, 4u);
    EXPECT_FLOAT_EQ(o->size, 0.99f * 2);
    EXPECT_FLOAT_EQ(o->bound_radius, 2);
    EXPECT_FLOAT_EQ(o->colour[3], 1);
    EXPECT_TRUE(ray_objects_queued());
}

TEST_F(RenderQueues, BoxesAndCapsulesCarryTheirSizesAndRayShapes)
{
    const float at[3] = {1, 0, 0};
    const float sides[3] = {1, 4, 9};
    queue_box(k_id9, at, sides, nullptr, nullptr, QUEUE_OCCLUDER, 0, 0);
    ASSERT_EQ(occluder_count(), 1);
    EXPECT_FLOAT_EQ(occluder_at(0)[3], 4);   // ((1 + 2 + 3) / 3) squared

    queue_box(k_id9, at, sides, nullptr, nullptr, QUEUE_PLAIN, 0, 0);
    const DrawRecord *b = draw_queue_record(0);
    EXPECT_FLOAT_EQ(b->scaled[4], 4);   // column k times side k
    EXPECT_FLOAT_EQ(b->bound_radius, std::sqrt(98.0f));
    EXPECT_EQ(b->shape, (unsigned)QUEUED_BOX);
    // The six planes hold a point inside the box and refuse one outside.
    const RayObject *o = ray_object_at(0);
    auto inside = [&](float x, float y, float z) {
        for (int p = 0; p < 6; p++) {
            const float *pl = o->shape_data + 4 * p;
            if (pl[0] * x + pl[1] * y + pl[2] * z > pl[3])
                return false;
        }
        return true;
    };
    EXPECT_TRUE(inside(1.9f, -3.9f, 8.9f));
    EXPECT_FALSE(inside(2.1f, 0, 0));
    EXPECT_FALSE(inside(1, 0, -9.1f));

    // A capsule along x (its local z turned onto x): occluders 0.4 of the
    // length ahead and 0.2 behind; the ray caps where the mesh draws them.
    render_queues_reset();
    const float turn[9] = {0, 0, 1, 0, 1, 0, -1, 0, 0};
    queue_capsule(turn, at, 1, 0.25f, nullptr, nullptr, QUEUE_OCCLUDER, 0, 0);
    ASSERT_EQ(occluder_count(), 2);
    EXPECT_FLOAT_EQ(occluder_at(0)[0], 1.4f);
    EXPECT_FLOAT_EQ(occluder_at(1)[0], 0.8f);
    EXPECT_FLOAT_EQ(occluder_at(1)[3], 0.25f);
    queue_capsule(turn, at, 1, 0.25f, nullptr, nullptr, QUEUE_PLAIN, 0, 0);
    const DrawRecord *c = draw_queue_record(0);
    EXPECT_FLOAT_EQ(c->konstant, 1);
    EXPECT_FLOAT_EQ(c->bound_radius, 1.25f);
    ASSERT_EQ(ray_object_count(), 3);
    EXPECT_FLOAT_EQ(ray_object_at(0)->shape_data[0], 1);   // the unit axis
    EXPECT_FLOAT_EQ(ray_object_at(0)->shape_data[3], 0.5f);
    EXPECT_FLOAT_EQ(ray_object_at(1)->centre[0], 1.5f);
    EXPECT_FLOAT_EQ(ray_object_at(2)->centre[0], 0.5f);
}

TEST_F(RenderQueues, BloodDropsFillStrandsInOrderThenJoinTheNearest)
{
    colour(1, 0.5f, 0, 1);
    const float far[5][3] = {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {0, 0, 100}, {-100, 0, 0}};
    for (const auto &p : far)
        add_blood_drop(p, nullptr, 0.1f);
    for (int k = 0; k < BLOOD_STRANDS; k++) {
        EXPECT_EQ(blood_strand(k)->last, k);
        EXPECT_EQ(blood_record(k)->prev, -1);
    }
    EXPECT_EQ(blood_record(0)->colour, 0xFF007FFFu);
    const float near1[3] = {99, 0, 0}, mid[3] = {49.5f, 0, 0};
    add_blood_drop(near1, nullptr, 0.1f);     // joins strand 1
    EXPECT_EQ(blood_strand(1)->last, 5);
    EXPECT_EQ(blood_record(5)->prev, 1);
    EXPECT_EQ(blood_record(1)->next, 5);
    add_blood_drop(mid, nullptr, 0.1f);       // as near to strand 0 as to strand 1: strand 0 wins
    EXPECT_EQ(blood_strand(0)->last, 6);
    add_blood_drop(near1, nullptr, 0.1f);
    EXPECT_EQ(blood_record(7)->prev, 5);
    EXPECT_EQ(blood_record(7)->prev2, 1);
    EXPECT_EQ(blood_record(1)->next2, 7);
    EXPECT_EQ(blood_record(7)->next, -1);
}

TEST_F(RenderQueues, ColourPackingClampsEveryChannel)
{
    const float over[4] = {2, -1, NAN, 1.5f};
    EXPECT_EQ(pack_colour_word(over), 0xFF0000FFu);
    colour(1.7f, 0.5f, 0, 1);
    const float p[3] = {0, 0, 0};
    add_blood_drop(p, nullptr, 0.1f);
    EXPECT_EQ(blood_record(0)->colour, 0xFF007FFFu);
}

TEST_F(RenderQueues, FullBloodQueueRefusesFurtherDrops)
{
    const float p[3] = {0, 0, 0};
    for (int i = 0; i < BLOOD_QUEUE_SIZE; i++)
        add_blood_drop(p, nullptr, 0.1f);
    EXPECT_EQ(kxtest::stderr_of([&] { add_blood_drop(p, nullptr, 0.1f); }), "Blood buffer full\n");
    EXPECT_EQ(blood_queue_count(), BLOOD_QUEUE_SIZE);
}

TEST_F(RenderQueues, DrawersQueueTheirPosesTexturesAndJointHalves)
{
    Texture tex = {};
    tex.gl_id = 77;
    tex.loaded = true;
    const float at[3] = {0, 0, 1};
    const float sides[3] = {2, 4, 6};
    queue_box_pose(at, k_id12, sides, 8, &tex, nullptr);
    const DrawRecord *b = draw_queue_record(0);
    EXPECT_FLOAT_EQ(b->scaled[8], 3);   // half of the side
    EXPECT_EQ(b->colour_tex, 77u);
    EXPECT_EQ(b->bump_tex, 0u);

    // A half sphere about +x: +z of its frame turned onto +x, texture
    // coordinates following the body, kinds by the loaded textures.
    const float axis[3] = {1, 0, 0};
    queue_hemisphere_pose(at, k_id12, 0.5f, axis, 64, nullptr, nullptr);
    const DrawRecord *h = draw_queue_record(1);
    EXPECT_EQ(h->kind, 0x101u);
    EXPECT_FLOAT_EQ(h->scaled[2], 0.5f);   // row x, column z
    EXPECT_FLOAT_EQ(h->object_rot[0], 1);
    EXPECT_EQ(h->mesh[1], SCENE_MESH_DOME);
    EXPECT_EQ(h->mesh[0], SCENE_MESH_NONE);
    queue_hemisphere_pose(at, k_id12, 0.5f, axis, 64, &tex, nullptr);
    EXPECT_EQ(draw_queue_record(2)->kind, 0x109u);
    queue_hemisphere_pose(at, k_id12, 0.5f, axis, 64, &tex, &tex);
    EXPECT_EQ(draw_queue_record(3)->kind, 0x108u);
    // The shadow kind makes an occluder of 0.7 of the radius.
    queue_hemisphere_pose(at, k_id12, 0.5f, axis, 4, nullptr, nullptr);
    EXPECT_EQ(draw_queue_count(), 4);
    ASSERT_EQ(occluder_count(), 1);
    EXPECT_FLOAT_EQ(occluder_at(0)[3], 0.35f);
    // Generic objects never enter the ray list.
    EXPECT_EQ(ray_object_count(), 1);
}

} // namespace
