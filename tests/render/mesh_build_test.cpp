#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/mesh_build.h"
#include "support/test_support.h"

// The meshes built on the CPU: subdivision counts, texture-coordinate
// passes, welding with tangents, and closed shadow-volume twins.

namespace {

int twin_of(const std::vector<BuildVertex> &v, MeshData *d)
{
    build_mesh_data(v.data(), (int)v.size() / 3, MESH_TWIN, d);
    return d->twin_faults;
}

bool finite(const TexturedVertex &t)
{
    for (float f : {t.pos[0], t.pos[1], t.pos[2], t.normal[0], t.uv[0], t.uv[1], t.tangent[0], t.tangent[1], t.tangent[2]})
        if (!std::isfinite(f))
            return false;
    return true;
}

} // namespace

TEST(MeshBuild, SphereLevelsAndTheirTwins)
{
    std::vector<BuildVertex> v;
    for (int level = 1; level <= 4; level++) {
        sphere_geometry(level, v);
        const int tris = 8 << (2 * (level - 1));
        ASSERT_EQ((int)v.size(), tris * 3);
        for (const BuildVertex &b : v)
            EXPECT_NEAR(b.x * b.x + b.y * b.y + b.z * b.z, 1.0f, 1e-5f);
        MeshData d;
        EXPECT_EQ(twin_of(v, &d), 0) << level;
        EXPECT_EQ(d.indices.size(), (size_t)tris * 12);
        EXPECT_EQ(d.plain.size(), (size_t)tris * 3);
        // Every face winds outward: its flat normal points away from the centre.
        for (size_t t = 0; t < d.plain.size(); t += 3) {
            const PlainVertex &p = d.plain[t];
            EXPECT_GT(p.normal[0] * p.pos[0] + p.normal[1] * p.pos[1] + p.normal[2] * p.pos[2], 0.0f);
        }
    }
}

TEST(MeshBuild, EveryBuiltInShapeIsClosed)
{
    std::vector<BuildVertex> v;
    MeshData d;
    for (int level = 1; level <= 4; level++) {
        dome_geometry(level, v);
        EXPECT_EQ(twin_of(v, &d), 0) << "dome " << level;
        capsule_geometry(level, v);
        EXPECT_EQ(twin_of(v, &d), 0) << "capsule " << level;
    }
    box_geometry(v);
    EXPECT_EQ(v.size(), 36u);
    EXPECT_EQ(twin_of(v, &d), 0);
    fine_box_geometry(v);
    EXPECT_EQ(v.size(), 324u);
    EXPECT_EQ(twin_of(v, &d), 0);
    shell_geometry(v);
    EXPECT_EQ(v.size(), 3744u);
}

TEST(MeshBuild, AnOpenEdgeIsReportedNotJoined)
{
    std::vector<BuildVertex> v(3);
    v[1].x = 1;
    v[2].y = 1;
    MeshData d;
    const std::string err = kxtest::stderr_of([&] { twin_of(v, &d); });
    EXPECT_EQ(d.twin_faults, 2);   // the edges taken from their lower corner
    EXPECT_NE(err.find("Bug: create elementbuffer\n"), std::string::npos);
    EXPECT_NE(err.find("Bug: 2 create elementbuffer\n"), std::string::npos);
    EXPECT_EQ(d.indices.size(), 3u);
}

TEST(MeshBuild, SeamsAndMappingsAreFiniteEverywhere)
{
    std::vector<BuildVertex> t(3);
    t[0].u = 0.95f;
    t[1].u = 0.05f;
    t[2].u = 0.9f;
    fix_uv_seams(t.data(), t.data() + 3);
    EXPECT_FLOAT_EQ(t[1].u, 1.05f);
    EXPECT_FLOAT_EQ(t[0].u, 0.95f);
    // The origin and the poles: every pass stays finite.
    std::vector<BuildVertex> p(3);
    p[1].z = 1;
    p[2].z = -1;
    for (auto pass : {spherical_uv, planar_uv, polar_uv}) {
        pass(p.data(), p.data() + 3);
        for (const BuildVertex &b : p)
            EXPECT_TRUE(std::isfinite(b.u) && std::isfinite(b.v));
    }
    planar_uv(p.data(), p.data() + 1);
    EXPECT_FLOAT_EQ(p[0].u, 0.5f);
}

TEST(MeshBuild, WeldingKeepsSeamsAndGivesPerpendicularTangents)
{
    std::vector<BuildVertex> v;
    sphere_geometry(3, v);
    spherical_uv(v.data(), v.data() + v.size());
    fix_uv_seams(v.data(), v.data() + v.size());
    MeshData by_uv, by_pos;
    build_mesh_data(v.data(), (int)v.size() / 3, MESH_WELD_UV, &by_uv);
    build_mesh_data(v.data(), (int)v.size() / 3, 160, &by_pos);
    EXPECT_EQ(by_pos.textured.size(), 66u);   // 4^2 x 4 + 2 points of a level-3 sphere
    EXPECT_GT(by_uv.textured.size(), by_pos.textured.size());   // the seam keeps its copies
    EXPECT_EQ(by_uv.indices.size(), v.size());
    for (const TexturedVertex &t : by_uv.textured) {
        ASSERT_TRUE(finite(t));
        const float nt = t.normal[0] * t.tangent[0] + t.normal[1] * t.tangent[1] + t.normal[2] * t.tangent[2];
        EXPECT_NEAR(nt, 0.0f, 1e-4f);
    }
    // Texture coordinates spanning no area: no tangent, and no NaN.
    std::vector<BuildVertex> flat(3);
    flat[1].x = 1;
    flat[2].y = 1;
    MeshData d;
    build_mesh_data(flat.data(), 1, 0, &d);
    for (const TexturedVertex &t : d.textured) {
        EXPECT_TRUE(finite(t));
        EXPECT_EQ(t.tangent[0], 0.0f);
    }
}
