// The game-server column of the per-fighter rows: what the server says about
// each fighter goes into its received state (received_state.h) and marks the
// fighter's received mask, so that the network turn hand-over can apply it
// all at once. Also the turn input rows, the batch table and the results.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/text.h"
#include "app/base/number_text.h"
#include "game/env_objects.h"
#include "game/game_state.h"
#include "game/joints.h"
#include "game/protocol/line_handlers_state.h"
#include "game/protocol/line_values.h"
#include "game/contact_damage.h"
#include "game/joint_breaks.h"
#include "game/match_end.h"
#include "game/mod_file.h"
#include "game/mod_world.h"
#include "game/received_state.h"
#include "game/pose_check.h"
#include "game/rpg_stats.h"

// ---- body state ----

static ReceivedState *received_for(const char *keyword, int number)
{
    return line_fighter_ok(keyword, number) ? get_received_state(number) : nullptr;
}

static void mark(int number, int bits)
{
    get_player(number)->received_mask |= bits;
}

// The received rows a state keyword fills.
static double *received_rows(ReceivedState *r, int bit)
{
    switch (bit) {
    case RECV_ROTATIONS: return &r->rotations[0][0];
    case RECV_POSITIONS: return &r->positions[0][0];
    case RECV_LINEAR_VEL: return &r->linear_vel[0][0];
    default: return &r->angular_vel[0][0];
    }
}

// Text rows take up to 21 whole groups; block rows need all 21.
static void state_groups(const char *keyword, int number, const LineArg *arg, int width, int bit, int block)
{
    ReceivedState *r = received_for(keyword, number);
    if (r && line_body_rows(keyword, arg, width, block, received_rows(r, bit)) >= 0)
        mark(number, bit);
}

static void text_groups(const char *keyword, int number, const LineArg *arg, int width, int bit)
{
    state_groups(keyword, number, arg, width, bit, 0);
}

void server_qat(int number, const LineArg *arg) { text_groups("QAT", number, arg, 4, RECV_ROTATIONS); }
void server_pos(int number, const LineArg *arg) { text_groups("POS", number, arg, 3, RECV_POSITIONS); }
void server_linvel(int number, const LineArg *arg) { text_groups("LINVEL", number, arg, 3, RECV_LINEAR_VEL); }
void server_angvel(int number, const LineArg *arg) { text_groups("ANGVEL", number, arg, 3, RECV_ANGULAR_VEL); }

static void block_groups(const char *keyword, int number, const LineArg *arg, int width, int bit)
{
    state_groups(keyword, number, arg, width, bit, 1);
}

void server_p_qat(int number, const LineArg *arg) { block_groups("P_QAT", number, arg, 4, RECV_ROTATIONS); }
void server_p_pos(int number, const LineArg *arg) { block_groups("P_POS", number, arg, 3, RECV_POSITIONS); }
void server_p_linvel(int number, const LineArg *arg) { block_groups("P_LINVEL", number, arg, 3, RECV_LINEAR_VEL); }
void server_p_angvel(int number, const LineArg *arg) { block_groups("P_ANGVEL", number, arg, 3, RECV_ANGULAR_VEL); }

void server_p_env(int, const LineArg *arg)
{
    double v[CMD_BLOCK_MAX_WORDS];
    const int n = line_block_values("P_ENV", arg, 0, CMD_BLOCK_MAX_WORDS, v);
    if (n < 0)
        return;
    int k = 0;
    for (int i = 0; i < ENV_OBJECT_COUNT; i++) {
        if (!env_object_takes_state(i))
            continue;
        if (k + 13 > n) {
            fprintf(stderr, "P_ENV: block ends before object %d, rest dropped\n", i);
            break;
        }
        EnvObject *o = get_env_object_def(i);
        memcpy(o->state_pos, v + k, sizeof o->state_pos);
        memcpy(o->state_quat, v + k + 3, sizeof o->state_quat);
        memcpy(o->state_avel, v + k + 7, sizeof o->state_avel);
        memcpy(o->state_lvel, v + k + 10, sizeof o->state_lvel);
        k += 13;
    }
    get_mod_world()->env_received = 1;
}

// ---- motors ----

static void hinge_values(const char *keyword, int number, const LineArg *arg, int param, int bit)
{
    ReceivedState *r = received_for(keyword, number);
    if (!r)
        return;
    double v[JOINT_COUNT];
    const int n = read_double_list(line_arg_text(arg), JOINT_COUNT, v);
    Player *p = get_player(number);
    for (int j = 0; j < n; j++) {
        if (param == dParamFMax && !(v[j] >= 0 && v[j] <= MOTOR_FORCE_LIMIT)) {
            fprintf(stderr, "%s: force limit %g for joint %d ignored\n", keyword, v[j], j);
            continue;
        }
        if (param == dParamVel && !(std::fabs(v[j]) <= POSE_VELOCITY_LIMIT)) {
            fprintf(stderr, "%s: velocity %g for joint %d ignored\n", keyword, v[j], j);
            continue;
        }
        (param == dParamFMax ? r->hinge_fmax : r->hinge_vel)[j] = v[j];
        if (p->hinges[j])
            dJointSetHingeParam(p->hinges[j], param, v[j]);
    }
    mark(number, bit);
}

