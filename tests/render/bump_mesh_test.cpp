#include <gtest/gtest.h>

#include <cmath>

#include "render/bump_mesh.h"

namespace {

float len(const float *v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }
float dot(const float *a, const float *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

TEST(BumpMesh, MeshesCarryOrthonormalFramesAndTheirSizes)
{
    BumpMesh sphere, box, capsule;
    ASSERT_TRUE(bump_mesh_make_sphere(&sphere));
    ASSERT_TRUE(bump_mesh_make_box(&box));
    ASSERT_TRUE(bump_mesh_make_capsule(&capsule));
    EXPECT_EQ(sphere.count, 840);
    EXPECT_EQ(box.count, 24);
    EXPECT_EQ(capsule.count, 182);
    for (BumpMesh *m : {&sphere, &box, &capsule}) {
        for (int i = 0; i < m->count; i++) {
            const BumpVertex &v = m->v[i];
            if (len(v.normal) < 0.5f)
                continue;  // the sphere's poles have no tangent direction
            EXPECT_NEAR(len(v.tangent), 1.0f, 1e-5f) << i;
            EXPECT_NEAR(dot(v.tangent, v.normal), 0.0f, 1e-5f) << i;
            EXPECT_NEAR(dot(v.binormal, v.normal), 0.0f, 1e-5f) << i;
            EXPECT_GE(v.st[1], 0.0f);
            EXPECT_LE(v.st[1], 1.0f);
        }
    }
    const float sizes[3] = {2, 4, 6};
    bump_mesh_set_box_size(&box, sizes);
    bump_mesh_set_capsule_size(&capsule, 0.5f, 2.0f);
    float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0}, side_z = 0, cap_z = 0;
    for (int i = 0; i < box.count; i++)
        for (int k = 0; k < 3; k++) {
            lo[k] = std::fmin(lo[k], box.v[i].pos[k]);
            hi[k] = std::fmax(hi[k], box.v[i].pos[k]);
        }
    for (int k = 0; k < 3; k++) {
        EXPECT_FLOAT_EQ(lo[k], -sizes[k] / 2);
        EXPECT_FLOAT_EQ(hi[k], sizes[k] / 2);
    }
    for (int i = 0; i < capsule.count; i++) {
        float &z = i < BUMP_CAPSULE_STRIP ? side_z : cap_z;
        z = std::fmax(z, std::fabs(capsule.v[i].pos[2]));
    }
    EXPECT_FLOAT_EQ(side_z, 1.0f);
    EXPECT_FLOAT_EQ(cap_z, 1.5f);
    primitives_free(&sphere);
    EXPECT_EQ(sphere.v, nullptr);
    primitives_free(&box);
    primitives_free(&capsule);
}

TEST(BumpMesh, LightVectorsFollowTheEyeInTheBodysOwnSpace)
{
    // A body at (10, 0, 0) turned a quarter about z (object x points along
    // world y), camera at (10, 5, 0): the eye is at object (5, 0, 0).
    const float pos[3] = {10, 0, 0}, rot[12] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
    const float sizes[3] = {1, 1, 1}, cam[3] = {10, 5, 0};
    float eye[3];
    bump_eye_point(pos, rot, sizes, cam, eye);
    EXPECT_NEAR(eye[0], 5.0f, 1e-5f);
    EXPECT_NEAR(eye[1], 0.0f, 1e-5f);
    const float zero[3] = {0, 0, 0};
    bump_eye_point(pos, rot, zero, cam, eye);  // zero sizes do not divide
    EXPECT_TRUE(std::isfinite(eye[0]));
}

TEST(BumpMesh, CubeMapTexelsAreUnitDirections)
{
    uint8_t texels[CUBE_MAP_FACE_BYTES];
    for (int face = 0; face < 6; face++) {
        normalisation_cube_face(face, texels);
        for (int i = 0; i < CUBE_MAP_SIDE * CUBE_MAP_SIDE; i++) {
            float d[3];
            for (int k = 0; k < 3; k++)
                d[k] = texels[3 * i + k] / 255.0f * 2 - 1;
            EXPECT_NEAR(len(d), 1.0f, 0.02f);
        }
    }
    normalisation_cube_face(0, texels);
    const uint8_t *centre = texels + 3 * (16 * CUBE_MAP_SIDE + 16);
    EXPECT_GE(centre[0], 254);
    EXPECT_NEAR(centre[1], 128, 4);
    EXPECT_NEAR(centre[2], 128, 4);
}

} // namespace
