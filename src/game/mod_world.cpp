// The mod world record: defaults, the built-in world colours and the
// definition tables the world build reads.
#include "game/mod_world.h"
#include <cstring>

static ModWorld g_active_world;   // what the running world was built from
static ModWorld g_default_world;  // the built-in fighter, no objects
static BodyDef g_default_bodies[BODY_DEF_ROWS];
static JointDef g_default_joints[JOINT_DEF_ROWS];
static BodyDef g_loaded_bodies[2][BODY_DEF_ROWS];
static JointDef g_loaded_joints[2][JOINT_DEF_ROWS];
static float g_builtin_colors[WORLD_COLOR_COUNT][3];
static bool g_colors_made;

ModWorld *get_mod_world(void) { return &g_active_world; }
ModWorld *get_default_mod_world(void) { return &g_default_world; }

EnvObject *get_env_object_def(int i)
{
    if (i < 0 || i >= ENV_OBJECT_COUNT)
        return nullptr;
    return &g_active_world.env_objects[i];
}

int env_object_takes_state(int i)
{
    const EnvObject *o = get_env_object_def(i);
    return o && o->defined && !(o->flag & ENV_FLAG_STATIC);
}

BodyDef *get_default_body_table(void) { return g_default_bodies; }
JointDef *get_default_joint_table(void) { return g_default_joints; }

BodyDef *get_loaded_body_table(int player)
{
    return (player == 0 || player == 1) ? g_loaded_bodies[player] : nullptr;
}

JointDef *get_loaded_joint_table(int player)
{
    return (player == 0 || player == 1) ? g_loaded_joints[player] : nullptr;
}

void copy_builtin_tables(void)
{
    memcpy(g_default_bodies, builtin_body_table(), sizeof g_default_bodies);
    memcpy(g_default_joints, builtin_joint_table(), sizeof g_default_joints);
}

// The first 20 triples are white; the rest alternate between reddish and
// orange shades that darken slowly along the table.
const float (*builtin_world_colors(void))[3]
{
    if (!g_colors_made) {
        for (int i = 0; i < WORLD_COLOR_COUNT; i++) {
            float *c = g_builtin_colors[i];
            if (i < 20) {
                c[0] = c[1] = c[2] = 1.0f;
                continue;
            }
            const float shade = 1.0f - 0.004f * (float)(i - 20);
            if (i % 2 == 0) {
                c[0] = 0.85f * shade; c[1] = 0.15f * shade; c[2] = 0.1f * shade;
            } else {
                c[0] = 1.0f * shade; c[1] = 0.55f * shade; c[2] = 0.1f * shade;
            }
        }
        g_colors_made = true;
    }
    return g_builtin_colors;
}

void env_object_reset(EnvObject *o)
{
    memset(o, 0, sizeof *o);
    o->pos[2] = 0.25;
    o->state_pos[2] = 0.25;
    o->shape = SHAPE_BOX;
    o->sides[0] = o->sides[1] = o->sides[2] = 0.5;
    o->mass = 0.1;
    o->color[1] = 1.0f;
    o->color[3] = 1.0f;
    o->visible = 1;
    o->material = 1;
    o->bounce = 0.1;
    o->friction = 10000.0;
}

void mod_world_reset(ModWorld *m)
{
    memset(m, 0, sizeof *m);
    for (int i = 0; i < ENV_OBJECT_COUNT; i++)
        env_object_reset(&m->env_objects[i]);
    memcpy(m->colors, builtin_world_colors(), sizeof m->colors);
    m->friction = WORLD_FRICTION_DEFAULT;
    for (int p = 0; p < 2; p++) {
        memcpy(g_loaded_bodies[p], builtin_body_table(), sizeof g_loaded_bodies[p]);
        memcpy(g_loaded_joints[p], builtin_joint_table(), sizeof g_loaded_joints[p]);
    }
    for (int s = 0; s < MOD_PLAYER_SLOTS; s++) {
        m->body_tables[s] = g_loaded_bodies[s % 2];
        m->joint_tables[s] = g_loaded_joints[s % 2];
    }
}