void server_hingevel(int number, const LineArg *arg) { hinge_values("HINGEVEL", number, arg, dParamVel, RECV_HINGE_VEL); }
void server_hingefmax(int number, const LineArg *arg) { hinge_values("HINGEFMAX", number, arg, dParamFMax, RECV_HINGE_FMAX); }

// ---- breaks ----

static void break_list(const char *keyword, int number, const LineArg *arg, int type, int bit)
{
    if (!line_fighter_ok(keyword, number))
        return;
    int32_t joints[JOINT_COUNT];
    const int n = line_joint_list(keyword, arg, joints);
    for (int k = 0; k < n; k++)
        set_pending_break(number, joints[k], type, 0);
    mark(number, bit);
}

void server_crush(int number, const LineArg *arg) { break_list("CRUSH", number, arg, JOINT_DISMEMBERED, RECV_DISMEMBER); }
void server_fract(int number, const LineArg *arg) { break_list("FRACT", number, arg, JOINT_FRACTURED, RECV_FRACTURE); }

static void timed_break(const char *keyword, int number, const LineArg *arg, int type)
{
    if (!line_fighter_ok(keyword, number))
        return;
    int32_t v[2];
    if (read_int_list(line_arg_text(arg), BASE_C_FORMS, 2, v) < 2 || v[1] < 0 || v[1] >= JOINT_COUNT) {
        fprintf(stderr, "%s: needs a frame and a joint 0..19, dropped\n", keyword);
        return;
    }
    set_pending_break(number, v[1], type, v[0]);
}

void server_break(int number, const LineArg *arg) { timed_break("BREAK", number, arg, JOINT_DISMEMBERED); }
void server_discl(int number, const LineArg *arg) { timed_break("DISCL", number, arg, JOINT_FRACTURED); }

// ---- turn input ----

void server_grip(int number, const LineArg *arg)
{
    if (line_fighter_ok("GRIP", number))
        parse_grip_pair(number, line_arg_text(arg));
}

void server_joint(int number, const LineArg *arg)
{
    if (!line_fighter_ok("JOINT", number))
        return;
    parse_joint_pairs(number, line_arg_text(arg));
    get_player(number)->ready = 1;
}

// "%i %i %i %i %lf %lf %lf": the fighter gripped (-1 an environment
// object), the body or object gripped, the hand (body 11 or 12), a fourth
// number kept as sent, and the point.
// Returns the hand's body, or -1 when the line is dropped.
static int read_grab(const char *keyword, int number, const LineArg *arg, GrabRecord *hands)
{
    if (!line_fighter_ok(keyword, number))
        return -1;
    int32_t v[4];
    const char *s = line_arg_text(arg);
    if (read_int_list(s, BASE_C_FORMS, 4, v) < 4) {
        fprintf(stderr, "%s: needs four numbers and a point, dropped\n", keyword);
        return -1;
    }
    const int hand = grip_hand_slot(v[2]);
    if (hand < 0) {
        fprintf(stderr, "%s: hand %d is no hand (11 or 12), dropped\n", keyword, v[2]);
        return -1;
    }
    // The point follows the four integers.
    double point[3] = {0, 0, 0};
    read_double_list(skip_words(s, 4), 3, point);
    GrabRecord &g = hands[hand];
    g.first = v[0];
    g.second = v[1];
    g.fourth = v[3];
    memcpy(g.point, point, sizeof point);
    g.set = 1;
    return v[2];
}

// The record, then the grip it names, made by the grip code.
void server_grab(int number, const LineArg *arg)
{
    ReceivedState *r = get_received_state(number);
    const int hand = r ? read_grab("GRAB", number, arg, r->grab) : -1;
    if (hand < 0)
        return;
    const GrabRecord &g = r->grab[grip_hand_slot(hand)];
    const bool object = g.first < 0;
    if ((object && (g.first != -1 || !get_env_object(g.second))) ||
        (!object && (g.first >= fighter_count() || g.second < 0 || g.second >= BODY_COUNT))) {
        fprintf(stderr, "GRAB: nothing to grip at %d %d, dropped\n", g.first, g.second);
        return;
    }
    grip_from_record(number, g.first, hand, g.second, g.point);
}

void replay_grab(int number, const LineArg *arg)
{
    ReceivedState *r = get_received_state(number);
    read_grab("GRAB", number, arg, r ? r->replay_grab : nullptr);
}

