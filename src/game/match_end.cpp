// Deciding a match. In single play the frame counter, the scores (truncated
// toward zero) and disqualification decide; in network play the result the
// game server sent is applied at its frame.
#include "game/match_end.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include "game/contact_damage.h"
#include "game/joints.h"
#include "game/match_rules.h"
#include "game/match_bouts.h"

static ServerResult g_server;

ServerResult *get_server_result(void) { return &g_server; }

void clear_server_result(void)
{
    const int played = g_server.matches_played;
    memset(&g_server, 0, sizeof g_server);
    for (int k = 0; k < MAX_FIGHTERS; k++)
        g_server.winners[k] = g_server.losers[k] = -1;
    g_server.matches_played = played;
}

// Results count only fighters whose records were built, so that get_player
// is never null here even while the players count runs ahead of the build.
static bool is_fighter(int p) { return p >= 0 && p < built_fighter_count(); }

int set_result(int kind, const int32_t *winners, const int32_t *losers)
{
    WorldState *w = get_game_state();
    const GameGlobals *g = get_game_globals();
    for (int k = 0; k < MAX_FIGHTERS; k++)
        w->winners[k] = w->losers[k] = -1;
    for (int k = 0; winners && k < MAX_FIGHTERS; k++) {
        const int p = winners[k];
        if (!is_fighter(p))
            continue;
        w->winners[p] = p;
        if (g->network_mode == 0 && g->replay_mode == 0)
            w->wins[p]++;
    }
    for (int k = 0; losers && k < MAX_FIGHTERS; k++) {
        const int p = losers[k];
        if (is_fighter(p))
            w->losers[p] = p;
    }
    w->result_kind = kind;
    w->game_over = 1;
    w->decision_frame = w->frame;
    return 0;
}

static void declare_draw(int n)
{
    WorldState *w = get_game_state();
    for (int k = 0; k < MAX_FIGHTERS; k++)
        w->winners[k] = w->losers[k] = -1;
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        p->dq_start = p->dq_time = p->last_ground_frame = 0;
    }
    w->result_kind = RESULT_DRAW;
    w->game_over = 1;
    w->decision_frame = w->frame;
}

// A fighter's team, or -1 when its team index is outside the match's teams.
static int team_of(int i, int teams)
{
    const int t = get_player(i)->team;
    return (t >= 0 && t < teams) ? t : -1;
}

static void decide_by_score(int n)
{
    const WorldState *w = get_game_state();
    // Truncated as doubles: the same comparison as integers, without an
    // overflow for scores beyond the integer range.
    double trunc_score[MAX_FIGHTERS];
    bool all_equal = true;
    for (int i = 0; i < n; i++) {
        trunc_score[i] = std::trunc((double)get_player(i)->score);
        if (trunc_score[i] != trunc_score[0])
            all_equal = false;
    }
    if (all_equal) {
        declare_draw(n);
        return;
    }
    int32_t winners[MAX_FIGHTERS], losers[MAX_FIGHTERS];
    std::fill(winners, winners + MAX_FIGHTERS, -1);
    std::fill(losers, losers + MAX_FIGHTERS, -1);
    const int teams = std::min<int>(w->teams, MAX_FIGHTERS);
    if (w->teams > 1) {
        double sum[MAX_FIGHTERS] = {};
        for (int i = 0; i < n; i++)
            if (team_of(i, teams) >= 0)
                sum[team_of(i, teams)] += trunc_score[i];
        int best = 0, worst = 0;
        for (int t = 1; t < teams; t++) {
            if (sum[t] > sum[best])
                best = t;
            if (sum[t] < sum[worst])
                worst = t;
        }
        if (sum[best] == sum[worst]) {
            declare_draw(n);
            return;
        }
        for (int i = 0; i < n; i++) {
            if (team_of(i, teams) == best)
                winners[i] = i;
            else
                losers[i] = i;
        }
    } else if (n == 2) {
        const int win = get_player(1)->score > get_player(0)->score ? 1 : 0;
        winners[0] = win;
        losers[0] = 1 - win;
    }
    set_result(RESULT_BY_SCORE, winners, losers);
}

