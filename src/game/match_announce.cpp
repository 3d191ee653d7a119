// The result of a match on the centre print: the winners' names, a draw, a
// disqualification, a belt upgrade, and in network play the streak and the
// money line from the bout figures of the match.
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include "app/base/options.h"
#include "app/base/text.h"
#include "game/match_announce.h"
#include "game/match_end.h"
#include "app/base/message_type.h"
#include "game/game_callbacks.h"
#include "game/belts.h"
#include "game/match_bouts.h"

enum {
    RESULT_LINE_SIZE = 256,
    RESULT_MODE = 2,
    DRAW_COLOUR = 16,
    RESULT_SECONDS = 3,
    UPGRADE_SECONDS = 100,
    // The report sound: grading after a belt result, else game over, on
    // channel 7.
    REPORT_CHANNEL = 7,
    SOUND_GAMEOVER = 32,
    SOUND_GRADING = 46,
};

// Appends formatted text to a bounded line; the line stays terminated.
__attribute__((format(printf, 2, 3)))
static void append(char *line, const char *fmt, ...)
{
    const size_t used = strlen(line);
    if (used + 1 >= RESULT_LINE_SIZE)
        return;
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(line + used, RESULT_LINE_SIZE - used, fmt, ap);
    va_end(ap);
}

static int list_fighters(const int32_t *marks, int n, int *out)
{
    int count = 0;
    for (int i = 0; i < n; i++)
        if (marks[i] == i)
            out[count++] = i;
    return count;
}

// "UPGRADED!" for every fighter whose belt changes with one more qi; 1 when
// shown.
static int announce_upgrade(WorldState *w, int n)
{
    char line[RESULT_LINE_SIZE] = "";
    for (int i = 0; i < n; i++) {
        const MatchBout *b = get_match_bout(i);
        if (!b || b->bout < 0)
            continue;
        const char *now = belt_name_for_qi(b->qi);
        // The top qi has no next qi to reach.
        const char *next = belt_name_for_qi(b->qi < INT_MAX ? b->qi + 1 : b->qi);
        if (strcmp(now, next) == 0)
            continue;
        if (line[0])
            append(line, ",%s - %s BELT", get_player(i)->name, next);
        else
            append(line, "%s - %s BELT", get_player(i)->name, next);
    }
    if (!line[0])
        return 0;
    game_centerprint(w, RESULT_MODE, 0, UPGRADE_SECONDS, "UPGRADED!", line, nullptr);
    return 1;
}

void announce_match_result(WorldState *w)
{
    if (!w)
        return;
    GameGlobals *g = get_game_globals();
    const int n = built_fighter_count();
    int winners[MAX_FIGHTERS], losers[MAX_FIGHTERS];
    const int nwin = list_fighters(w->winners, n, winners);
    const int nlose = list_fighters(w->losers, n, losers);
    const bool network = g->network_mode != 0;

    // The benchmark option times the match from the start stamp of the new game.
    if (option_get(OPT_BENCHMARK) && w->start_time > 0) {
        const double seconds = difftime(time(nullptr), (time_t)w->start_time);
        if (seconds > 0)
            game_echo(va_format("framerate %.2f time %.2f", w->frame / seconds, seconds), MSG_INGAME);
    }

    if (w->server_result == SERVER_RESULT_UPGRADE) {
        if (nwin > 0)
            g->selected_player = winners[0];
        if (announce_upgrade(w, n))
            return;
    }

    char money[RESULT_LINE_SIZE] = "";
    if (network && nwin == 1 && w->server_result != SERVER_RESULT_BELOW_MIN_TURNS) {
        const MatchBout *b = get_match_bout(winners[0]);
        if (b && b->bout >= 0)
            snprintf(money, sizeof money, "+%i QC, %i games to %s Belt", b->winnings,
                     qi_to_next_belt(b->qi), next_belt_name(b->qi));
    }

    char title[RESULT_LINE_SIZE] = "";
    if (w->result_kind == RESULT_BY_SCORE && w->server_result == SERVER_RESULT_BELOW_MIN_TURNS) {
        snprintf(title, sizeof title, "Match won below minimum turns.");
    } else if (nwin > 0) {
        append(title, "%s", get_player(winners[0])->name);
        for (int k = 1; k < nwin; k++)
            append(title, " & %s", get_player(winners[k])->name);
        append(title, "  WINS !");
    } else if (w->result_kind == RESULT_BY_DQ) {
        snprintf(title, sizeof title, "DRAW !");
    }

    // "STREAK %i, %i": shown when more bouts than players watch and some
    // winner's streak is above 2.
    char streak[RESULT_LINE_SIZE] = "";
    if (network && g->bouts_present > w->players) {
        bool long_streak = false;
        for (int k = 0; k < nwin; k++) {
            const MatchBout *b = get_match_bout(winners[k]);
            if (b && b->bout >= 0 && b->streak > 2)
                long_streak = true;
        }
        for (int k = 0; long_streak && k < nwin; k++) {
            const MatchBout *b = get_match_bout(winners[k]);
            const int s = b && b->bout >= 0 ? b->streak : 0;
            if (k == 0)
                append(streak, "STREAK %i", s);
            else
                append(streak, ", %i", s);
        }
    }

    switch (w->result_kind) {
    case RESULT_BY_SCORE:
        if (nwin > 0)
            g->selected_player = winners[0];
        if (streak[0])
            game_centerprint(w, RESULT_MODE, 0, RESULT_SECONDS, title, streak, money);
        else
            game_centerprint(w, RESULT_MODE, 0, RESULT_SECONDS, title, money, nullptr);
        break;
    case RESULT_DRAW:
        game_centerprint(w, RESULT_MODE, DRAW_COLOUR, RESULT_SECONDS, "DRAW!", nullptr, nullptr);
        break;
    case RESULT_BY_DQ:
        if (nlose > 0)
            g->selected_player = losers[0];
        game_centerprint(w, RESULT_MODE, 0, RESULT_SECONDS, "DISQUALIFIED!", title, streak[0] ? streak : money);
        break;
    default:
        break;
    }
}

void end_of_match_sound(const WorldState *w)
{
    // Only the game-over sound goes into the frame sound cache, so that the
    // match shown again from the cache ends with it.
    if (w && w->server_result != 0)
        game_sound(REPORT_CHANNEL, SOUND_GRADING, 1, 0);
    else
        game_sound(REPORT_CHANNEL, SOUND_GAMEOVER, 1, 1);
}

void end_of_match(WorldState *w)
{
    end_of_match_sound(w);
    announce_match_result(w);
}
