// The in-memory replay of a match: one frame per frame in which something a
// player decided changed (a joint state, a grip, an emote) or a joint broke,
// each with the full physical state of every fighter and every moving
// environment object. Recording, playback and the per-step velocity limit.
#pragma once
#include <cstdint>
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/mod_world.h"

// The buffer starts with room for REPLAY_FRAMES_START frames and grows as a
// match records more, up to REPLAY_FRAMES_MAX: a frame for every frame of
// the longest match the rules allow, for the frames the world runs after
// the end before the automatic replay (100) and for the last frame a
// network match keeps.
enum {
    REPLAY_FRAMES_START = 256,
    REPLAY_FRAMES_MAX = MATCH_FRAMES_MAX + 128,
    REPLAY_EMOTE_SIZE = 32,
};

// Bits of ReplayFrame::change_bits.
enum {
    RF_ROTATIONS = 0x1,
    RF_LINEAR_VEL = 0x2,
    RF_ANGULAR_VEL = 0x4,
    RF_POSITIONS = 0x8,
    RF_DISMEMBER = 0x10,
    RF_FRACTURE = 0x100,
    RF_EMOTE = 0x200,
    RF_BODY_FRACTURE = 0x1000,
};

struct ReplayFrame {
    int32_t frame;
    double rotations[MAX_FIGHTERS][BODY_COUNT][4];   // w, x, y, z
    double positions[MAX_FIGHTERS][BODY_COUNT][3];
    double angular_vel[MAX_FIGHTERS][BODY_COUNT][3];
    double linear_vel[MAX_FIGHTERS][BODY_COUNT][3];
    int32_t joint_states[MAX_FIGHTERS][JOINT_COUNT]; // 0: none set
    int32_t break_marks[MAX_FIGHTERS][JOINT_COUNT];  // 1 dismembered, 2 fractured
    int32_t body_breaks[MAX_FIGHTERS][BODY_COUNT];
    float injury[MAX_FIGHTERS];
    float score[MAX_FIGHTERS];
    int32_t change_count[MAX_FIGHTERS];
    uint32_t change_bits[MAX_FIGHTERS];
    int32_t right_grip[MAX_FIGHTERS];
    int32_t left_grip[MAX_FIGHTERS];
    char emote[MAX_FIGHTERS][REPLAY_EMOTE_SIZE];
    double object_pos[ENV_OBJECT_COUNT][3];
    double object_rot[ENV_OBJECT_COUNT][4];
    double object_angular_vel[ENV_OBJECT_COUNT][3];
    double object_linear_vel[ENV_OBJECT_COUNT][3];
    uint8_t objects_valid;
};

// 0 on success, 1 when there is no memory for it.
int replay_buffer_alloc(void);
void replay_buffer_free(void);
// Frames the buffer has room for now.
int replay_frame_capacity(void);
// Frame i of the buffer (0 .. capacity - 1), none outside.
ReplayFrame *get_replay_frame(int i);
// Frame i, the buffer grown to hold it (new frames are zero); none beyond
// REPLAY_FRAMES_MAX or without memory.
ReplayFrame *replay_frame_to_fill(int i);
int get_replay_play_frame(void);
// Clears frames i and on (the buffer goes back to its starting size when
// they fit in it); frames recorded and play frame become i.
void truncate_replay(int i);

// Records the world into rf for match frame `frame`. With `full` every
// fighter counts as changed. Returns the number of changes (0: nothing new).
int record_frame_into(ReplayFrame *rf, int full, int frame);
// record_frame_into the next free frame of the buffer.
int record_frame(int full, int frame);
// Records the current frame into the next free slot; it counts as recorded
// only when something changed. 1 (with one message per match) when the
// buffer cannot take it.
int store_replay_frame(int full);
// Applies the buffer frame at the play index when its number equals
// match_frame; frames that lie behind match_frame are skipped. 1 when there
// is nothing to apply at this frame (or nothing left to play).
int play_replay_frame(int match_frame);
// Applies one frame record to the fighters and objects (the playback rule).
void apply_replay_frame(const ReplayFrame *rf);

// The per-step velocity limit and air drag of every fighter record that is
// switched on (live fighters, or the ghosts during a preview).
void limit_body_velocities(void);