// A disqualified fighter goes limp, is deselected and loses.
static void take_out(int i)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    show_ground_impact(i);
    if (g->selected_player == i)
        g->selected_player = -1;
    relax_all(i);
    w->losers[i] = i;
    w->winners[i] = -1;
}

static void judge_disqualified(int n)
{
    WorldState *w = get_game_state();
    for (int i = 0; i < n; i++)
        if (get_player(i)->disqualified && w->losers[i] != i)
            take_out(i);

    int32_t winners[MAX_FIGHTERS], losers[MAX_FIGHTERS];
    std::fill(winners, winners + MAX_FIGHTERS, -1);
    std::fill(losers, losers + MAX_FIGHTERS, -1);
    if (w->teams > 1) {
        const int teams = std::min<int>(w->teams, MAX_FIGHTERS);
        bool out[MAX_FIGHTERS] = {};
        for (int i = 0; i < n; i++)
            if (get_player(i)->disqualified && team_of(i, teams) >= 0)
                out[team_of(i, teams)] = true;
        int teams_out = 0;
        for (int t = 0; t < teams; t++)
            teams_out += out[t] ? 1 : 0;
        for (int i = 0; i < n; i++) {
            Player *p = get_player(i);
            const int t = team_of(i, teams);
            if (t >= 0 && out[t] && !p->disqualified) {
                p->disqualified = 3;
                take_out(i);
            }
        }
        if (teams_out >= 1 && teams_out >= teams - 1) {
            for (int i = 0; i < n; i++) {
                const int t = team_of(i, teams);
                if (t >= 0 && !out[t])
                    winners[i] = i;
                else
                    losers[i] = i;
            }
            set_result(RESULT_BY_DQ, winners, losers);
        }
        return;
    }
    int dq = 0;
    for (int i = 0; i < n; i++)
        dq += get_player(i)->disqualified ? 1 : 0;
    // At least one disqualified fighter: a lone fighter is not out at once.
    if (dq >= 1 && dq >= n - 1) {
        for (int i = 0; i < n; i++) {
            if (get_player(i)->disqualified)
                losers[i] = i;
            else
                winners[i] = i;
        }
        set_result(RESULT_BY_DQ, winners, losers);
    }
}

int match_end_single(void)
{
    WorldState *w = get_game_state();
    const MatchRules *rules = get_match_rules();
    const int n = built_fighter_count();
    const bool dq_rules = (rules->flags & RULE_FLAG_DQ) || rules->dojosize != 0;
    if (n > 0 && w->frame >= rules->matchframes)
        decide_by_score(n);
    if (n > 0 && dq_rules)
        judge_disqualified(n);
    if (w->game_over)
        w->frames_left = 0;
    return w->game_over;
}

int match_end_network(void)
{
    WorldState *w = get_game_state();
    const MatchRules *rules = get_match_rules();
    const int n = built_fighter_count();
    if ((rules->flags & RULE_FLAG_DQ) || rules->dojosize != 0) {
        for (int i = 0; i < n; i++) {
            const LostMark &m = g_server.lost[i];
            if (m.mark == 0 || m.frame > w->frame || w->losers[i] == i)
                continue;
            if (m.has_pos)
                for (int c = 0; c < 3; c++)
                    w->impact_points[i][c] = m.pos[c];
            get_player(i)->disqualified = m.mark;
            take_out(i);
        }
    }
    if (!g_server.pending || g_server.frame != w->frame)
        return 0;
    set_result(g_server.kind, g_server.winners, g_server.losers);
    for (int i = 0; i < n; i++) {
        get_player(i)->injury = g_server.injury[i];
        get_player(i)->score = g_server.score[i];
    }
    w->server_result = g_server.word;
    g_server.matches_played++;
    g_server.pending = 0;
    return 1;
}

