// The frame cache and the emote history: single allocations of 2048 entries
// made once; storing copies values only, since it runs every frame.
// The joint spheres sit in geom transforms, which ODE 0.16 marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include "game/frame_cache.h"
#include <cstdlib>
#include <cstring>
#include "app/base/text.h"
#include "game/env_objects.h"
#include "game/pose_check.h"
#include "game/world_physics.h"

// The FrameCache and the EmoteHistory, FRAME_CACHE_FRAMES entries each,
// indexed by the match frame.
static FrameCacheEntry *g_cache;
static EmoteHistoryEntry *g_emotes;
static int g_cache_playback;

// A clear does not touch the 2048 entries (some 30 MB): it starts a new
// generation. An entry belongs to the current match only when its slot
// carries the current generation; any other entry reads as a zeroed one
// (not valid, every field 0) and is zeroed before its first store.
static uint32_t g_slot_generation[FRAME_CACHE_FRAMES];
static uint32_t g_generation = 1;
static const FrameCacheEntry k_zero_entry = {};

static bool frame_ok(int frame) { return frame >= 0 && frame < FRAME_CACHE_FRAMES; }

static bool slot_current(int frame) { return g_slot_generation[frame] == g_generation; }

// The entry as the current match sees it; frame must be in range.
static const FrameCacheEntry *entry_for_reading(int frame)
{
    return slot_current(frame) ? &g_cache[frame] : &k_zero_entry;
}

int frame_cache_alloc(void)
{
    if (!g_cache) {
        g_cache = static_cast<FrameCacheEntry *>(calloc(FRAME_CACHE_FRAMES, sizeof(FrameCacheEntry)));
        memset(g_slot_generation, 0, sizeof g_slot_generation);
        g_generation = 1;
    }
    return g_cache ? 0 : 1;
}

void frame_cache_free(void)
{
    free(g_cache);
    g_cache = nullptr;
}

void frame_cache_clear(void)
{
    // Generation 0 marks the slots of no match; after the counter wraps
    // every slot is marked so before counting on.
    if (++g_generation == 0) {
        memset(g_slot_generation, 0, sizeof g_slot_generation);
        g_generation = 1;
    }
    g_cache_playback = 0;
}

int frame_cache_playback(void) { return g_cache_playback; }
void set_frame_cache_playback(int on) { g_cache_playback = on ? 1 : 0; }

const FrameCacheEntry *frame_cache_entry(int frame)
{
    return (g_cache && frame_ok(frame)) ? entry_for_reading(frame) : nullptr;
}

static void store_pose(CachedTransform *t, const double *pos, const double *R)
{
    memcpy(t->R, R, sizeof t->R);
    for (int k = 0; k < 3; k++)
        t->pos[k] = (float)pos[k];
}

// A geom's world pose; a geom transform gives the held geom's pose.
static void store_geom(CachedTransform *t, dGeomID g)
{
    if (!g) {
        memset(t, 0, sizeof *t);
        return;
    }
    double pos[3], R[12];
    geom_world_pose(g, pos, R);
    store_pose(t, pos, R);
}

// Places a plain geom (and so its body) at a stored pose; an entry that was
// never filled (no rotation) or a place beyond the world leaves it.
static void restore_geom(dGeomID g, const CachedTransform *t)
{
    if (!g || dGeomGetClass(g) == dGeomTransformClass || dGeomGetClass(g) == dPlaneClass)
        return;
    const double pos[3] = {t->pos[0], t->pos[1], t->pos[2]};
    pose_set_geom(g, pos, t->R);
}

static const int k_hands[2] = {R_HAND, L_HAND};

void frame_cache_store(int frame)
{
    if (!g_cache || !frame_ok(frame))
        return;
    FrameCacheEntry &e = g_cache[frame];
    if (!slot_current(frame)) {
        memset(&e, 0, sizeof e);
        g_slot_generation[frame] = g_generation;
    }
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i);
        if (!p)
            continue;
        e.injury[i] = p->injury;
        if (const GroundImpact *g = get_ground_impact(i))
            e.ground_impact[i] = *g;
        e.dq_timers[i][0] = p->dq_start;
        e.dq_timers[i][1] = p->last_ground_frame;
        e.dq_timers[i][2] = p->dq_time;
        for (int h = 0; h < 2; h++) {
            dGeomID g = p->body_geoms[k_hands[h]];
            if (dGeomGetClass(g) == dBoxClass) {
                dVector3 s;
                dGeomBoxGetLengths(g, s);
                for (int k = 0; k < 3; k++)
                    e.hand_sides[i][h][k] = s[k];
            }
            dJointID grip = p->grip_joints[k_hands[h]];
            e.grip_exists[i][h] = grip ? 1 : 0;
            if (grip) {
                dVector3 a;
                dJointGetHingeAnchor(grip, a);
                for (int k = 0; k < 3; k++)
                    e.grip_anchor[i][h][k] = a[k];
            }
        }
        for (int b = 0; b < BODY_COUNT; b++)
            store_geom(&e.bodies[i][b], p->body_geoms[b]);
        for (int j = 0; j < JOINT_COUNT; j++) {
            store_geom(&e.joints[i][j], p->joint_geoms[j]);
            e.joint_values[i][j] = (float)p->joints[j].last_speed;
        }
        memcpy(e.hit_flash[i], p->hit_flash, sizeof e.hit_flash[i]);
    }
    for (int k = 0; k < ENV_OBJECT_COUNT; k++) {
        EnvObjectBody *o = get_env_object(k);
        if (o && o->geom && dGeomIsEnabled(o->geom))
            store_geom(&e.objects[k], o->geom);
        else
            memset(&e.objects[k], 0, sizeof e.objects[k]);
    }
    for (int d = 0; d < BLOOD_DROP_COUNT; d++) {
        const BloodDrop *drop = get_blood_drop(d);
        if (!drop || !drop->geom)
            continue;
        const dReal *pos = dGeomGetPosition(drop->geom);
        for (int k = 0; k < 3; k++)
            e.drops[d].pos[k] = (float)pos[k];
        e.drops[d].size = drop->size;
    }
    e.valid = 1;
}

