// The record a world is built from: the fighters' definition tables per
// player slot, the environment objects and the joints between them, the world
// colours and friction.
#pragma once
#include <cstdint>
#include "game/body_defs.h"

enum {
    MOD_PLAYER_SLOTS = 4,
    ENV_OBJECT_COUNT = 16,
    ENV_JOINT_COUNT = 16,
    WORLD_COLOR_COUNT = 122,
    MOD_MESSAGE_SIZE = 256,
};

// The world's friction: the largest friction force of each contact with the
// ground, in newtons (10000 unless a mod sets it). The engine took every
// value up to 3e38 in whole matches, with bodies of 1e-3 to 1e12 kg; it is
// bounded all the same, as every number a mod hands the engine is, at a
// hundred times the default, which already holds the heaviest fighter a mod
// can make.
constexpr float WORLD_FRICTION_DEFAULT = 10000.0f;
constexpr float WORLD_FRICTION_MAX = 1e6f;

enum { ENV_FLAG_HARMFUL_A = 2, ENV_FLAG_HARMFUL_B = 4, ENV_FLAG_STATIC = 8, ENV_FLAG_NO_GRIP = 16 };

struct EnvObject {
    uint8_t defined;
    uint32_t flag;
    double pos[3];
    double state_pos[3];
    double state_quat[4];
    double state_avel[3];
    double state_lvel[3];
    uint8_t shape;            // 0 sphere, 1 box, 2 cylinder
    double sides[3];
    double mass;
    float color[4];
    uint32_t visible;
    uint32_t material;        // 0 flesh, 1 steel
    double rot[3];            // radians
    float force[3];
    int32_t thrust_period;
    float thrust[3];
    double bounce;
    double friction;
};

struct EnvObjectJoint {
    uint32_t active;
    int32_t object_a;         // 0-based
    int32_t object_b;
    float pos[3];
    float axis[3];
    float hi_stop;
    float lo_stop;
    float strength;
    float velocity;
    uint32_t visible;
};

struct ModWorld {
    BodyDef *body_tables[MOD_PLAYER_SLOTS];   // 22 rows each
    JointDef *joint_tables[MOD_PLAYER_SLOTS]; // 21 rows each
    EnvObject env_objects[ENV_OBJECT_COUNT];
    EnvObjectJoint env_joints[ENV_JOINT_COUNT];
    uint8_t env_received;
    float colors[WORLD_COLOR_COUNT][3];
    float friction;
    uint32_t object_surface;  // objects' own friction and bounce take part
    int32_t version;
    char message[MOD_MESSAGE_SIZE];
};

// The record the running world was built from (the active copy).
ModWorld *get_mod_world(void);
// The record init_game sets up with the built-in fighter.
ModWorld *get_default_mod_world(void);
EnvObject *get_env_object_def(int i);
// 1 when environment object i is defined and not static: the objects that
// state lines and blocks walk, in slot order.
int env_object_takes_state(int i);

void env_object_reset(EnvObject *o);
// Reset for a new load: default objects and joints, world colours, friction
// 10000, the loaded tables back to the built-in ones, slot i pointing at the
// loaded tables of player i % 2.
void mod_world_reset(ModWorld *m);
// The built-in world colours (122 triples).
const float (*builtin_world_colors(void))[3];
// The loaded body and joint tables of player 0 or 1 (reset at every load).
BodyDef *get_loaded_body_table(int player);
JointDef *get_loaded_joint_table(int player);
// The modifiable copies of the built-in tables that the default world uses.
BodyDef *get_default_body_table(void);
JointDef *get_default_joint_table(void);
void copy_builtin_tables(void);
