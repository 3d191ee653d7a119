// What the game server says about each fighter during a network turn: the
// received body state, motor values, grab records and the batch table. The
// server column of the command table writes here and sets the received
// masks; the network turn hand-over applies it all at once.
#pragma once
#include <cstdint>
#include "game/game_state.h"

// Bits of the fighter's and the world's received masks.
enum {
    RECV_ROTATIONS = 0x1,
    RECV_LINEAR_VEL = 0x2,
    RECV_ANGULAR_VEL = 0x4,
    RECV_POSITIONS = 0x8,
    RECV_DISMEMBER = 0x10,
    RECV_RESULT = 0x20,
    RECV_HINGE_VEL = 0x40,
    RECV_HINGE_FMAX = 0x80,
    RECV_FRACTURE = 0x100,
    RECV_GROUND_IMPACT = 0x800,
    RECV_WORLD = 0x11F,       // what a WORLD line marks
    RECV_COMPLETE = 0x13F,    // a fighter's state is complete
};

enum {
    BATCH_COUNT = 64,         // batches kept per match
    BATCH_WORDS = 45,         // left grips, right grips, 20 joint states per fighter
    HAND_COUNT = 2,
};

// One hand's grab as a GRAB line gives it.
struct GrabRecord {
    int32_t first;            // the line's first number
    int32_t second;
    int32_t fourth;
    double point[3];
    int32_t set;              // 1 once a line filled it
};

struct ReceivedState {
    double rotations[BODY_COUNT][4];      // w, x, y, z
    double linear_vel[BODY_COUNT][3];
    double angular_vel[BODY_COUNT][3];
    double positions[BODY_COUNT][3];
    double hinge_vel[JOINT_COUNT];
    double hinge_fmax[JOINT_COUNT];
    float injury;                         // FRAME and GAME lines
    float score;
    GrabRecord grab[HAND_COUNT];          // server column, by hand
    GrabRecord replay_grab[HAND_COUNT];   // replay column, by hand
    int32_t batch_index;
};

// Fighter i's received state, none outside 0..MAX_FIGHTERS-1.
ReceivedState *get_received_state(int i);
// The batch table: batch b's 45 words, none outside 0..BATCH_COUNT-1.
int32_t *get_batch(int b);
// Clears every fighter's received state, the batch table and the masks.
void clear_received_state(void);
// The network turn hand-over, once the game server has sent every fighter's
// state for the turn: 1 when every fighter's received mask holds all of the
// complete-state bits.
int received_state_complete(void);
// 1 when the next network turn may start: every fighter has committed its
// turn (its ready word is 1) and the server's state for it is complete,
// in the world's received mask or in every fighter's. 1 with no fighters.
int network_turn_ready(void);
// Fighter i takes what the server sent: the injury and score of the result
// lines, and the rotations, places and velocities of its bodies (by the
// fighter's received mask); the mask is cleared. A value the engine cannot
// take leaves the body's own.
void apply_received_fighter_state(int i);
// Every object that takes state gets the one P_ENV gave it; the world's
// object-state flag is cleared. Nothing when none arrived.
void apply_received_env_state(void);
