// The in-memory replay: an allocation made at start-up, grown while a match
// records more frames than it holds. Recording copies values only; playback
// copies them back when the match frame counter reaches a frame's number.
#include "game/replay_buffer.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "app/base/text.h"
#include "game/blood.h"
#include "game/env_objects.h"
#include "game/joint_breaks.h"
#include "game/pose_check.h"
#include "app/base/message_type.h"
#include "game/game_callbacks.h"

static ReplayFrame *g_frames;
static int g_capacity;
static int g_full_reported;   // the "buffer full" message was given this match

int replay_buffer_alloc(void)
{
    if (g_frames)
        return 0;
    g_frames = static_cast<ReplayFrame *>(calloc(REPLAY_FRAMES_START, sizeof(ReplayFrame)));
    g_capacity = g_frames ? REPLAY_FRAMES_START : 0;
    return g_frames ? 0 : 1;
}

void replay_buffer_free(void)
{
    free(g_frames);
    g_frames = nullptr;
    g_capacity = 0;
}

int replay_frame_capacity(void) { return g_capacity; }

// Room for `frames` frames; the new ones zero. 0 done, 1 without memory
// (the buffer stays as it was).
static int resize_buffer(int frames)
{
    void *p = realloc(g_frames, (size_t)frames * sizeof(ReplayFrame));
    if (!p)
        return 1;
    g_frames = static_cast<ReplayFrame *>(p);
    if (frames > g_capacity)
        memset(&g_frames[g_capacity], 0, (size_t)(frames - g_capacity) * sizeof(ReplayFrame));
    g_capacity = frames;
    return 0;
}

ReplayFrame *get_replay_frame(int i)
{
    if (!g_frames || i < 0 || i >= g_capacity)
        return nullptr;
    return &g_frames[i];
}

ReplayFrame *replay_frame_to_fill(int i)
{
    if (!g_frames || i < 0 || i >= REPLAY_FRAMES_MAX)
        return nullptr;
    if (i >= g_capacity) {
        int frames = g_capacity;
        while (frames <= i)
            frames = frames > REPLAY_FRAMES_MAX / 2 ? REPLAY_FRAMES_MAX : frames * 2;
        if (resize_buffer(frames) != 0)
            return nullptr;
    }
    return &g_frames[i];
}

int get_replay_play_frame(void) { return get_game_state()->play_frame; }

void truncate_replay(int i)
{
    if (i < 0)
        i = 0;
    if (i > g_capacity)
        i = g_capacity;
    // A long match's frames go back to the system once they are not needed.
    if (g_frames && g_capacity > REPLAY_FRAMES_START && i <= REPLAY_FRAMES_START)
        resize_buffer(REPLAY_FRAMES_START);
    if (g_frames)
        memset(&g_frames[i], 0, (size_t)(g_capacity - i) * sizeof(ReplayFrame));
    get_game_state()->frames_recorded = i;
    get_game_state()->play_frame = i;
    g_full_reported = 0;
}

// Objects that take values in a frame: existing and not static.
static EnvObjectBody *moving_object(int k)
{
    EnvObjectBody *o = get_env_object(k);
    return (o && o->body && !o->is_static()) ? o : nullptr;
}

// The grip value that acts in this frame: a pending wish (grip or release),
// else a grip in force. Recording the wish as well as the grip in force
// keeps a release in the replay; recording only the state in force would
// replay a released grip as held forever.
static int grip_value_in_frame(const Player *p, int slot)
{
    if (p->grip_wish[slot] != GRIP_NONE)
        return p->grip_wish[slot];
    return p->grip_state[slot] == GRIP_ON ? GRIP_ON : GRIP_NONE;
}

