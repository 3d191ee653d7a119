// Dismemberment and fracture. A harm mark or a force past the joint's
// threshold breaks it; a dismembered joint lets go of both bodies, which then
// collide with everything; a fractured joint keeps its hinge with wider stops
// and goes limp. Each break costs the fighter points unless the match is over.
#include "game/joint_breaks.h"
#include <algorithm>
#include <cstring>
#include "game/bleed.h"
#include "game/blood.h"
#include "game/body_defs.h"
#include "game/joints.h"
#include "game/match_rules.h"

static PendingBreak g_pending[MAX_FIGHTERS][JOINT_COUNT];
static int32_t g_body_fractures[MAX_FIGHTERS][BODY_COUNT];

static bool joint_ok(int j) { return j >= 0 && j < JOINT_COUNT; }

int break_points(int j)
{
    if (j == NECK)
        return 15000;
    if (j == R_WRIST || j == L_WRIST)
        return 2000;
    return 5000;
}

// The joint's base force before the rules' percentage.
static double base_threshold(const Player *p, int j, double angle)
{
    const JointState &js = p->joints[j];
    double base = 220;
    switch (j) {
    case NECK:
        base = 100;
        break;
    case R_ELBOW: case L_ELBOW: case R_KNEE: case L_KNEE: {
        double prop = 0;
        if (js.hi_stop != js.lo_stop)
            prop = (std::min(angle, js.hi_stop) - js.lo_stop) / (js.hi_stop - js.lo_stop);
        // Below the low stop (a soft stop overshoots a little) the joint is
        // as strong as at the stop, never weaker.
        if (prop < 0)
            prop = 0;
        base = 220 + 200 * prop;
        break;
    }
    case R_ANCHOR: case L_ANCHOR:
        return 350;
    default:
        break;
    }
    // A freshly hit joint breaks at a quarter of its base.
    const double flash = p->hit_flash[j + BODY_COUNT];
    return base - flash * base * 0.75;
}

static double apply_percentage(double base, int percent)
{
    // 0 and 100 leave the base; a negative percentage has no meaning and
    // would break every joint at once, so it leaves the base too.
    if (percent <= 0 || percent == 100)
        return base;
    return base * percent * 0.01;
}

double dismember_threshold(int i, int j, double angle)
{
    const Player *p = get_player(i);
    if (!p || !joint_ok(j) || !p->joint_defs)
        return 0;
    int percent = p->joint_defs[j].dm_threshold;
    if (percent == -1)
        percent = get_match_rules()->dismemberthreshold;
    return apply_percentage(base_threshold(p, j, angle), percent);
}

double fracture_threshold(int i, int j, double angle)
{
    const Player *p = get_player(i);
    if (!p || !joint_ok(j))
        return 0;
    return apply_percentage(base_threshold(p, j, angle), get_match_rules()->fracturethreshold);
}

// Every geom of the part collides with everything.
static void collide_with_all(dGeomID g)
{
    if (g)
        dGeomSetCollideBits(g, CATEGORY_ALL);
}

int break_joint(int i, int j, int type)
{
    Player *p = get_player(i);
    if (!p || !joint_ok(j) || type < JOINT_INTACT || type > JOINT_FRACTURED)
        return 1;
    const WorldState *w = get_game_state();
    JointState &js = p->joints[j];
    js.broken = type;
    js.broken_recorded = type;
    js.bleeding = 30.0f;
    js.hit_mark = 0;
    p->broken_joints++;
    dJointID h = p->hinges[j];

    if (type == JOINT_DISMEMBERED) {
        dVector3 anchor;
        dJointGetHingeAnchor(h, anchor);
        spawn_blood(i, j + BODY_COUNT, anchor[0], anchor[1], anchor[2]);
        const JointDef &row = builtin_joint_table()[j];
        for (int k = 0; k < 2; k++) {
            const int b = row.body[k];
            if (b >= 0 && b < BODY_COUNT)
                collide_with_all(p->body_geoms[b]);
        }
        collide_with_all(p->joint_geoms[j]);
        dJointAttach(h, nullptr, nullptr);
        if (!w->game_over) {
            p->injury += break_points(j);
            p->score -= break_points(j);
        }
        relax_all(i);
        p->pending_sound = 22;
    } else if (type == JOINT_FRACTURED) {
        // Widen through an open low stop, so the engine never sees low > high.
        dJointSetHingeParam(h, dParamLoStop, -dInfinity);
        dJointSetHingeParam(h, dParamHiStop, js.fracture_hi);
        dJointSetHingeParam(h, dParamLoStop, js.fracture_lo);
        drive_joint(i, j, MOTOR_RELAX);
        p->motor_wish[j] = MOTOR_RELAX;
        if (!w->game_over) {
            p->injury += break_points(j);
            p->score -= break_points(j);
        }
        p->pending_sound = j == NECK ? 47 : 22;
    }
    return 0;
}

