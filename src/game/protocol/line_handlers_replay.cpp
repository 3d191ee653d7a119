// The replay column of the per-frame rows: each line writes into the replay
// frame being filled (the FRAME row advances it), for the fighter numbered
// by the line.
#include <cstdio>
#include <cstring>

#include "app/base/text.h"
#include "game/camera_keys.h"
#include "game/game_state.h"
#include "game/protocol/line_handlers_replay.h"
#include "game/protocol/line_values.h"
#include "game/mod_world.h"
#include "game/replay_buffer.h"
#include "game/protocol/replay_file.h"
#include "net/records/wire_text.h"
#include "app/base/number_text.h"

// The reader's position: the frame being filled and the last FRAME number,
// kept in the game state.
static int32_t &frame_index(void) { return get_game_state()->replay_read_frame; }
static int32_t &last_frame_number(void) { return get_game_state()->replay_last_frame_number; }

void replay_reader_reset(void)
{
    frame_index() = 0;
    last_frame_number() = 0;
}

int replay_reader_frame_index(void)
{
    const int i = frame_index();
    return i < 0 ? 0 : (i >= REPLAY_FRAMES_MAX ? REPLAY_FRAMES_MAX - 1 : i);
}

static ReplayFrame *current(void) { return replay_frame_to_fill(replay_reader_frame_index()); }

// The frame being filled when number is a fighter slot of the frame.
static ReplayFrame *frame_for(const char *keyword, int number)
{
    if (number < 0 || number >= MAX_FIGHTERS) {
        fprintf(stderr, "%s: fighter %d out of range, dropped\n", keyword, number);
        return nullptr;
    }
    return current();
}

void replay_frame(int number, const LineArg *arg)
{
    ReplayFrame *rf = current();
    if (!rf)
        return;
    if (number != last_frame_number()) {
        bool changed = false;
        for (int i = 0; i < MAX_FIGHTERS; i++)
            changed = changed || rf->change_count[i] != 0;
        // The next frame, while the buffer can take one more.
        if (changed && replay_frame_to_fill(frame_index() + 1)) {
            frame_index()++;
            rf = current();
        }
    }
    last_frame_number() = number;
    rf->frame = number;
    const int n = fighter_count();
    int32_t v[2 * MAX_FIGHTERS];
    const int got = read_int_list(line_arg_text(arg), BASE_C_FORMS, 2 * n, v);
    for (int i = 0; i < n; i++) {
        if (i < got)
            rf->injury[i] = (float)v[i];
        if (n + i < got)
            rf->score[i] = (float)v[n + i];
    }
}

// ---- body state ----

// The frame rows of fighter `number` a state keyword fills.
static double *frame_rows(ReplayFrame *rf, int number, int bit)
{
    switch (bit) {
    case RF_ROTATIONS: return &rf->rotations[number][0][0];
    case RF_POSITIONS: return &rf->positions[number][0][0];
    case RF_LINEAR_VEL: return &rf->linear_vel[number][0][0];
    default: return &rf->angular_vel[number][0][0];
    }
}

// Text rows take up to 21 whole groups; block rows need all 21.
static void body_state(const char *keyword, int number, const LineArg *arg, int width, int bit, int block)
{
    ReplayFrame *rf = frame_for(keyword, number);
    if (!rf || line_body_rows(keyword, arg, width, block, frame_rows(rf, number, bit)) < 0)
        return;
    rf->change_count[number]++;
    rf->change_bits[number] |= (uint32_t)bit;
}

static void text_state(const char *keyword, int number, const LineArg *arg, int width, int bit)
{
    body_state(keyword, number, arg, width, bit, 0);
}

void replay_qat(int number, const LineArg *arg) { text_state("QAT", number, arg, 4, RF_ROTATIONS); }
void replay_pos(int number, const LineArg *arg) { text_state("POS", number, arg, 3, RF_POSITIONS); }
void replay_linvel(int number, const LineArg *arg) { text_state("LINVEL", number, arg, 3, RF_LINEAR_VEL); }
void replay_angvel(int number, const LineArg *arg) { text_state("ANGVEL", number, arg, 3, RF_ANGULAR_VEL); }

static void block_state(const char *keyword, int number, const LineArg *arg, int width, int bit)
{
    body_state(keyword, number, arg, width, bit, 1);
}

void replay_p_qat(int number, const LineArg *arg) { block_state("P_QAT", number, arg, 4, RF_ROTATIONS); }
void replay_p_pos(int number, const LineArg *arg) { block_state("P_POS", number, arg, 3, RF_POSITIONS); }
void replay_p_linvel(int number, const LineArg *arg) { block_state("P_LINVEL", number, arg, 3, RF_LINEAR_VEL); }
void replay_p_angvel(int number, const LineArg *arg) { block_state("P_ANGVEL", number, arg, 3, RF_ANGULAR_VEL); }

// ---- turn input, breaks, emote ----

