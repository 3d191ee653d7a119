#include "script/script_games.h"

#include "game/game_callbacks.h"
#include "game/game_resets.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "gui/services/chat_log.h"
#include "net/records/custom_record.h"
#include "script/script_context.h"

void load_script_game(const char *name)
{
    ScriptContext *ctx = get_script_ctx();
    fire_hook_leave_game(ctx);
    fire_hook_new_game(ctx);
    load_script(ctx, name);
    chat_clear_all();
    clear_all_customs();
    new_match(0, 0, get_next_match_rules(), 0);
    game_floor_stains_clear();
    hold_other_fighters();
    // As a player's "set": the mod's rules take the match length too.
    set_rules_option("matchframes", "100", get_match_rules());
    fire_hook_new_game(get_script_ctx());
}

void leave_and_load_script(const char *text)
{
    ScriptContext *ctx = get_script_ctx();
    fire_hook_leave_game(ctx);
    load_script(ctx, text);
}