// Fighter i's bout in the bout list (by its server id), -1 when none.
static int bout_of(int i)
{
    const Player *p = get_player(i);
    if (!p)
        return -1;
    for (int b = 0; b < BOUT_COUNT; b++) {
        const Bout *bt = get_bout(b);
        if (bt->name[0] && bt->server_id == p->bout_id)
            return b;
    }
    return -1;
}

static void copy_bout_figures(int i)
{
    const int b = bout_of(i);
    if (b < 0) {
        set_match_bout(i, -1, nullptr, 0, 0, 0);
        return;
    }
    const Bout *bt = get_bout(b);
    set_match_bout(i, b, bt->name, bt->qi, bt->streak, bt->winnings);
}

int record_server_result(int frame, int kind, const int32_t *winners, const int32_t *losers,
                         const float *injuries, const float *scores, const double (*positions)[3],
                         int word)
{
    WorldState *w = get_game_state();
    const int n = built_fighter_count();
    g_server.frame = frame;
    g_server.kind = kind;
    for (int k = 0; k < MAX_FIGHTERS; k++) {
        g_server.winners[k] = (winners && is_fighter(winners[k])) ? winners[k] : -1;
        g_server.losers[k] = (losers && is_fighter(losers[k])) ? losers[k] : -1;
    }
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i);
        g_server.injury[i] = injuries ? injuries[i] : p->injury;
        g_server.score[i] = scores ? scores[i] : (float)std::trunc((double)p->score);
        for (int c = 0; c < 3; c++)
            g_server.position[i][c] = positions ? positions[i][c] : 0.0;
    }
    g_server.word = word;
    g_server.pending = 1;
    w->decision_frame = frame;
    for (int k = 0; k < MAX_FIGHTERS; k++)
        if (g_server.winners[k] >= 0)
            copy_bout_figures(g_server.winners[k]);

    if (kind == RESULT_BY_DQ && n == 2) {
        bool any_dq = false;
        for (int i = 0; i < n; i++)
            any_dq = any_dq || get_player(i)->disqualified;
        int first_loser = -1;
        for (int k = 0; k < MAX_FIGHTERS && first_loser < 0; k++)
            first_loser = g_server.losers[k];
        if (!any_dq && first_loser >= 0)
            record_lost_mark(frame, first_loser, 1, positions ? positions[first_loser] : nullptr);
    }
    return 0;
}

int record_server_scores(int frame, const float *injuries, const float *scores)
{
    const int n = built_fighter_count();
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i);
        if (injuries)
            g_server.injury[i] = injuries[i];
        g_server.score[i] = scores ? scores[i] : p->score;
    }
    // The line's number is the frame of the state it closes, not a result
    // word: a result word here would turn every turn into a belt result.
    if (frame < 0 || frame > RECEIVED_FRAME_MAX) {
        fprintf(stderr, "GAME: frame %d out of range 0..%d, frame ignored\n", frame, (int)RECEIVED_FRAME_MAX);
        return 1;
    }
    g_server.received_frame = frame;
    g_server.has_received_frame = 1;
    return 0;
}

int record_lost_mark(int frame, int fighter, int mark, const double *position)
{
    if (!is_fighter(fighter)) {
        fprintf(stderr, "Ground impact for fighter %d ignored: no such fighter\n", fighter);
        return 1;
    }
    LostMark &m = g_server.lost[fighter];
    m.mark = mark;
    m.frame = frame;
    m.has_pos = position ? 1 : 0;
    for (int c = 0; c < 3; c++)
        m.pos[c] = position ? position[c] : 0.0;
    get_player(fighter)->received_mask |= RECEIVED_GROUND_IMPACT;
    get_game_state()->received_mask |= RECEIVED_GROUND_IMPACT;
    return 0;
}
