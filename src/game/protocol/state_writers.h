// The state lines a game server sends: one fighter's state and the
// environment objects' state, as text lines and as their binary twins (a
// P_ line whose block follows it). The client never sends them; they serve
// a server side of the protocol, and the lines they write read back through
// the same handlers as the server's.
//
// Every writer puts its lines into dst (size bytes) and returns the bytes
// written, or -1 when they do not fit or an index is bad. Binary output
// holds NUL bytes: its length, not a terminator, says where it ends (a
// terminator follows when there is room).
#pragma once
#include <cstdint>
#include "game/game_state.h"
#include "game/mod_world.h"

// One fighter's state as the lines carry it.
struct FighterStateRecord {
    double positions[BODY_COUNT][3];
    double rotations[BODY_COUNT][4];   // w, x, y, z
    double angular_vel[BODY_COUNT][3];
    double linear_vel[BODY_COUNT][3];
    int32_t broken[JOINT_COUNT];       // JointBreak of each joint
    int32_t joint_states[JOINT_COUNT]; // the state of each joint (MOTOR_*)
    double hinge_vel[JOINT_COUNT];     // each hinge's motor speed
    double hinge_fmax[JOINT_COUNT];    // and force limit
    int32_t grips[2];                  // GRIP_LEFT, GRIP_RIGHT: the grip in force
};

// The parts of a fighter's state, each one line, in the order the whole
// writers give them: "POS %i;", "QAT %i;", "ANGVEL %i;", "LINVEL %i;" with
// " %.8f" per value; "CRUSH %i;" and "FRACT %i;" with " %i" per dismembered
// or fractured joint; "JOINT %i;" with " %i %i" per joint and its state;
// "HINGEVEL %i;" and "HINGEFMAX %i;" with " %.4f" per joint; "GRIP %i;%i %i"
// (left, right). The first four have a binary twin ("P_POS" and so on): the
// line's head, a NUL, the count word, the values in millionths, "\n".
enum FighterStatePart {
    STATE_POS,
    STATE_QAT,
    STATE_ANGVEL,
    STATE_LINVEL,
    STATE_CRUSH,
    STATE_FRACT,
    STATE_JOINT,
    STATE_HINGEVEL,
    STATE_HINGEFMAX,
    STATE_GRIP,
    STATE_PARTS,
    STATE_BLOCK_PARTS = STATE_LINVEL + 1,
};

// Room that is always enough for one fighter's lines or blocks, and for the
// objects' lines or block.
enum { FIGHTER_STATE_TEXT_MAX = 12288, ENV_STATE_TEXT_MAX = 8192 };

// Fighter i's state now; 1 for a fighter that is not built.
int take_fighter_state(int i, FighterStateRecord *out);
// One part for fighter i: text, or (block set, first four parts only) its
// binary twin.
int write_fighter_state_part(int i, int part, int block, const FighterStateRecord *s, char *dst, int size);
// Every part as text lines.
int write_fighter_state_lines(int i, const FighterStateRecord *s, char *dst, int size);
// The binary twin: the first four parts as blocks, the others as text.
int write_fighter_state_blocks(int i, const FighterStateRecord *s, char *dst, int size);

// The objects that take state (defined and not static), in slot order.
struct EnvStateRecord {
    int32_t count;
    int32_t slot[ENV_OBJECT_COUNT];
    double positions[ENV_OBJECT_COUNT][3];
    double rotations[ENV_OBJECT_COUNT][4];   // w, x, y, z
    double angular_vel[ENV_OBJECT_COUNT][3];
    double linear_vel[ENV_OBJECT_COUNT][3];
};

// The live objects' state now.
void take_env_state(EnvStateRecord *out);
// "EPOS 0;", "EQAT 0;", "EANGVEL 0;" and "ELINVEL 0;", " %.8f" per value,
// the objects one after the other; nothing when no object takes state.
int write_env_state_lines(const EnvStateRecord *s, char *dst, int size);
// "P_ENV 0;", a NUL, the count word and 13 values per object in millionths
// (position, rotation, angular and linear speed), "\n"; nothing when no
// object takes state.
int write_env_state_block(const EnvStateRecord *s, char *dst, int size);
