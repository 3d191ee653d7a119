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

// What the engine takes in an object's definition. Found by stepping whole
// matches, and the replay after them, with objects at and beyond each value
// among the fighters, stacked, hinged to one another and to static objects,
// and with mods of hostile objects made at random: past these the engine
// aborts (a rotation that no longer normalises, a singular constraint
// matrix). A light object spins apart under contacts (from 1e-8 kg on); a
// sphere or cylinder of 3000 m that holds the fighters ends the program at
// once, static or not, and one of 29 m hinged to other objects in a quarter
// of the matches tried (none of 5 to 20 m did); sides far below a
// millimetre end it once hinged. Sizes are each used side (a sphere's
// radius, a cylinder's radius and length) in metres; masses are total
// masses in kilograms. Floats, as the mod statements read them.
// A round object is held to the radius of a round fighter body
// (BODY_RADIUS_MAX): sixteen spheres and cylinders of 10 m at one place
// still ended the engine.
constexpr float ENV_SIDE_MIN = 0.01f;
constexpr float ENV_SIDE_MAX = 10.0f;      // a box's side, a cylinder's length
constexpr float ENV_RADIUS_MAX = 5.0f;     // a sphere's or a cylinder's radius
constexpr float ENV_MASS_MIN = 1e-4f;
constexpr float ENV_MASS_MAX = 1e6f;
// An object's force and thrust, in newtons on each axis: from 1e7 on the
// solver begins to fail, 1e30 ends the program once the object is pushed
// into the ground or pulls at its hinge.
constexpr float ENV_PUSH_MAX = 1e5f;
// An object's bounce; the contact multiplies it with the other side's.
// Far above 1 the contacts gain so much that the solver fails.
constexpr float ENV_BOUNCE_MAX = 100.0f;
// An object's place and its joints' anchors lie within the place any pose
// may take (POSE_POSITION_LIMIT on each axis), so that the states of the
// replay, which are held to it, can always put the object back.

// Check an object or object joint definition against what the engine can
// take; a bad value is reported, naming the statement in the mod, and the
// default kept (for a joint whose objects are missing, the joint is
// dropped). index is the slot, 0-based; the messages count from 1 as the
// mod file does. Each returns the number of values mended.
int sanitize_env_object(EnvObject *o, int index);
int sanitize_env_joint(EnvObjectJoint *j, int index, const EnvObject *objects);
void create_env_objects(void);
void delete_env_objects(void);
// The records deleted without touching the engine's objects, which belong
// to a world that is dropped, not destroyed.
void forget_env_objects(void);
void refresh_env_objects(void);
void enable_env_objects(bool ghost, bool on);
void enable_env_object(int i, bool on);
void copy_env_objects_to_ghost(void);
// Thrusts of fighters' bodies and of the objects in the active space.
void apply_thrusts(int frame);
