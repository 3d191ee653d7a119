#include "game/engine_fault_end.h"

#include <cstdio>
#include "app/base/message_type.h"
#include "app/base/options.h"
#include "app/base/text.h"
#include "game/engine_step.h"
#include "game/game_callbacks.h"
#include "game/game_state.h"
#include "game/ghost.h"
#include "game/match_announce.h"
#include "game/match_end.h"
#include "game/match_mode.h"
#include "game/match_rules.h"
#include "game/match_start.h"

enum { FAULT_MODE = 2, FAULT_COLOUR = 0, FAULT_SECONDS = 5 };

void end_match_on_engine_fault(void)
{
    const EngineFaultRecord *f = last_engine_fault();
    if (!f)
        return;
    WorldState *w = get_game_state();
    const char *mod = get_match_rules()->mod[0] ? get_match_rules()->mod : "classic";
    fprintf(stderr, "The physics engine failed in the %s of the match on mod %s (%s): the match ends\n",
            f->ghost ? "ghost preview" : "world", mod, f->fault.text);
    fflush(stderr);

    // The fault is cleared by the world's teardown.
    rebuild_match_world();
    set_ghost_trail_complete(0);
    w->ghost_mode = 0;
    w->ghost_frame = 0;
    set_match_paused(0);
    for (int i = 0; i < MAX_FIGHTERS; i++)
        w->winners[i] = w->losers[i] = -1;
    w->result_kind = RESULT_DRAW;
    w->game_over = 1;
    w->decision_frame = w->frame;
    w->frames_left = 0;
    w->end_frame = 0;
    w->frozen = 1;

    const bool replay = match_is_replay();
    if (!replay)
        game_hook(HOOK_END_GAME, w->result_kind);
    char line[CENTERPRINT_LINE_SIZE];
    snprintf(line, sizeof line, "The physics engine failed on mod %s", mod);
    game_echo(va_format("Match ended: %s", line), MSG_INGAME);
    if (w->gameover_timelimit == -1)
        return;
    end_of_match_sound(w);
    game_centerprint(w, FAULT_MODE, FAULT_COLOUR, FAULT_SECONDS, "MATCH ENDED", line, nullptr);
    if (!replay && option_get(OPT_AUTOSAVE))
        game_replay_autosave();
}