uint32_t frame_cache_valid(int frame)
{
    return (g_cache && frame_ok(frame)) ? entry_for_reading(frame)->valid : 0;
}

uint32_t frame_cache_first_valid(void) { return frame_cache_valid(0); }

void frame_cache_restore(int frame)
{
    // A frame not stored has no shapes to show (its zero rotations would
    // stop the engine).
    if (frame_cache_valid(frame) == 0)
        return;
    const FrameCacheEntry &e = g_cache[frame];
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p)
            continue;
        p->injury = e.injury[i];
        if (GroundImpact *g = get_ground_impact(i))
            *g = e.ground_impact[i];
        p->dq_start = e.dq_timers[i][0];
        p->last_ground_frame = e.dq_timers[i][1];
        p->dq_time = e.dq_timers[i][2];
        for (int j = 0; j < JOINT_COUNT; j++)
            p->joints[j].last_speed = e.joint_values[i][j];
        // The joint spheres ride on their bodies' geom transforms: placing
        // the bodies places them. (Setting a transform's pose would move the
        // carrying body to the sphere.)
        for (int b = 0; b < BODY_COUNT; b++)
            restore_geom(p->body_geoms[b], &e.bodies[i][b]);
        for (int h = 0; h < 2; h++) {
            dGeomID g = p->body_geoms[k_hands[h]];
            const double *s = e.hand_sides[i][h];
            if (dGeomGetClass(g) == dBoxClass && s[0] > 0 && s[1] > 0 && s[2] > 0)
                dGeomBoxSetLengths(g, s[0], s[1], s[2]);
        }
        memcpy(p->hit_flash, e.hit_flash[i], sizeof p->hit_flash);
    }
    for (int d = 0; d < BLOOD_DROP_COUNT; d++) {
        BloodDrop *drop = get_blood_drop(d);
        if (!drop || !drop->geom)
            continue;
        const double pos[3] = {e.drops[d].pos[0], e.drops[d].pos[1], e.drops[d].pos[2]};
        if (pose_position_ok(pos))
            dGeomSetPosition(drop->geom, pos[0], pos[1], pos[2]);
        drop->size = e.drops[d].size;
    }
    for (int k = 0; k < ENV_OBJECT_COUNT; k++) {
        EnvObjectBody *o = get_env_object(k);
        if (o && o->geom && dGeomIsEnabled(o->geom))
            restore_geom(o->geom, &e.objects[k]);
    }
}

// ---- emote history ----

int alloc_emote_history(void)
{
    if (!g_emotes)
        g_emotes = static_cast<EmoteHistoryEntry *>(calloc(FRAME_CACHE_FRAMES, sizeof(EmoteHistoryEntry)));
    return g_emotes ? 0 : 1;
}

void free_emote_history(void)
{
    free(g_emotes);
    g_emotes = nullptr;
}

void clear_emote_history(void)
{
    if (g_emotes)
        memset(g_emotes, 0, FRAME_CACHE_FRAMES * sizeof(EmoteHistoryEntry));
}

const EmoteHistoryEntry *emote_history_entry(int frame)
{
    return (g_emotes && frame_ok(frame)) ? &g_emotes[frame] : nullptr;
}

void record_emote_history(int frame)
{
    if (!g_emotes || !frame_ok(frame))
        return;
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i);
        if (p && p->emote[0] && p->emote_frame == frame)
            n_strncpyz(g_emotes[frame].text[i], p->emote, EMOTE_TEXT_SIZE);
    }
}

void apply_emote_history(int frame)
{
    if (!g_emotes || !frame_ok(frame))
        return;
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        char text[EMOTE_TEXT_SIZE];
        n_strncpyz(text, g_emotes[frame].text[i], sizeof text);
        if (text[0]) {
            set_player_emote(i, text, 5.0f);
            get_players()[i].emote_new = 0;
        }
    }
}
