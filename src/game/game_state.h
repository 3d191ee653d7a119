// The match's global records: the one WorldState, the Player records (the
// fighters followed by their ghost twins), the per-joint JointState, the geom
// user-data records through which the collision finds its way back to a
// fighter, the bout list, and the module-level words beside them.
// Everything here is fixed-size; nothing allocates on the heap.
#pragma once
#include <cstdint>
#include <ode/ode.h>

struct BodyDef;
struct JointDef;

enum {
    MAX_FIGHTERS = 2,
    MAX_PLAYER_RECORDS = 4,      // fighters 0..n-1, ghosts n..2n-1
    BODY_COUNT = 21,
    JOINT_COUNT = 20,
    BODY_ID_COUNT = 41,          // 0..20 bodies, 21..40 joint spheres
    PLAYER_NAME_SIZE = 32,
    BOUT_COUNT = 32,
    BOUT_NAME_SIZE = 256,
    LONG_TEXT_SIZE = 256,
    GEOM_RECORD_COUNT = 1024,
    RPG_STAT_COUNT = 6,
};

// Body identifiers; joint j's sphere has identifier j + 21.
enum BodyIndex {
    HEAD, BREAST, CHEST, STOMACH, THORAX, R_PECS, R_BICEPS, R_TRICEPS,
    L_PECS, L_BICEPS, L_TRICEPS, R_HAND, L_HAND, R_BUTT, L_BUTT,
    R_THIGH, L_THIGH, L_LEG, R_LEG, R_FOOT, L_FOOT, BODYPARTS
};

enum JointIndex {
    NECK, SPLEX, LUMBAR, ABS, R_AXILLA, R_SHOULDER, R_ELBOW, L_AXILLA,
    L_SHOULDER, L_ELBOW, R_WRIST, L_WRIST, R_GLUTE, L_GLUTE, R_HIP, L_HIP,
    R_KNEE, L_KNEE, R_ANCHOR, L_ANCHOR, JOINTS
};

enum MotorState { MOTOR_NONE, MOTOR_FWD, MOTOR_BACK, MOTOR_HOLD, MOTOR_RELAX };
enum JointBreak { JOINT_INTACT = 0, JOINT_DISMEMBERED = 1, JOINT_FRACTURED = 2 };
enum GripValue { GRIP_NONE = 0, GRIP_ON = 1, GRIP_RELEASE = 2 };
// Index of a hand in Player::grip_wish / grip_state.
enum { GRIP_LEFT = 0, GRIP_RIGHT = 1 };

enum GeomKind {
    GEOM_BODY = 0, GEOM_JOINT = 1, GEOM_ENV_OBJECT = 2, GEOM_ENV_JOINT = 3,
    GEOM_BLOOD = 4, GEOM_FLOOR = 5, GEOM_SOFT = 6
};

struct Player;

// User data of one geom (and its body): how the collision finds the owner.
struct GeomRecord {
    Player *owner;       // none for non-fighters
    int32_t fighter;     // -1 none
    int32_t kind;        // GeomKind
    int32_t index;       // body, joint, object or link index
    int32_t joint;       // the joint a body's hits are charged to
    int32_t body_id;     // 0..40, -1 for non-fighters
    int32_t record;      // own index in the record array
    int32_t blood_index; // blood drop index (kind 4)
    double friction;
    double bounce;
};

struct JointState {
    double last_speed;      // speed of the body carrying the sphere (bleeding)
    double hi_stop;         // stops as built
    double lo_stop;
    double fracture_lo;     // stops after a fracture
    double fracture_hi;
    float bleeding;         // bleeding counter
    int32_t broken;         // JointBreak
    int32_t broken_recorded;
    int32_t hit_mark;       // 1: a harmful contact asks for a break
};

struct Player {
    int32_t team;
    int32_t ready;
    // Set by the network code for a fighter that takes no further part in
    // the match: no click selects it and none of its joints may be changed.
    int32_t out_of_play;
    int32_t colour;          // ColorTable row
    int32_t colour_built;    // the colour given at world build
    int32_t joint_changes;
    double total_mass;
    char name[PLAYER_NAME_SIZE];
    char short_name[PLAYER_NAME_SIZE];
    char emote[PLAYER_NAME_SIZE];
    int32_t emote_duration;  // ms
    uint32_t emote_expiry;   // ms
    int32_t emote_frame;
    int32_t emote_colour;
    int32_t emote_new;
    int32_t stance_slot;
    dBodyID bodies[BODY_COUNT];
    dGeomID body_geoms[BODY_COUNT];
    dGeomID joint_geoms[JOINT_COUNT];    // geom transforms
    dGeomID joint_spheres[JOINT_COUNT];  // the sphere each transform holds
    JointState joints[JOINT_COUNT];
    dJointID hinges[JOINT_COUNT];
    dJointFeedback hinge_feedback[JOINT_COUNT];
    int32_t rpg_stats[RPG_STAT_COUNT];
    dJointID grip_joints[BODY_COUNT];
    int32_t grip_target[BODY_COUNT];     // env object gripped, -1 a fighter
    dJointFeedback grip_feedback[BODY_COUNT];
    int32_t grip_wish[2];                // GRIP_LEFT (body 12), GRIP_RIGHT (body 11)
    int32_t grip_state[2];
    int32_t motor_wish[JOINT_COUNT];     // 0: state is read from the hinge
    int32_t hidden;
    int32_t received_mask;
    float hit_flash[BODY_ID_COUNT];
    float ground_speed;
    float head_impact;
    float injury;
    float score;
    int32_t broken_joints;
    int32_t pending_sound;
    int32_t disqualified;
    int32_t selected_body[2];
    int32_t index;
    int32_t bout_id;
    double ghost_view[8];
    int32_t collide_bits;
    int32_t category_bits;
    int32_t dq_start;
    int32_t last_ground_frame;
    int32_t dq_time;
    // Build bookkeeping: the definition tables this record was built from
    // and the offset it was built at.
    BodyDef *body_defs;
    JointDef *joint_defs;
    double offset[3];
    // Where each body stood when the record was built: a reset puts the
    // ghosts back there before their hinges are attached again.
    double built_pos[BODY_COUNT][3];
    double built_quat[BODY_COUNT][4];
    int32_t built;
    // Non-zero: drawn whatever the options that hide a fighter say (its
    // ghost and joint outlines always; the bodies of fighter 0).
    int32_t draw_override;
};