int record_frame_into(ReplayFrame *rf, int full, int frame)
{
    if (!rf)
        return 0;
    const int n = fighter_count();
    int total = 0;
    for (int i = 0; i < MAX_FIGHTERS; i++) {
        rf->change_count[i] = full ? 1 : 0;
        rf->change_bits[i] = 0;
    }
    rf->objects_valid = 0;

    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p || p->hidden)
            continue;
        int count = rf->change_count[i];
        uint32_t bits = 0;
        rf->right_grip[i] = grip_value_in_frame(p, GRIP_RIGHT);
        rf->left_grip[i] = grip_value_in_frame(p, GRIP_LEFT);
        count += (rf->right_grip[i] != 0) + (rf->left_grip[i] != 0);
        rf->emote[i][0] = '\0';
        if (p->emote_new) {
            n_strncpyz(rf->emote[i], p->emote, REPLAY_EMOTE_SIZE);
            bits |= RF_EMOTE;
            count++;
            p->emote_new = 0;
        }
        for (int j = 0; j < JOINT_COUNT; j++) {
            rf->joint_states[i][j] = p->motor_wish[j];
            if (p->motor_wish[j] != 0)
                count++;
            // A break sets the second copy of the break state; it waits there
            // until a frame records it.
            JointState &js = p->joints[j];
            rf->break_marks[i][j] = 0;
            if (js.broken_recorded == JOINT_DISMEMBERED || js.broken_recorded == JOINT_FRACTURED) {
                rf->break_marks[i][j] = js.broken_recorded;
                bits |= js.broken_recorded == JOINT_DISMEMBERED ? RF_DISMEMBER : RF_FRACTURE;
                count++;
                js.broken_recorded = JOINT_INTACT;
            }
        }
        for (int b = 0; b < BODY_COUNT; b++) {
            dBodyID body = p->bodies[b];
            const dReal *pos = dBodyGetPosition(body);
            const dReal *q = dBodyGetQuaternion(body);
            const dReal *lv = dBodyGetLinearVel(body);
            const dReal *av = dBodyGetAngularVel(body);
            for (int k = 0; k < 3; k++) {
                rf->positions[i][b][k] = pos[k];
                rf->linear_vel[i][b][k] = lv[k];
                rf->angular_vel[i][b][k] = av[k];
            }
            for (int k = 0; k < 4; k++)
                rf->rotations[i][b][k] = q[k];
            rf->body_breaks[i][b] = take_body_fracture(i, b);
            if (rf->body_breaks[i][b] != 0) {
                if (rf->body_breaks[i][b] == 1)
                    bits |= RF_BODY_FRACTURE;
                count++;
            }
        }
        bits |= RF_POSITIONS | RF_ROTATIONS | RF_LINEAR_VEL | RF_ANGULAR_VEL;
        rf->change_count[i] = count;
        rf->change_bits[i] = bits;
        total += count;
    }
    if (total == 0)
        return 0;

    // Playback sets each stored quaternion through the engine, which
    // normalises it again and rebuilds the rotation matrix: the last bits
    // change. The live bodies take the same set now, so that the live match
    // and its replay stay identical to the bit.
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p || p->hidden)
            continue;
        for (int b = 0; b < BODY_COUNT; b++)
            dBodySetQuaternion(p->bodies[b], rf->rotations[i][b]);
    }

    for (int k = 0; k < ENV_OBJECT_COUNT; k++) {
        EnvObjectBody *o = moving_object(k);
        if (!o)
            continue;
        const dReal *pos = dBodyGetPosition(o->body);
        const dReal *q = dBodyGetQuaternion(o->body);
        const dReal *lv = dBodyGetLinearVel(o->body);
        const dReal *av = dBodyGetAngularVel(o->body);
        for (int c = 0; c < 3; c++) {
            rf->object_pos[k][c] = pos[c];
            rf->object_linear_vel[k][c] = lv[c];
            rf->object_angular_vel[k][c] = av[c];
        }
        for (int c = 0; c < 4; c++)
            rf->object_rot[k][c] = q[c];
        dBodySetQuaternion(o->body, rf->object_rot[k]);
    }
    rf->objects_valid = 1;
    for (int i = 0; i < n; i++) {
        if (const Player *p = get_player(i)) {
            rf->injury[i] = p->injury;
            rf->score[i] = p->score;
        }
    }
    rf->frame = frame;
    return total;
}

int record_frame(int full, int frame)
{
    return record_frame_into(replay_frame_to_fill(get_game_state()->frames_recorded), full, frame);
}

int store_replay_frame(int full)
{
    WorldState *w = get_game_state();
    if (!g_frames)
        return 1;
    ReplayFrame *rf = replay_frame_to_fill(w->frames_recorded);
    if (!rf) {
        if (!g_full_reported) {
            game_echo(va_format("Replay buffer full: recording stopped at %d frames", w->frames_recorded),
                      MSG_INGAME);
            g_full_reported = 1;
        }
        return 1;
    }
    if (record_frame_into(rf, full, w->frame) != 0)
        w->frames_recorded++;
    return 0;
}

