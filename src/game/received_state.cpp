#include "game/received_state.h"

#include <cstring>

static ReceivedState g_received[MAX_FIGHTERS];
static int32_t g_batches[BATCH_COUNT][BATCH_WORDS];

ReceivedState *get_received_state(int i)
{
    return i >= 0 && i < MAX_FIGHTERS ? &g_received[i] : nullptr;
}

int32_t *get_batch(int b)
{
    return b >= 0 && b < BATCH_COUNT ? g_batches[b] : nullptr;
}

void clear_received_state(void)
{
    memset(g_received, 0, sizeof g_received);
    memset(g_batches, 0, sizeof g_batches);
    get_game_state()->received_mask = 0;
    for (int i = 0; i < MAX_FIGHTERS; i++) {
        Player *p = get_player(i);
        if (p)
            p->received_mask = 0;
    }
}