int dismember_fighter_joint(int i, int j) { return break_joint(i, j, JOINT_DISMEMBERED); }

void check_joint_breaks(int i)
{
    Player *p = get_player(i);
    if (!p)
        return;
    const MatchRules *rules = get_match_rules();
    const bool dismember = (rules->flags & RULE_FLAG_DISMEMBER) != 0;
    const bool fracture = (rules->flags & RULE_FLAG_FRACTURE) != 0;
    const JointDef *builtin = builtin_joint_table();
    for (int j = 0; j < JOINT_COUNT; j++) {
        JointState &js = p->joints[j];
        if (js.broken != JOINT_INTACT)
            continue;
        if (js.hit_mark != 0) {
            break_joint(i, j, js.hit_mark);
            continue;
        }
        const double angle = dJointGetHingeAngle(p->hinges[j]);
        const dJointFeedback &fb = p->hinge_feedback[j];
        const double D = dismember_threshold(i, j, angle);
        const double R = fracture_threshold(i, j, angle);
        const bool at_stop = angle <= js.lo_stop || angle >= js.hi_stop;
        for (int k = 0; k < 3; k++) {
            if (builtin[j].axis[k] != 0 && !at_stop)
                continue;
            const double F = fb.f1[k] * fb.f1[k] + fb.t1[k] * fb.t1[k];
            if (dismember && F > D) {
                break_joint(i, j, JOINT_DISMEMBERED);
                break;
            }
            if (fracture && F > R) {
                break_joint(i, j, JOINT_FRACTURED);
                break;
            }
        }
    }
}

PendingBreak *get_pending_breaks(int i)
{
    if (i < 0 || i >= MAX_FIGHTERS)
        return nullptr;
    return g_pending[i];
}

int set_pending_break(int i, int j, int type, int frame)
{
    PendingBreak *b = get_pending_breaks(i);
    if (!b || !joint_ok(j) || type < JOINT_INTACT || type > JOINT_FRACTURED)
        return 1;
    b[j].type = type;
    b[j].frame = frame;
    return 0;
}

void clear_pending_breaks(void) { memset(g_pending, 0, sizeof g_pending); }

void apply_pending_breaks(int frame)
{
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p)
            continue;
        for (int j = 0; j < JOINT_COUNT; j++) {
            const PendingBreak &b = g_pending[i][j];
            if (b.type != 0 && b.frame <= frame && p->joints[j].broken == JOINT_INTACT)
                break_joint(i, j, b.type);
        }
    }
}

int mark_body_fracture(int i, int body)
{
    if (i < 0 || i >= MAX_FIGHTERS || body < 0 || body >= BODY_COUNT)
        return 1;
    g_body_fractures[i][body] = 1;
    return 0;
}

int take_body_fracture(int i, int body)
{
    if (i < 0 || i >= MAX_FIGHTERS || body < 0 || body >= BODY_COUNT)
        return 0;
    const int v = g_body_fractures[i][body];
    g_body_fractures[i][body] = 0;
    return v;
}

void clear_body_fractures(void) { memset(g_body_fractures, 0, sizeof g_body_fractures); }

void bleed_dismembered_joints(void)
{
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i);
        if (!p)
            continue;
        for (int j = 0; j < JOINT_COUNT; j++)
            if (p->joints[j].broken == JOINT_DISMEMBERED)
                bleed(i, j);
    }
}