void apply_replay_frame(const ReplayFrame *rf)
{
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p || p->hidden)
            continue;
        const int right = rf->right_grip[i], left = rf->left_grip[i];
        p->grip_wish[GRIP_RIGHT] = (right >= GRIP_NONE && right <= GRIP_RELEASE) ? right : GRIP_NONE;
        p->grip_wish[GRIP_LEFT] = (left >= GRIP_NONE && left <= GRIP_RELEASE) ? left : GRIP_NONE;
        const uint32_t bits = rf->change_bits[i];
        if (bits & RF_EMOTE) {
            char text[REPLAY_EMOTE_SIZE];
            n_strncpyz(text, rf->emote[i], sizeof text);
            set_player_emote(i, text, 5.0f);
            p->emote_new = 0;
        }
        for (int j = 0; j < JOINT_COUNT; j++) {
            const int s = rf->joint_states[i][j];
            p->motor_wish[j] = (s >= MOTOR_NONE && s <= MOTOR_RELAX) ? s : MOTOR_NONE;
        }
        for (int j = 0; j < JOINT_COUNT; j++) {
            const int mark = rf->break_marks[i][j];
            if (p->joints[j].broken == JOINT_INTACT && (mark == JOINT_DISMEMBERED || mark == JOINT_FRACTURED)) {
                break_joint(i, j, mark);
                p->joints[j].broken_recorded = JOINT_INTACT;   // it came from the frame
            }
        }
        // A value the frame cannot give (never read, not finite, beyond the
        // world) leaves the body as it is.
        for (int b = 0; b < BODY_COUNT; b++) {
            dBodyID body = p->bodies[b];
            if (bits & RF_POSITIONS)
                pose_set_position(body, rf->positions[i][b]);
            if (bits & RF_ROTATIONS)
                pose_set_quaternion(body, rf->rotations[i][b]);
            if (bits & RF_ANGULAR_VEL)
                pose_set_angular_vel(body, rf->angular_vel[i][b]);
            if (bits & RF_LINEAR_VEL)
                pose_set_linear_vel(body, rf->linear_vel[i][b]);
        }
    }
    if (rf->objects_valid) {
        for (int k = 0; k < ENV_OBJECT_COUNT; k++) {
            EnvObjectBody *o = moving_object(k);
            if (!o)
                continue;
            pose_set_position(o->body, rf->object_pos[k]);
            pose_set_quaternion(o->body, rf->object_rot[k]);
            pose_set_angular_vel(o->body, rf->object_angular_vel[k]);
            pose_set_linear_vel(o->body, rf->object_linear_vel[k]);
        }
    }
}

int play_replay_frame(int match_frame)
{
    WorldState *w = get_game_state();
    if (!g_frames)
        return 1;
    // Frames behind the match frame can no longer apply: skip them rather
    // than stall the playback on them.
    while (w->play_frame >= 0 && w->play_frame < w->frames_recorded && g_frames[w->play_frame].frame < match_frame)
        w->play_frame++;
    if (w->play_frame < 0 || w->play_frame >= w->frames_recorded)
        return 1;
    const ReplayFrame *rf = &g_frames[w->play_frame];
    if (rf->frame != match_frame)
        return 1;
    apply_replay_frame(rf);
    w->play_frame++;
    return 0;
}

void limit_body_velocities(void)
{
    // The live blood drops feel the air too; during a preview they are off.
    if (get_game_state()->ghost_mode == 0)
        blood_drops_drag();
    const int records = get_game_globals()->built_players;
    for (int i = 0; i < records; i++) {
        Player *p = get_player(i);
        if (!p || p->hidden)
            continue;
        for (int b = 0; b < BODY_COUNT; b++) {
            dBodyID body = p->bodies[b];
            const dReal *av = dBodyGetAngularVel(body);
            const dReal *lv = dBodyGetLinearVel(body);
            double w3[3], v3[3];
            bool limited = false;
            for (int k = 0; k < 3; k++) {
                w3[k] = av[k];
                if (w3[k] > 150) {
                    w3[k] = 150;
                    limited = true;
                } else if (w3[k] < -150) {
                    w3[k] = -150;
                    limited = true;
                }
                v3[k] = lv[k];
                if (v3[k] > 100)
                    v3[k] = 10;
                else if (v3[k] < -100)
                    v3[k] = -10;
            }
            if (limited) {
                dBodySetTorque(body, 0, 0, 0);
                dBodySetAngularVel(body, w3[0], w3[1], w3[2]);
                continue;
            }
            dMass m;
            dBodyGetMass(body, &m);
            dBodyAddForce(body, -v3[0] * m.mass * 0.001, -v3[1] * m.mass * 0.001, -v3[2] * m.mass * 0.001);
            dBodyAddTorque(body, -w3[0] * w3[0] * w3[0] * m.mass * 1e-5, -w3[1] * w3[1] * w3[1] * m.mass * 1e-5,
                           -w3[2] * w3[2] * w3[2] * m.mass * 1e-5);
        }
    }
}