// "%i %i %i %i": two pairs (hand body, on), each applied to that hand's size.
void server_size(int number, const LineArg *arg)
{
    if (!line_fighter_ok("SIZE", number))
        return;
    int32_t v[4];
    const int n = read_int_list(line_arg_text(arg), BASE_C_FORMS, 4, v);
    for (int k = 0; k + 1 < n; k += 2) {
        if (grip_hand_slot(v[k]) < 0) {
            fprintf(stderr, "SIZE: hand %d is no hand (11 or 12), pair dropped\n", v[k]);
            continue;
        }
        apply_grip(number, v[k], v[k + 1] != 0);
    }
}

void server_ready(int number, const LineArg *)
{
    if (line_fighter_ok("READY", number))
        get_player(number)->ready = 1;
}

void server_batch(int number, const LineArg *arg)
{
    if (!line_fighter_ok("BATCH", number))
        return;
    int32_t v = 0;
    if (read_int_list(line_arg_text(arg), BASE_C_FORMS, 1, &v) < 1) {
        fprintf(stderr, "BATCH: no value, dropped\n");
        return;
    }
    if (v == -1) {
        get_player(number)->ready = 1;
        return;
    }
    if (!get_batch(v)) {
        fprintf(stderr, "BATCH: batch %d out of range 0..%d, dropped\n", v, BATCH_COUNT - 1);
        return;
    }
    get_received_state(number)->batch_index = v;
}

static int32_t *current_batch(const char *keyword, int number)
{
    if (!line_fighter_ok(keyword, number))
        return nullptr;
    return get_batch(get_received_state(number)->batch_index);
}

// Batch words: left grips of both fighters, right grips of both, then 20
// joint states per fighter.
void server_b_grip(int number, const LineArg *arg)
{
    int32_t *b = current_batch("B_GRIP", number);
    if (!b)
        return;
    int32_t v[2];
    if (line_grip_pair("B_GRIP", arg, v))
        return;
    b[number] = v[0];
    b[MAX_FIGHTERS + number] = v[1];
}

void server_b_joint(int number, const LineArg *arg)
{
    int32_t *b = current_batch("B_JOINT", number);
    if (!b)
        return;
    int32_t pairs[JOINT_COUNT][2];
    const int n = line_joint_pairs("B_JOINT", arg, pairs);
    for (int k = 0; k < n; k++)
        b[2 * MAX_FIGHTERS + JOINT_COUNT * number + pairs[k][0]] = pairs[k][1];
}

void server_world(int, const LineArg *)
{
    get_game_state()->received_mask |= RECV_WORLD;
}

// Per fighter its injury, then (when more text follows) per fighter its score.
void server_frame(int, const LineArg *arg)
{
    const int n = fighter_count();
    int32_t v[2 * MAX_FIGHTERS];
    const int got = read_int_list(line_arg_text(arg), BASE_C_FORMS, 2 * n, v);
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p)
            continue;
        if (i < got)
            p->injury = (float)v[i];
        if (n + i < got)
            p->score = (float)v[n + i];
    }
}

// ---- results ----

static void mark_result(void)
{
    for (int i = 0; i < fighter_count(); i++)
        if (get_player(i))
            get_player(i)->received_mask |= RECV_RESULT;
    get_game_state()->received_mask |= RECV_RESULT;
}

static void one_mark(int32_t fighter, int32_t *marks)
{
    for (int k = 0; k < MAX_FIGHTERS; k++)
        marks[k] = -1;
    if (fighter >= 0 && fighter < fighter_count())
        marks[fighter] = fighter;
    else if (fighter != -1)
        fprintf(stderr, "WIN: fighter %d out of range, mark dropped\n", fighter);
}

// "%i %i %i %i %i %f %f %f %i"
void server_win(int number, const LineArg *arg)
{
    const char *s = line_arg_text(arg);
    int32_t v[5] = {0, -1, -1, 0, 0};
    int err = 0;
    for (int k = 0; k < 5 && !err; k++)
        s = next_int_word(s, &v[k], &err);
    if (err) {
        fprintf(stderr, "WIN: needs five numbers, dropped\n");
        return;
    }
    double point[3] = {0, 0, 0};
    const int got = read_double_list(s, 3, point);
    int32_t last = 0;
    s = skip_words(s, got);
    next_int_word(s, &last, &err);
    int32_t winners[MAX_FIGHTERS], losers[MAX_FIGHTERS];
    one_mark(v[1], winners);
    one_mark(v[2], losers);
    record_server_result(number, v[0], winners, losers, nullptr, nullptr, nullptr, last);
    get_game_state()->decision_frame = number;
    mark_result();
}

