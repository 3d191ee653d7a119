#include "net/records/player_records.h"

#include <cstdio>
#include <cstring>

#include "app/base/number_text.h"

static GhostBuffer g_ghost;
static MoneyRecord g_money;

void parse_rpg_stats(const char *text, RpgStats *stats)
{
    if (stats)
        read_int_list(text, BASE_C_FORMS, RPG_STATS, stats->value);
}

const char *format_rpg_message(int player, const RpgStats *stats)
{
    static thread_local char buf[RPG_MESSAGE_SIZE];
    static const RpgStats zero = {};
    const int32_t *v = (stats ? stats : &zero)->value;
    snprintf(buf, sizeof buf, "RPG %i;%i %i %i %i %i %i\n", player, (int)v[0], (int)v[1], (int)v[2],
             (int)v[3], (int)v[4], (int)v[5]);
    return buf;
}

void parse_ghost_line(const char *text, GhostBuffer *buffer)
{
    if (!buffer)
        return;
    if (read_int_list(text, BASE_C_FORMS, GHOST_VALUES, buffer->value) > 0)
        buffer->set = 1;
}

GhostBuffer *get_ghost_buffer(void)
{
    return &g_ghost;
}

void parse_money_reply(const char *text, MoneyRecord *money)
{
    if (!money)
        return;
    int32_t v[2];
    if (read_int_list(text, BASE_C_FORMS, 2, v) == 2) {
        money->value[0] = v[0];
        money->value[1] = v[1];
        money->received = 1;
    }
}

MoneyRecord *get_money_record(void)
{
    return &g_money;
}
