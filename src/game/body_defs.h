// The rows that define a fighter's bodies and joints, the built-in fighter,
// and the collision category scheme.
#pragma once
#include <cstdint>

enum { BODY_DEF_ROWS = 22, JOINT_DEF_ROWS = 21 };

enum BodyShape { SHAPE_SPHERE = 0, SHAPE_BOX = 1, SHAPE_CAPSULE = 2 };

// BodyDef::flag bits.
enum {
    BODY_FLAG_HARMFUL_A = 2,     // 2 and 4: harmful; 2 also protected
    BODY_FLAG_HARMFUL_B = 4,
    BODY_FLAG_PROTECTED = 2,     // never marked by a harmful contact
    BODY_FLAG_NO_GRIP = 16,
    BODY_FLAG_GROUND_OK = 32,
};

struct BodyDef {
    int32_t index;
    const char *name;
    int32_t shape;            // BodyShape; -1 ends a table
    int32_t material;         // 0 flesh, 1 steel
    float pos[3];
    float rot[3];             // Euler angles
    float sides[3];           // sphere: radius in x; capsule: radius, length
    float alt_sides[3];       // the hand's size while it grips
    int32_t flag;
    int32_t floor_contact;
    float color[3];
    float force[3];
    float density;
    int32_t thrust_period;
    float thrust[3];
};

struct JointDef {
    int32_t index;
    const char *name;
    float pos[3];             // anchor
    float axis[3];
    int32_t body[2];
    float radius;
    float range[2];           // high stop, low stop
    float strength;           // motor force limit
    float velocity;           // motor speed
    float fracture_range[2];  // high stop, low stop after a fracture
    int32_t material;
    float color[3];
    int32_t flag;
    float density;
    int32_t dm_threshold;     // percent; -1 takes the rules' value
};

// The built-in tables (22 and 21 rows, the last a terminator).
const BodyDef *builtin_body_table(void);
const JointDef *builtin_joint_table(void);
// The joint -> body that carries its sphere, and the order spheres are made.
int joint_sphere_body(int j);
extern const int JOINT_SPHERE_ORDER[20];

// Collision categories: entry 0 = 0, entry k = 2^(k-1) for k = 1..13.
enum { CATEGORY_COUNT = 14, CATEGORY_ALL = 0x1FFF };
enum {
    CAT_GROUND = 128,
    CAT_ENV_MOVING = 16,
    CAT_ENV_GHOST = 4096,
    CAT_ENV_STATIC = 32,
    CAT_BLOOD = 64,
    COLLIDE_ENV_MOVING = 0x1FBF,
    COLLIDE_ENV_GHOST = 0x1FA0,
    COLLIDE_BLOOD = 128,
};
void fill_category_table(void);
int category_bits(int k);
int fighter_collide_bits(int i);
int ghost_collide_bits(int i);