// The kind, four per-fighter integer lists (winner marks, loser marks,
// injuries, scores), three floats per fighter, a last integer.
void server_win2(int number, const LineArg *arg)
{
    const int n = fighter_count();
    const char *s = line_arg_text(arg);
    int32_t kind = 0;
    int err = 0;
    s = next_int_word(s, &kind, &err);
    int32_t lists[4][MAX_FIGHTERS];
    for (int l = 0; l < 4; l++)
        for (int i = 0; i < MAX_FIGHTERS; i++)
            lists[l][i] = l < 2 ? -1 : 0;
    for (int l = 0; l < 4 && !err; l++)
        for (int i = 0; i < n && !err; i++)
            s = next_int_word(s, &lists[l][i], &err);
    if (err) {
        fprintf(stderr, "WIN2: needs the kind and four lists of %d numbers, dropped\n", n);
        return;
    }
    for (int l = 0; l < 2; l++)
        for (int i = 0; i < MAX_FIGHTERS; i++)
            if (lists[l][i] < -1 || lists[l][i] >= n) {
                fprintf(stderr, "WIN2: fighter %d out of range, mark dropped\n", lists[l][i]);
                lists[l][i] = -1;
            }
    float injuries[MAX_FIGHTERS] = {0}, scores[MAX_FIGHTERS] = {0};
    double positions[MAX_FIGHTERS][3] = {};
    for (int i = 0; i < n; i++) {
        injuries[i] = (float)lists[2][i];
        scores[i] = (float)lists[3][i];
    }
    const int got = read_double_list(s, 3 * n, &positions[0][0]);
    s = skip_words(s, got);
    int32_t last = 0;
    next_int_word(s, &last, &err);
    record_server_result(number, kind, lists[0], lists[1], injuries, scores, positions, last);
    get_game_state()->decision_frame = number;
    mark_result();
}

// One integer per fighter (injuries) and, when more text follows, one more
// per fighter (scores).
void server_game(int number, const LineArg *arg)
{
    const int n = fighter_count();
    int32_t v[2 * MAX_FIGHTERS];
    const int got = read_int_list(line_arg_text(arg), BASE_C_FORMS, 2 * n, v);
    if (got < n) {
        fprintf(stderr, "GAME: needs %d injuries, dropped\n", n);
        return;
    }
    float injuries[MAX_FIGHTERS] = {0}, scores[MAX_FIGHTERS] = {0};
    for (int i = 0; i < n; i++) {
        injuries[i] = (float)v[i];
        scores[i] = got >= 2 * n ? (float)v[n + i] : 0.0f;
    }
    record_server_scores(number, injuries, got >= 2 * n ? scores : nullptr);
    mark_result();
}

// "%i %i %f %f %f": fighter, mark, point.
void server_lost(int number, const LineArg *arg)
{
    const char *s = line_arg_text(arg);
    int32_t fighter = -1, value = 0;
    int err = 0;
    s = next_int_word(s, &fighter, &err);
    if (!err)
        s = next_int_word(s, &value, &err);
    if (err || fighter < 0 || fighter >= fighter_count()) {
        fprintf(stderr, "LOST: needs a fighter 0..%d and a value, dropped\n", fighter_count() - 1);
        return;
    }
    double point[3] = {0, 0, 0};
    const int got = read_double_list(s, 3, point);
    record_lost_mark(number, fighter, value, got == 3 ? point : nullptr);
    get_player(fighter)->received_mask |= RECV_GROUND_IMPACT;
    get_game_state()->received_mask |= RECV_GROUND_IMPACT;
}

// ---- the per-player rpg joint rows ----

// 20 blank-separated values, one per joint, into the player's rpg joint
// table: strength and velocity as numbers, dm_threshold as integers.
static void rpg_joint_line(const char *keyword, int number, const LineArg *arg, int field)
{
    if (!get_rpg_joint_table(number)) {
        fprintf(stderr, "%s: player %d out of range, dropped\n", keyword, number);
        return;
    }
    double v[RPG_JOINTS];
    int n = 0;
    if (field == RPG_JOINT_DM_THRESHOLD) {
        int32_t ints[RPG_JOINTS];
        n = read_int_list(line_arg_text(arg), BASE_C_FORMS, RPG_JOINTS, ints);
        for (int j = 0; j < n; j++)
            v[j] = ints[j];
    } else {
        n = read_double_list(line_arg_text(arg), RPG_JOINTS, v);
    }
    set_rpg_joint_values(number, field, v, n);
}

void line_rpg_strength(int number, const LineArg *arg) { rpg_joint_line("RPG_STRENGTH", number, arg, RPG_JOINT_STRENGTH); }
void line_rpg_speed(int number, const LineArg *arg) { rpg_joint_line("RPG_SPEED", number, arg, RPG_JOINT_VELOCITY); }
void line_rpg_dm_thresh(int number, const LineArg *arg) { rpg_joint_line("RPG_DM_THRESH", number, arg, RPG_JOINT_DM_THRESHOLD); }
