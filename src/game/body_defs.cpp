// The built-in fighter and the collision category scheme.
#include "game/body_defs.h"

#define W 1, 1, 1
#define SKIN 0.95f, 0.8f, 0.8f
#define NOSIZE 0, 0, 0
#define ZERO3 0, 0, 0

static const BodyDef k_builtin_bodies[BODY_DEF_ROWS] = {
    {0, "head", SHAPE_SPHERE, 0, {1, 0.85f, 2.65f}, {ZERO3}, {0.2f, 0, 0}, {NOSIZE}, 0, 1, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {1, "breast", SHAPE_BOX, 0, {1, 0.9f, 2.2f}, {ZERO3}, {0.2f, 0.1f, 0.3f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {2, "chest", SHAPE_BOX, 0, {1, 0.9f, 1.95f}, {ZERO3}, {0.5f, 0.15f, 0.2f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {3, "stomach", SHAPE_BOX, 0, {1, 0.95f, 1.75f}, {ZERO3}, {0.35f, 0.15f, 0.2f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {4, "groin", SHAPE_BOX, 0, {1, 1, 1.55f}, {ZERO3}, {0.2f, 0.15f, 0.2f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {5, "r_pecs", SHAPE_BOX, 0, {0.75f, 0.9f, 2.15f}, {ZERO3}, {0.2f, 0.15f, 0.2f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {6, "r_biceps", SHAPE_BOX, 0, {0.45f, 0.9f, 2.3f}, {ZERO3}, {0.4f, 0.2f, 0.2f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {7, "r_triceps", SHAPE_BOX, 0, {0.05f, 0.9f, 2.3f}, {ZERO3}, {0.4f, 0.1f, 0.1f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {8, "l_pecs", SHAPE_BOX, 0, {1.25f, 0.9f, 2.15f}, {ZERO3}, {0.2f, 0.15f, 0.2f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {9, "l_biceps", SHAPE_BOX, 0, {1.55f, 0.9f, 2.3f}, {ZERO3}, {0.4f, 0.2f, 0.2f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {10, "l_triceps", SHAPE_BOX, 0, {1.95f, 0.9f, 2.3f}, {ZERO3}, {0.4f, 0.1f, 0.1f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {11, "r_hand", SHAPE_BOX, 0, {-0.35f, 0.85f, 2.3f}, {ZERO3}, {0.22f, 0.22f, 0.22f}, {0.3f, 0.1f, 0.15f}, 1, 1, {SKIN}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {12, "l_hand", SHAPE_BOX, 0, {2.35f, 0.85f, 2.3f}, {ZERO3}, {0.22f, 0.22f, 0.22f}, {0.3f, 0.1f, 0.15f}, 1, 1, {SKIN}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {13, "r_butt", SHAPE_BOX, 0, {0.8f, 1, 1.45f}, {ZERO3}, {0.1f, 0.1f, 0.1f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {14, "l_butt", SHAPE_BOX, 0, {1.2f, 1, 1.45f}, {ZERO3}, {0.1f, 0.1f, 0.1f}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {15, "r_thigh", SHAPE_CAPSULE, 0, {0.8f, 1, 1.1f}, {ZERO3}, {0.12f, 0.3f, 0}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {16, "l_thigh", SHAPE_CAPSULE, 0, {1.2f, 1, 1.1f}, {ZERO3}, {0.12f, 0.3f, 0}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {17, "l_leg", SHAPE_CAPSULE, 0, {1.2f, 1, 0.5f}, {ZERO3}, {0.13f, 0.3f, 0}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {18, "r_leg", SHAPE_CAPSULE, 0, {0.8f, 1, 0.5f}, {ZERO3}, {0.13f, 0.3f, 0}, {NOSIZE}, 0, 0, {W}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {19, "r_foot", SHAPE_BOX, 0, {0.8f, 0.9f, 0.1f}, {ZERO3}, {0.2f, 0.5f, 0.08f}, {NOSIZE}, 0, 1, {SKIN}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {20, "l_foot", SHAPE_BOX, 0, {1.2f, 0.9f, 0.1f}, {ZERO3}, {0.2f, 0.5f, 0.08f}, {NOSIZE}, 0, 1, {SKIN}, {ZERO3}, 0.25f, 0, {ZERO3}},
    {21, nullptr, -1, 0, {ZERO3}, {ZERO3}, {NOSIZE}, {NOSIZE}, 0, 0, {ZERO3}, {ZERO3}, 0, 0, {ZERO3}},
};

//  index, name, anchor, axis, bodies, radius, stops (high, low), strength,
//  velocity, fracture stops (high, low), unset word, material, colour, flag,
//  density, dm_threshold
static const JointDef k_builtin_joints[JOINT_DEF_ROWS] = {
    {0, "neck", {1, 0.9f, 2.5f}, {1, 0, 0}, {1, 0}, 0.11f, {0.5f, -0.5f}, 1, 50, {2.4f, -1}, 0, {W}, 0, 0.25f, -1},
    {1, "chest", {1, 0.9f, 2.05f}, {0, 0, 1}, {1, 2}, 0.18f, {1, -1}, 4, 20, {1.3f, -1.3f}, 0, {W}, 0, 0.25f, -1},
    {2, "lumbar", {1, 0.95f, 1.85f}, {0, 1, 0}, {2, 3}, 0.16f, {0.5f, -0.5f}, 3, 5, {1.8f, -1.8f}, 0, {W}, 0, 0.25f, -1},
    {3, "abs", {1, 1, 1.65f}, {1, 0, 0}, {4, 3}, 0.14f, {0.4f, -0.6f}, 3, 5, {1.8f, -0.8f}, 0, {W}, 0, 0.25f, -1},
    {4, "r_pecs", {0.85f, 0.85f, 2.2f}, {0, 0, 1}, {5, 1}, 0.18f, {1.5f, -0.7f}, 3, 15, {1.5f, -1.3f}, 0, {W}, 0, 0.25f, -1},
    {5, "r_shoulder", {0.65f, 0.9f, 2.3f}, {0, 1, 0}, {6, 5}, 0.18f, {1.2f, -1.2f}, 4, 20, {1.5f, -1.3f}, 0, {W}, 0, 0.25f, -1},
    {6, "r_elbow", {0.25f, 0.9f, 2.3f}, {0, 0, 1}, {7, 6}, 0.16f, {2.3f, 0.05f}, 2, 40, {2.3f, -1.5f}, 0, {W}, 0, 0.25f, -1},
    {7, "l_pecs", {1.15f, 0.85f, 2.2f}, {0, 0, 1}, {1, 8}, 0.18f, {1.5f, -0.7f}, 3, 15, {1.5f, -1.3f}, 0, {W}, 0, 0.25f, -1},
    {8, "l_shoulder", {1.35f, 0.9f, 2.3f}, {0, 1, 0}, {8, 9}, 0.18f, {1.2f, -1.2f}, 4, 20, {1.5f, -1.3f}, 0, {W}, 0, 0.25f, -1},
    {9, "l_elbow", {1.75f, 0.9f, 2.3f}, {0, 0, 1}, {9, 10}, 0.16f, {2.3f, 0.05f}, 2, 40, {2.3f, -1.5f}, 0, {W}, 0, 0.25f, -1},
    {10, "r_wrist", {-0.2f, 0.9f, 2.3f}, {0, 0, 1}, {11, 7}, 0.11f, {2, -0.3f}, 2, 60, {2, -2}, 0, {W}, 0, 0.25f, -1},
    {11, "l_wrist", {2.2f, 0.9f, 2.3f}, {0, 0, 1}, {10, 12}, 0.11f, {2, -0.3f}, 2, 60, {2, -2}, 0, {W}, 0, 0.25f, -1},
    {12, "r_glute", {0.9f, 1.1f, 1.51f}, {0, 1, 0}, {13, 4}, 0.16f, {1.2f, -0.2f}, 4, 10, {1.9f, -0.2f}, 0, {W}, 0, 0.25f, -1},
    {13, "l_glute", {1.1f, 1.1f, 1.51f}, {0, 1, 0}, {4, 14}, 0.16f, {1.2f, -0.2f}, 4, 10, {1.9f, -0.2f}, 0, {W}, 0, 0.25f, -1},
    {14, "r_hip", {0.79f, 1, 1.4f}, {1, 0, 0}, {15, 13}, 0.16f, {1, -1.8f}, 2, 12, {1.8f, -1.8f}, 0, {W}, 0, 0.25f, -1},
    {15, "l_hip", {1.21f, 1, 1.4f}, {1, 0, 0}, {16, 14}, 0.16f, {1, -1.8f}, 2, 12, {1.8f, -1.8f}, 0, {W}, 0, 0.25f, -1},
    {16, "r_knee", {0.8f, 1, 0.8f}, {1, 0, 0}, {18, 15}, 0.14f, {2.3f, 0}, 4, 40, {2.3f, -1.8f}, 0, {W}, 0, 0.25f, -1},
    {17, "l_knee", {1.2f, 1, 0.8f}, {1, 0, 0}, {17, 16}, 0.14f, {2.3f, 0}, 4, 40, {2.3f, -1.8f}, 0, {W}, 0, 0.25f, -1},
    {18, "r_ankle", {0.8f, 1.05f, 0.25f}, {1, 0, 0}, {19, 18}, 0.11f, {1.1f, -0.3f}, 1, 8, {2.5f, -0.7f}, 0, {W}, 0, 0.25f, -1},
    {19, "l_ankle", {1.2f, 1.05f, 0.25f}, {1, 0, 0}, {20, 17}, 0.11f, {1.1f, -0.3f}, 1, 8, {2.5f, -0.7f}, 0, {W}, 0, 0.25f, -1},
    {20, nullptr, {ZERO3}, {ZERO3}, {-1, -1}, 0, {0, 0}, 0, 0, {0, 0}, 0, {ZERO3}, 0, 0, -1},
};

static const int k_sphere_body[20] = {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 15, 16, 18, 17};
const int JOINT_SPHERE_ORDER[20] = {0, 1, 2, 3, 13, 12, 15, 14, 18, 19, 16, 17, 7, 4, 8, 5, 9, 6, 11, 10};

const BodyDef *builtin_body_table(void) { return k_builtin_bodies; }
const JointDef *builtin_joint_table(void) { return k_builtin_joints; }

int joint_sphere_body(int j)
{
    return (j >= 0 && j < 20) ? k_sphere_body[j] : -1;
}

static int g_categories[CATEGORY_COUNT];

void fill_category_table(void)
{
    g_categories[0] = 0;
    for (int k = 1; k < CATEGORY_COUNT; k++)
        g_categories[k] = 1 << (k - 1);
}

int category_bits(int k)
{
    if (k < 0 || k >= CATEGORY_COUNT)
        return 0;
    if (k > 0 && g_categories[k] == 0)
        fill_category_table();
    return g_categories[k];
}

// Fighter 0 meets fighter 1 (2), moving (16) and static (32) objects; fighter
// 1 meets fighter 0 (1) and the objects.
int fighter_collide_bits(int i) { return i == 0 ? 50 : 49; }
// Ghost 0 meets ghost 1 (512), ghost-space objects (4096) and static objects.
int ghost_collide_bits(int i) { return i == 0 ? (512 | 4096 | 32) : (256 | 4096 | 32); }
