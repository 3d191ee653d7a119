// Environment objects in the world: a live and a ghost twin per defined
// object, a live and a ghost link per defined joint between them.
#pragma once
#include <ode/ode.h>
#include "game/game_state.h"
#include "game/mod_world.h"

class EnvObjectBody {
public:
    EnvObjectBody(const EnvObject &params, int index, dWorldID world, dSpaceID space, bool ghost);
    ~EnvObjectBody();
    EnvObjectBody(const EnvObjectBody &) = delete;
    EnvObjectBody &operator=(const EnvObjectBody &) = delete;

    void set_mass(double m);
    void update();
    void apply_force();
    void apply_thrust(int frame);
    void clear_force();
    bool is_static() const { return (flag & ENV_FLAG_STATIC) != 0; }

    dSpaceID space;
    dWorldID world;
    double pos[3];
    int shape;
    double sides[3];
    int category_bits;
    int collide_bits;
    GeomRecord *record;
    double mass;
    float color[4];
    int visible;
    int material;
    double rot[3];
    uint32_t flag;
    float force[3];
    int thrust_period;
    float thrust[3];
    double bounce;
    double friction;
    dGeomID geom;
    dBodyID body;        // none when static
    dMass engine_mass;
};

class EnvObjectLink {
public:
    EnvObjectLink(const EnvObjectJoint &params, int index, dWorldID world, dSpaceID space,
                  EnvObjectBody *a, EnvObjectBody *b);
    ~EnvObjectLink();
    EnvObjectLink(const EnvObjectLink &) = delete;
    EnvObjectLink &operator=(const EnvObjectLink &) = delete;
    void reanchor();

    dSpaceID space;
    dWorldID world;
    double anchor[3];
    GeomRecord *record;
    float axis[3];
    float hi_stop, lo_stop, strength, velocity;
    int visible;
    dJointID hinge;
};

EnvObjectBody *get_env_object(int i);
EnvObjectBody *get_env_object_ghost(int i);
EnvObjectLink *get_env_link(int i);
EnvObjectLink *get_env_link_ghost(int i);

// The largest side (or radius) of an object, in metres.
constexpr double ENV_SIDE_MAX = 1e4;
// Checks an object definition against what the engine can take; a bad value
// is reported and the default kept. Returns the number of values mended.
int sanitize_env_object(EnvObject *o, int index);
void create_env_objects(void);
void delete_env_objects(void);
void refresh_env_objects(void);
void enable_env_objects(bool ghost, bool on);
void enable_env_object(int i, bool on);
void copy_env_objects_to_ghost(void);
// Thrusts of fighters' bodies and of the objects in the active space.
void apply_thrusts(int frame);
