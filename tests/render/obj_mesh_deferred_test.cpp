#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "render/deferred_shapes.h"
#include "render/obj_mesh.h"
#include "support/test_support.h"

namespace {

TEST(ObjMesh, WriteThenReadGivesTheSameMesh)
{
    ObjMesh m;
    obj_mesh_init(&m);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-10, 10);
    for (int i = 0; i < 30; i++) {
        for (int k = 0; k < 3; k++) { m.v.push_back(u(rng)); m.n.push_back(u(rng)); }
        m.t.push_back(u(rng)); m.t.push_back(u(rng));
    }
    for (int i = 0; i < 40; i++) {
        ObjTriangle t;
        for (ObjCorner &c : t.c)
            c = {1 + (int)(rng() % 30), (int)(rng() % 31), (int)(rng() % 31)};  // 0: no t or n
        m.f.push_back(t);
    }
    kxtest::TempDir dir;
    ASSERT_TRUE(obj_mesh_write(&m, dir.file("m.obj").c_str()));
    ObjMesh back;
    obj_mesh_init(&back);
    EXPECT_EQ(obj_mesh_read_file(&back, dir.file("m.obj").c_str()), 0);
    EXPECT_EQ(back.v, m.v);
    EXPECT_EQ(back.n, m.n);
    EXPECT_EQ(back.t, m.t);
    ASSERT_EQ(back.f.size(), m.f.size());
    for (size_t i = 0; i < m.f.size(); i++)
        for (int k = 0; k < 3; k++)
            EXPECT_EQ(memcmp(&back.f[i].c[k], &m.f[i].c[k], sizeof(ObjCorner)), 0) << i;

    ObjMesh empty;
    obj_mesh_init(&empty);
    EXPECT_EQ(obj_mesh_read_string(&empty, ""), 0);
    ASSERT_TRUE(obj_mesh_write(&empty, dir.file("e.obj").c_str()));
    EXPECT_EQ(kxtest::read_file(dir.file("e.obj")), "");
    EXPECT_EQ(obj_mesh_read_file(&empty, dir.file("none.obj").c_str()), 1);
}

TEST(ObjMesh, FaceFormsAreReadOrRefusedCleanly)
{
    ObjMesh m;
    obj_mesh_init(&m);
    const char *text =
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvt 0.5 0.5\n"
        "f 1//1 2//1 3//1\n"     // vertex and normal
        "f 1 2 3 1\n"            // four corners: first three kept
        "f 1/1 2/1 3/1\n"        // vertex and texture
        "f 1 2\n"                // too short
        "f 1 2 9\n"              // no vertex 9
        "f 1/2/1 2 3\n"          // no texture 2
        "f -1 2 3\n"             // relative indices are not read
        "f 1/1/1/1 2 3\n"        // four fields
        "v 1 x 2\nvn 1 2\n"      // bad numbers
        "# comment\no thing\n";
    testing::internal::CaptureStderr();
    EXPECT_EQ(obj_mesh_read_string(&m, text), 7);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(m.f.size(), 4u);
    EXPECT_EQ(m.f[1].c[2].v, 3);
    EXPECT_EQ(m.f[1].c[2].t, 0);
    EXPECT_EQ(m.f[1].c[2].n, 1);
    EXPECT_EQ(m.f[3].c[0].t, 1);
    EXPECT_EQ(m.v.size(), 12u);
    EXPECT_EQ(m.n.size(), 6u);
}

TEST(DeferredShapes, SortIsAConsistentOrderWhateverTheInputOrder)
{
    std::mt19937 rng(5);
    std::vector<DeferredShape> in;
    for (int i = 0; i < 300; i++) {
        DeferredShape s = deferred_shape_make();
        s.group = (int)(rng() % 6);
        s.order_key = (int)(rng() % 5);
        s.depth_offset = i % 37 == 0 ? NAN : (float)(rng() % 50);
        s.kind = i;
        in.push_back(s);
    }
    std::vector<int> first;
    for (int round = 0; round < 3; round++) {
        std::shuffle(in.begin(), in.end(), rng);
        for (const DeferredShape &s : in)
            ASSERT_TRUE(deferred_shape_add(s));
        deferred_shape_sort();
        std::vector<int> order;  // each group together, by key within it
        for (int i = 0; i < deferred_shape_count(); i++) {
            const DeferredShape *s = deferred_shape_at(i);
            order.push_back(s->group * 1000 + s->order_key);
            if (i > 0 && deferred_shape_at(i - 1)->group == s->group) {
                EXPECT_GE(order[i], order[i - 1]);
            }
        }
        std::vector<int> groups;
        for (int o : order)
            if (groups.empty() || groups.back() != o / 1000)
                groups.push_back(o / 1000);
        EXPECT_EQ(groups.size(), 6u);
        if (round == 0) first = order; else EXPECT_EQ(order, first);
        static std::vector<int> drawn;
        drawn.clear();
        const int last = deferred_shape_at(deferred_shape_count() - 1)->kind;
        deferred_shape_draw_all([](const DeferredShape *s) { drawn.push_back(s->kind); });
        ASSERT_EQ(drawn.size(), in.size());
        EXPECT_EQ(drawn[0], last);  // last to first
        EXPECT_EQ(deferred_shape_count(), 0);
    }
    for (int i = 0; i < DEFERRED_SHAPE_MAX; i++)
        deferred_shape_add(deferred_shape_make());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(deferred_shape_add(deferred_shape_make()));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("full"), std::string::npos);
    deferred_shape_draw_all(nullptr);
}

} // namespace
