#include "net/records/bout_records.h"

#include <cstring>

#include "app/base/text.h"
#include "game/game_state.h"

#include "net/records/bout_line.h"

void bout_records_commit(const BoutLine *lines, int n)
{
    clear_bouts();
    int used = 0;
    for (int i = 0; i < n && i < BOUT_COUNT; i++) {
        if (!lines[i].used)
            continue;
        Bout *b = get_bout(i);
        n_strncpyz(b->name, lines[i].name, BOUT_NAME_SIZE);
        b->server_id = lines[i].server_id;
        b->qi = lines[i].qi;
        b->streak = lines[i].streak;
        b->winnings = lines[i].winnings;
        b->flags = lines[i].flags;
        used++;
    }
    get_game_globals()->bouts_present = used;
}
