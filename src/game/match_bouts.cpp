#include "game/match_bouts.h"
#include <cstring>
#include "app/base/text.h"

static MatchBout g_bouts[MATCH_BOUT_SLOTS];
static int g_ready;

void clear_match_bouts(void)
{
    memset(g_bouts, 0, sizeof g_bouts);
    for (MatchBout &b : g_bouts)
        b.bout = -1;
    g_ready = 1;
}

MatchBout *get_match_bout(int i)
{
    if (i < 0 || i >= MATCH_BOUT_SLOTS)
        return nullptr;
    if (!g_ready)
        clear_match_bouts();
    return &g_bouts[i];
}

int set_match_bout(int i, int bout, const char *name, int qi, int streak, int winnings)
{
    MatchBout *b = get_match_bout(i);
    if (!b)
        return 1;
    memset(b, 0, sizeof *b);
    b->bout = bout < 0 ? -1 : bout;
    if (b->bout >= 0) {
        n_strncpyz(b->name, name ? name : "", sizeof b->name);
        b->qi = qi;
        b->streak = streak;
        b->winnings = winnings;
    }
    return 0;
}

MatchBout *get_match_record(void) { return get_match_bout(0); }
