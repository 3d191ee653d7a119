// Contact damage: after each world step the recorded contacts become injury
// for the part that was hit, score for the fighter that hit it, a hit flash
// that lowers the break thresholds, blood, and, for parts that may not touch
// the ground, the disqualification time-out.
#include "game/contact_damage.h"
#include <cmath>
#include <cstring>
#include "game/blood.h"
#include "game/body_defs.h"
#include "game/game_callbacks.h"
#include "game/match_rules.h"

static GroundImpact g_impacts[MAX_FIGHTERS];
static int g_impacts_ready;
static int g_local_judging;

void set_local_judging(int on) { g_local_judging = on ? 1 : 0; }
int get_local_judging(void) { return g_local_judging; }

static void ensure_impacts(void)
{
    if (!g_impacts_ready)
        clear_ground_impacts();
}

void clear_ground_impacts(void)
{
    memset(g_impacts, 0, sizeof g_impacts);
    for (GroundImpact &g : g_impacts)
        g.frame = -1;
    g_impacts_ready = 1;
}

GroundImpact *get_ground_impact(int i)
{
    if (i < 0 || i >= MAX_FIGHTERS)
        return nullptr;
    ensure_impacts();
    return &g_impacts[i];
}

void record_ground_impact(int i, const double *pos)
{
    GroundImpact *g = get_ground_impact(i);
    const Player *p = get_player(i);
    if (!g || !p || !pos)
        return;
    g->frame = get_game_state()->frame;
    for (int c = 0; c < 3; c++)
        g->pos[c] = pos[c];
    // The colour the fighter's customisation gives it, else its own.
    const int custom = game_fighter_custom_colour(i);
    g->colour = custom != 0 ? custom : p->colour;
    g->countdown = GROUND_IMPACT_COUNTDOWN;
}

void show_ground_impact(int i)
{
    if (GroundImpact *g = get_ground_impact(i))
        g->countdown = GROUND_IMPACT_COUNTDOWN;
}

int part_may_touch_ground(int sumo, int id)
{
    const bool limb_end = id == R_HAND || id == L_HAND || id == R_FOOT || id == L_FOOT;
    if (sumo == 0)
        return limb_end ? 1 : 0;
    if (sumo == 1)
        return (limb_end || id == 21 + R_WRIST || id == 21 + L_WRIST || id == 21 + R_ANCHOR ||
                id == 21 + L_ANCHOR) ? 1 : 0;
    return 0;
}

int part_def_flag(int i, int id)
{
    const Player *p = get_player(i);
    if (!p || !p->body_defs || !p->joint_defs)
        return 0;
    if (id >= 0 && id < BODY_COUNT)
        return p->body_defs[id].flag;
    if (id >= BODY_COUNT && id < BODY_ID_COUNT)
        return p->joint_defs[id - BODY_COUNT].flag;
    return 0;
}

// Judging allowed here: single play, or network play with local judging.
static bool judging_here(void)
{
    return get_game_globals()->network_mode == 0 || g_local_judging;
}

// A fighter's part touching the ground outside the dojo, or a part that may
// not touch it: the disqualification time-out runs.
static void ground_touch(int i, Player *p, int id, const double *pos)
{
    const MatchRules *rules = get_match_rules();
    WorldState *w = get_game_state();
    const bool outside = dojo_point_outside(rules, pos[0], pos[1]) != 0;
    const bool allowed = part_may_touch_ground(rules->sumo, id) != 0;
    const bool dq_part = !allowed && !(part_def_flag(i, id) & BODY_FLAG_GROUND_OK) &&
                         (rules->flags & RULE_FLAG_DQ);
    if (!outside && !dq_part)
        return;
    record_ground_impact(i, pos);
    if (p->disqualified)
        return;
    if (p->dq_start != 0 && w->frame - p->dq_start <= rules->dqtimeout) {
        p->dq_time = w->frame - p->dq_start;
    } else {
        p->dq_time = 0;
        p->dq_start = w->frame;
    }
    p->last_ground_frame = w->frame;
    if (!judging_here())
        return;
    if (p->dq_time >= rules->dqtimeout || ((rules->dqflag & 1) && outside)) {
        p->disqualified = 1;
        if (i >= 0 && i < MAX_FIGHTERS)
            for (int c = 0; c < 3; c++)
                w->impact_points[i][c] = pos[c];
        p->injury += 3000;
        p->score -= 3000;
        p->dq_time = 0;
        p->dq_start = 0;
    }
}

// The damage one side of a contact takes.
static float side_damage(int fighter, int other, int id, bool ground, double f2, double speed,
                         const double *pos)
{
    Player *p = fighter >= 0 && fighter < MAX_FIGHTERS ? get_player(fighter) : nullptr;
    if (!p || id < 0 || id >= BODY_ID_COUNT)
        return 0;
    const WorldState *w = get_game_state();
    if (ground) {
        if (!w->game_over && w->ghost_mode == 0)
            ground_touch(fighter, p, id, pos);
    }
    if (f2 < 1.0 || speed < 1.0)
        return 0;
    p->hit_flash[id] = 1.0f;
    if (id == HEAD)
        p->head_impact += (float)f2;
    const bool network = get_game_globals()->network_mode != 0;
    if (w->game_over || (network && w->frame < get_match_rules()->opening_frames))
        return 0;
    const float damage = (float)(part_weight(id) * f2);
    p->injury += damage;
    Player *q = other >= 0 && other < MAX_FIGHTERS ? get_player(other) : nullptr;
    if (q && other != fighter)
        q->score += damage;
    else
        p->score -= damage;
    return damage;
}

void contact_damage(void)
{
    ContactRecord *records = get_contact_records();
    const int n = get_contact_count();
    for (int k = 0; k < n; k++) {
        const ContactRecord &r = records[k];
        const dReal *f = r.feedback.f1;
        const double f2 = f[0] * f[0] + f[1] * f[1] + f[2] * f[2];
        const bool a_floor = r.fighter[0] < 0 && r.other_kind == GEOM_FLOOR;
        const bool b_floor = r.fighter[1] < 0 && r.other_kind == GEOM_FLOOR;
        const float da = side_damage(r.fighter[0], r.fighter[1], r.body_id[0], b_floor, f2, r.rel_speed, r.pos);
        const float db = side_damage(r.fighter[1], r.fighter[0], r.body_id[1], a_floor, f2, r.rel_speed, r.pos);
        if (a_floor || b_floor || !(f2 > 0.1))
            continue;
        if (db < da && r.fighter[0] >= 0)
            spawn_blood(r.fighter[0], r.body_id[0], r.pos[0], r.pos[1], r.pos[2]);
        else if (r.fighter[1] >= 0)
            spawn_blood(r.fighter[1], r.body_id[1], r.pos[0], r.pos[1], r.pos[2]);
    }
    clear_contact_records();
}

void fade_hit_flash(void)
{
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p)
            continue;
        for (float &v : p->hit_flash)
            v *= 0.95f;
    }
}
