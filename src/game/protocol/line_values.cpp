// Small readers the line handlers share.
#include "game/protocol/line_values.h"

#include <cstdio>
#include <cstring>

#include "app/base/number_text.h"
#include "game/game_state.h"

const char *line_arg_text(const LineArg *arg)
{
    return arg && arg->text ? arg->text : "";
}

int line_fighter_ok(const char *keyword, int number)
{
    const int n = fighter_count();
    if (number < 0 || number >= n || !get_player(number)) {
        fprintf(stderr, "%s: fighter %d out of range, line dropped\n", keyword, number);
        return 0;
    }
    return 1;
}

int line_block_values(const char *keyword, const LineArg *arg, int need, int max, double *out)
{
    if (!arg || !arg->words || arg->word_count < 1) {
        fprintf(stderr, "%s: no block, dropped\n", keyword);
        return -1;
    }
    const int have = arg->word_count - 1;
    if (have < need) {
        fprintf(stderr, "%s: block of %d words, %d needed, dropped\n", keyword, arg->word_count, need + 1);
        return -1;
    }
    const int n = have < max ? have : max;
    for (int i = 0; i < n; i++)
        out[i] = arg->words[1 + i] * 1e-6;
    return n;
}

int line_body_rows(const char *keyword, const LineArg *arg, int width, int block, double *rows)
{
    double v[BODY_COUNT * 4];
    const int max = BODY_COUNT * width;
    int n = block ? line_block_values(keyword, arg, max, max, v) : read_double_list(line_arg_text(arg), max, v);
    if (n < 0)
        return -1;
    n -= n % width;     // a group read only in part is not taken
    memcpy(rows, v, sizeof(double) * (size_t)n);
    return n;
}

int line_grip_pair(const char *keyword, const LineArg *arg, int32_t grips[2])
{
    if (read_int_list(line_arg_text(arg), BASE_C_FORMS, 2, grips) < 2 || grips[0] < GRIP_NONE ||
        grips[0] > GRIP_RELEASE || grips[1] < GRIP_NONE || grips[1] > GRIP_RELEASE) {
        fprintf(stderr, "%s: needs two grips 0..2, dropped\n", keyword);
        return 1;
    }
    return 0;
}

int line_joint_pairs(const char *keyword, const LineArg *arg, int32_t pairs[][2])
{
    int32_t v[JOINT_COUNT * 2];
    const int n = read_int_list(line_arg_text(arg), BASE_C_FORMS, JOINT_COUNT * 2, v);
    int kept = 0;
    for (int k = 0; k + 1 < n; k += 2) {
        if (v[k] < 0 || v[k] >= JOINT_COUNT || v[k + 1] < MOTOR_NONE || v[k + 1] > MOTOR_RELAX) {
            fprintf(stderr, "%s: pair %d %d refused (joint 0..19, state 0..4)\n", keyword, v[k], v[k + 1]);
            continue;
        }
        pairs[kept][0] = v[k];
        pairs[kept][1] = v[k + 1];
        kept++;
    }
    return kept;
}

int line_joint_list(const char *keyword, const LineArg *arg, int32_t *joints)
{
    int32_t v[JOINT_COUNT];
    const int n = read_int_list(line_arg_text(arg), BASE_C_FORMS, JOINT_COUNT, v);
    int kept = 0;
    for (int k = 0; k < n; k++) {
        if (v[k] < 0 || v[k] >= JOINT_COUNT) {
            fprintf(stderr, "%s: joint %d out of range, dropped\n", keyword, v[k]);
            continue;
        }
        joints[kept++] = v[k];
    }
    return kept;
}