struct WorldState {
    int32_t players;
    int32_t places;
    int32_t teams;
    int32_t frozen;
    int32_t ghost_mode;
    int32_t game_over;
    int32_t ghost_row;
    int32_t decision_frame;
    int32_t winners[MAX_FIGHTERS];
    int32_t losers[MAX_FIGHTERS];
    int32_t team_order[MAX_FIGHTERS];
    int32_t result_kind;
    int32_t server_result;
    double impact_points[MAX_FIGHTERS][3];
    int32_t frame;
    int32_t frames_left;
    int32_t received_mask;
    int32_t turn_index;
    int32_t ghost_flags;
    float ghost_frame;
    float ghost_speed;
    float ghost_restart;
    int32_t ghost_length;
    int32_t ghost_turn_length;
    int32_t start_time;
    int32_t net_decision_frame;
    int32_t gameover_timelimit;
    uint32_t deadline;
    int32_t frames_recorded;
    int32_t play_frame;
    int32_t flame_preview;            // 1: flames burn though the world waits (the flame editor)
    int32_t wins[MAX_FIGHTERS];
    int32_t end_frame;
    int32_t replay_read_frame;        // the replay frame the file reader fills
    int32_t replay_last_frame_number; // the number of the last FRAME line read
    // Degrees by which the start placement turned the two fighters together
    // about the midpoint of their heads (what the engage rotation leaves
    // after whole half turns); the start's camera turns with them.
    double pair_turn;
};

struct Bout {
    char name[BOUT_NAME_SIZE];
    int32_t server_id;
    int32_t qi;
    int32_t streak;
    int32_t winnings;
    int32_t flags;
};

// The module-level words beside WorldState.
struct GameGlobals {
    int32_t replay_mode;      // 0 live, 1 replay file, 2 automatic replay
    int32_t network_mode;     // 0 single play, 1 game server
    int32_t own_slot;         // -1 spectator
    int32_t own_id;
    int32_t selected_player;  // -1 none
    uint32_t turn_deadline;   // ms
    uint32_t now_ms;
    int32_t bouts_present;
    char loaded_mod[LONG_TEXT_SIZE];
    int32_t mod_load_failed;
    char fight_name[LONG_TEXT_SIZE];
    char author[LONG_TEXT_SIZE];
    dWorldID world;
    dSpaceID space;           // live space
    dSpaceID ghost_space;
    dJointGroupID contact_group;
    dGeomID floor_geom;       // ground plane of the live space
    dGeomID ghost_floor_geom; // ground plane of the ghost space
    dGeomID ray;
    int32_t next_geom_record;
    int32_t built_players;    // Player records built by the last world build
};

WorldState *get_game_state(void);
GameGlobals *get_game_globals(void);
// The fighters of the match: the players count held to 0..MAX_FIGHTERS.
int fighter_count(void);
// The fighters whose Player records the last world build made: what a
// result may name while the players count runs ahead of the build.
int built_fighter_count(void);
// Player record i for 0 <= i < the records built; none otherwise.
Player *get_player(int i);
Player *get_players(void);
// The first ghost record (record n), none when no ghost is built.
Player *get_first_ghost(void);
Bout *get_bout(int i);
Bout *get_bout_records(void);
void clear_bouts(void);
int *get_selected_player_ptr(void);
dGeomID get_floor_geom(void);

// The next free geom user-data record, none when the array is used up.
GeomRecord *take_geom_record(void);
void reset_geom_records(void);

// Start-up defaults of WorldState and the module words.
void reset_world_state(void);

// Name tables; out-of-range numbers give "NONE" (or "NO_SUCH_MOTOR_STATE").
const char *body_name(int i);
const char *joint_id_name(int i);
const char *motor_state_name(int i);
// -1 "GROUND", 0..21 body names, above 21 the joint name of value - 21.
const char *body_or_joint_name(int i);
int selected_joint_of_body(int body);
int joint_order_map(int i);
int part_weight(int body_id);
// Default fighter names: vako, zud, GHOST1, GHOST2, RED, BLUE.
const char *default_player_name(int i);

int set_player_name(int i, const char *text);
void set_default_player_names(void);
int set_player_emote(int i, const char *text, float seconds);
void clear_player_emote(int i);
void set_fight_name(const char *text);
void set_author(const char *text);
int set_player_selection(int i, int body);
int set_turn_owner(int i);
int find_own_slot(void);
int all_bouts_present(void);
int get_own_id(void);
void set_own_id(int id);
int is_own_bout(int i);
void set_match_deadline(void);
void show_message(const char *text);
// Reads "left right" grip values into fighter i's grip wishes.
int parse_grip_pair(int i, const char *text);