void replay_joint(int number, const LineArg *arg)
{
    ReplayFrame *rf = frame_for("JOINT", number);
    if (!rf)
        return;
    int32_t pairs[JOINT_COUNT][2];
    const int n = line_joint_pairs("JOINT", arg, pairs);
    for (int k = 0; k < n; k++)
        rf->joint_states[number][pairs[k][0]] = pairs[k][1];
    rf->change_count[number]++;
}

void replay_grip(int number, const LineArg *arg)
{
    ReplayFrame *rf = frame_for("GRIP", number);
    if (!rf)
        return;
    int32_t v[2];
    if (line_grip_pair("GRIP", arg, v))
        return;
    rf->left_grip[number] = v[0];
    rf->right_grip[number] = v[1];
}

static void break_marks(const char *keyword, int number, const LineArg *arg, int mark, uint32_t bit)
{
    ReplayFrame *rf = frame_for(keyword, number);
    if (!rf)
        return;
    int32_t joints[JOINT_COUNT];
    const int n = line_joint_list(keyword, arg, joints);
    for (int k = 0; k < n; k++)
        rf->break_marks[number][joints[k]] = mark;
    rf->change_count[number]++;
    rf->change_bits[number] |= bit;
}

void replay_crush(int number, const LineArg *arg) { break_marks("CRUSH", number, arg, JOINT_DISMEMBERED, RF_DISMEMBER); }
void replay_fract(int number, const LineArg *arg) { break_marks("FRACT", number, arg, JOINT_FRACTURED, RF_FRACTURE); }

void replay_emote(int number, const LineArg *arg)
{
    ReplayFrame *rf = frame_for("EMOTE", number);
    if (!rf)
        return;
    wire_copy_field(rf->emote[number], line_arg_text(arg), REPLAY_EMOTE_SIZE);
    rf->change_count[number]++;
    rf->change_bits[number] |= RF_EMOTE;
}

// ---- environment objects ----

// Walks the objects that take state; each consumes width values.
static void object_values(const char *keyword, const double *v, int n, int width, double (*dst)[3],
                          double (*dst4)[4])
{
    int k = 0;
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        if (!env_object_takes_state(i))
            continue;
        if (k + width > n) {
            if (k < n)
                fprintf(stderr, "%s: values end inside object %d, rest dropped\n", keyword, i);
            break;
        }
        memcpy(width == 4 ? dst4[i] : dst[i], v + k, sizeof(double) * (size_t)width);
        k += width;
    }
}

static void env_line(const char *keyword, const LineArg *arg, int which)
{
    ReplayFrame *rf = current();
    if (!rf)
        return;
    double v[ENV_OBJECT_COUNT * 4];
    const int width = which == 1 ? 4 : 3;
    const int n = read_double_list(line_arg_text(arg), ENV_OBJECT_COUNT * width, v);
    switch (which) {
    case 0: object_values(keyword, v, n, 3, rf->object_pos, nullptr); break;
    case 1: object_values(keyword, v, n, 4, nullptr, rf->object_rot); break;
    case 2: object_values(keyword, v, n, 3, rf->object_angular_vel, nullptr); break;
    default: object_values(keyword, v, n, 3, rf->object_linear_vel, nullptr); break;
    }
    rf->objects_valid = 1;
}

void replay_epos(int, const LineArg *arg) { env_line("EPOS", arg, 0); }
void replay_eqat(int, const LineArg *arg) { env_line("EQAT", arg, 1); }
void replay_eangvel(int, const LineArg *arg) { env_line("EANGVEL", arg, 2); }
void replay_elinvel(int, const LineArg *arg) { env_line("ELINVEL", arg, 3); }

// 13 words per object: position 3, quaternion 4, angular velocity 3, linear 3.
void replay_p_env(int, const LineArg *arg)
{
    ReplayFrame *rf = current();
    double v[CMD_BLOCK_MAX_WORDS];
    const int n = line_block_values("P_ENV", arg, 0, CMD_BLOCK_MAX_WORDS, v);
    if (!rf || n < 0)
        return;
    int k = 0;
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        if (!env_object_takes_state(i))
            continue;
        if (k + 13 > n) {
            fprintf(stderr, "P_ENV: block ends before object %d, rest dropped\n", i);
            break;
        }
        memcpy(rf->object_pos[i], v + k, 3 * sizeof(double));
        memcpy(rf->object_rot[i], v + k + 3, 4 * sizeof(double));
        memcpy(rf->object_angular_vel[i], v + k + 7, 3 * sizeof(double));
        memcpy(rf->object_linear_vel[i], v + k + 10, 3 * sizeof(double));
        k += 13;
    }
    rf->objects_valid = 1;
}

// "%f %f %f %f %f %f": a camera keyframe at frame n.
void replay_cam(int number, const LineArg *arg)
{
    double v[6];
    if (read_double_list(line_arg_text(arg), 6, v) < 6) {
        fprintf(stderr, "CAM: needs six numbers, dropped\n");
        return;
    }
    const float pos[3] = {(float)v[0], (float)v[1], (float)v[2]};
    const float look[3] = {(float)v[3], (float)v[4], (float)v[5]};
    camera_key_add(number, pos, look);
}
