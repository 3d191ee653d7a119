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
