#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "render/sphere_tree.h"

namespace {

TEST(SphereTree, NearestQueriesAgreeWithBruteForceOverAThousandLeaves)
{
    SphereTree t;
    ASSERT_TRUE(sphere_tree_init(&t, 1000));
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> pos(-50, 50), rad(0.1f, 3.0f);
    std::vector<float> c(3000), r(1000);
    for (int i = 0; i < 1000; i++) {
        for (int k = 0; k < 3; k++)
            c[3 * i + k] = pos(rng);
        r[i] = rad(rng);
        ASSERT_EQ(sphere_tree_add(&t, &c[3 * i], r[i], 5000 + i), 0);
    }
    sphere_tree_build(&t);
    ASSERT_GE(t.root, 0);
    EXPECT_TRUE(sphere_tree_within_self(&t, t.root, t.node[t.root].r * 1.0001f));
    for (int q = 0; q < 300; q++) {
        const float p[3] = {pos(rng) * 1.2f, pos(rng) * 1.2f, pos(rng) * 1.2f};
        int want = -1;
        float best = INFINITY;
        for (int i = 0; i < 1000; i++) {
            const float d = std::sqrt((p[0] - c[3 * i]) * (p[0] - c[3 * i]) + (p[1] - c[3 * i + 1]) *
                            (p[1] - c[3 * i + 1]) + (p[2] - c[3 * i + 2]) * (p[2] - c[3 * i + 2])) - r[i];
            if (d < best) { best = d; want = 5000 + i; }
        }
        float got_d = 0;
        EXPECT_EQ(sphere_tree_nearest(&t, p, &got_d), want);
        EXPECT_NEAR(got_d, best, 1e-4f);
    }
}

TEST(SphereTree, SmallTreesMergeAsDescribed)
{
    SphereTree t;
    sphere_tree_init(&t);
    const float a[3] = {0, 0, 0}, b[3] = {4, 0, 0};
    sphere_tree_add(&t, a, 1, 1);
    sphere_tree_build(&t);
    EXPECT_EQ(t.root, -1);  // one leaf: no pair, no root
    // Coincident equal spheres merge without dividing by a zero distance.
    sphere_tree_init(&t);
    sphere_tree_add(&t, a, 1, 1);
    sphere_tree_add(&t, a, 1, 2);
    sphere_tree_build(&t);
    ASSERT_EQ(t.root, 2);
    EXPECT_FLOAT_EQ(t.node[2].r, 1.0f);
    EXPECT_TRUE(std::isfinite(t.node[2].c[0]));

    sphere_tree_init(&t);
    sphere_tree_add(&t, a, 2, 1);
    sphere_tree_add(&t, b, 2, 2);
    sphere_tree_build(&t);
    EXPECT_FLOAT_EQ(t.node[2].c[0], 2.0f);
    EXPECT_FLOAT_EQ(t.node[2].r, 4.0f);
    // Both children are more than a third of the parent: hoisted.
    EXPECT_EQ(t.node[2].leaf_count, 2);
    EXPECT_EQ(t.node[0].leaf_count, 0);
}

TEST(SphereTree, PoolAndLeafListsRefuseWhatTheyCannotHold)
{
    SphereTree t;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(sphere_tree_init(&t, SPHERE_TREE_MAX_LEAVES + 1));
    ASSERT_TRUE(sphere_tree_init(&t, 40));
    const float o[3] = {0, 0, 0};
    for (int i = 0; i < 40; i++)
        ASSERT_EQ(sphere_tree_add(&t, o, 1, i), 0);  // all equal: all hoist upward
    EXPECT_EQ(sphere_tree_add(&t, o, 1, 40), -1);
    EXPECT_EQ(sphere_tree_add(&t, o, NAN, 41), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no room"), std::string::npos);
    sphere_tree_build(&t);
    EXPECT_EQ(t.count, 79);
    int held = 0;
    for (const SphereNode &n : t.node) {
        EXPECT_LE(n.leaf_count, SPHERE_TREE_LEAF_SLOTS);
        held += n.leaf_count;
    }
    EXPECT_EQ(held, 40);  // no leaf index lost
}

// Hoisting moves a node's whole list, also the leaves hoisted into it.
TEST(SphereTree, NoLeafIndexLostWhenRandomLeavesAreHoisted)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> pos(-3, 3), rad(0.2f, 2.0f);
    for (int round = 0; round < 20; round++) {
        SphereTree t;
        ASSERT_TRUE(sphere_tree_init(&t, 64));
        for (int i = 0; i < 64; i++) {
            const float c[3] = {pos(rng), pos(rng), pos(rng)};
            ASSERT_EQ(sphere_tree_add(&t, c, rad(rng), i), 0);
        }
        sphere_tree_build(&t);
        std::vector<int> seen(64, 0);
        for (int n = 0; n < t.count; n++)
            for (int k = 0; k < t.node[n].leaf_count; k++)
                seen[t.node[n].leaf[k]]++;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 64) << "round " << round;
    }
}

} // namespace
