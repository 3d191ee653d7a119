// Display-only records indexed by the match frame (0..2047): the frame
// cache, a snapshot of every drawn shape per frame, and the emote history,
// the emote texts set in each frame. They let a finished network match be
// shown again exactly as it was seen, without running the physics.
#pragma once
#include <cstdint>
#include "game/blood.h"
#include "game/contact_damage.h"
#include "game/game_state.h"
#include "game/mod_world.h"

enum { FRAME_CACHE_FRAMES = 2048, EMOTE_TEXT_SIZE = 32 };

// A geom's pose: the engine's 3 x 4 rotation matrix and the position in floats.
struct CachedTransform {
    double R[12];
    float pos[3];
};

struct CachedDrop {
    float pos[3];
    float size;
};

struct FrameCacheEntry {
    uint32_t valid;
    float injury[MAX_FIGHTERS];
    GroundImpact ground_impact[MAX_FIGHTERS];
    int32_t dq_timers[MAX_FIGHTERS][3];     // dq timer start, last ground frame, dq time
    double hand_sides[MAX_FIGHTERS][2][3];  // right hand, then left hand (box lengths)
    double grip_anchor[MAX_FIGHTERS][2][3];
    uint8_t grip_exists[MAX_FIGHTERS][2];
    CachedTransform bodies[MAX_FIGHTERS][BODY_COUNT];
    CachedTransform joints[MAX_FIGHTERS][JOINT_COUNT];  // the spheres' world poses
    CachedTransform objects[ENV_OBJECT_COUNT];
    CachedDrop drops[BLOOD_DROP_COUNT];
    float hit_flash[MAX_FIGHTERS][BODY_ID_COUNT];
    float joint_values[MAX_FIGHTERS][JOINT_COUNT];
};

struct EmoteHistoryEntry {
    char text[MAX_FIGHTERS][EMOTE_TEXT_SIZE];
};

// 0 on success, 1 when there is no memory for them.
int frame_cache_alloc(void);
void frame_cache_free(void);
// Makes every entry read as zeroed (not valid) and lowers the frame-cache
// playback flag. The bytes of old entries stay until their slot is stored.
void frame_cache_clear(void);
// Nothing for frames outside 0..2047.
void frame_cache_store(int frame);
// The valid word; 0 for frames outside 0..2047.
uint32_t frame_cache_valid(int frame);
uint32_t frame_cache_first_valid(void);
// Nothing for a frame not stored since the last clear.
void frame_cache_restore(int frame);
// The entry of a frame, none outside 0..2047 or before allocation; an entry
// not stored since the last clear reads as all zero.
const FrameCacheEntry *frame_cache_entry(int frame);
// Raised while a finished match is shown from the cache.
int frame_cache_playback(void);
void set_frame_cache_playback(int on);

int alloc_emote_history(void);
void free_emote_history(void);
void clear_emote_history(void);
void record_emote_history(int frame);
void apply_emote_history(int frame);
const EmoteHistoryEntry *emote_history_entry(int frame);
