#include "game/protocol/protocol_callbacks.h"

#include "game/game_callbacks.h"
#include "game/protocol/replay_file.h"
#include "net/records/custom_record.h"

static int fighter_blood_colour(int fighter)
{
    const CustomRecord *c = get_custom_record(fighter);
    return c ? c->blood_color : 0;
}

// The colour a fighter picked for itself: its force colour.
static int fighter_custom_colour(int fighter)
{
    const CustomRecord *c = get_custom_record(fighter);
    return c ? c->force_color : 0;
}

void protocol_install_callbacks(void)
{
    GameCallbacks *cb = game_callbacks();
    cb->fighter_blood_colour = fighter_blood_colour;
    cb->fighter_custom_colour = fighter_custom_colour;
    cb->customs_clear = clear_all_customs;
    cb->customs_apply = apply_customs_all_players;
    cb->replay_forget_result = replay_file_forget_result;
    cb->replay_autosave = save_replay;
}
