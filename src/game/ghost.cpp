// The ghost preview and the ghost trail. The ghosts (records n..2n-1) live
// in the ghost space with their own environment-object twins; the live
// fighters, their objects and the blood drops are switched off meanwhile.
// The joint spheres sit in geom transforms, which ODE 0.16 marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include "game/ghost.h"
#include <cstdio>
#include <cstring>
#include "game/blood.h"
#include "game/body_defs.h"
#include "game/collision.h"
#include "game/engine_fault_end.h"
#include "game/engine_step.h"
#include "game/env_objects.h"
#include "game/joints.h"
#include "game/match_mode.h"
#include "game/pose_check.h"
#include "game/replay_buffer.h"
#include "game/turn_cycle.h"
#include "game/world_build.h"
#include "game/world_physics.h"
#include "game/world_options.h"

static const GhostModeRow k_ghost_rows[GHOST_ROW_COUNT] = {
    {"", 1.0f, 100, 11, 1},
    {"long", 1.0f, 400, 3, 2},
    {"turnframe", 0.5f, -1, 6, 3},
    {"stats", 1.0f, 100, 27, 4},
    {"console", 1.0f, 100, 11, 5},
    {"slow", 0.5f, 100, 3, 0},
};

static GhostTrailFrame g_trail[GHOST_TRAIL_FRAMES];
static int g_trail_complete;
// Set while a started preview has the ghosts switched on and the live
// fighters off; a new match only names the preview mode.
static int g_preview_started;
static int g_ghost_option = GHOST_OPTION_ONE;

const GhostModeRow *ghost_mode_row(int i)
{
    return (i >= 0 && i < GHOST_ROW_COUNT) ? &k_ghost_rows[i] : nullptr;
}

const GhostTrailFrame *ghost_trail_frame(int k)
{
    return (k >= 0 && k < GHOST_TRAIL_FRAMES) ? &g_trail[k] : nullptr;
}

int ghost_trail_complete(void) { return g_trail_complete; }
void set_ghost_trail_complete(int v) { g_trail_complete = v ? 1 : 0; }
int get_ghost_option(void) { return g_ghost_option; }
void set_ghost_option(int option) { g_ghost_option = option; }

// ---- copying a fighter into its ghost ----

static void copy_geom_size(dGeomID from, dGeomID to)
{
    if (!from || !to || dGeomGetClass(from) != dGeomGetClass(to))
        return;
    switch (dGeomGetClass(from)) {
    case dSphereClass:
        dGeomSphereSetRadius(to, dGeomSphereGetRadius(from));
        break;
    case dBoxClass: {
        dVector3 s;
        dGeomBoxGetLengths(from, s);
        dGeomBoxSetLengths(to, s[0], s[1], s[2]);
        break;
    }
    case dCapsuleClass: {
        dReal r, l;
        dGeomCapsuleGetParams(from, &r, &l);
        dGeomCapsuleSetParams(to, r, l);
        break;
    }
    default:
        break;
    }
}

void copy_player_state(int from, int to)
{
    Player *a = get_player(from);
    Player *b = get_player(to);
    if (!a || !b || a == b)
        return;
    for (int k = 0; k < 2; k++) {
        b->grip_state[k] = a->grip_state[k];
        b->grip_wish[k] = a->grip_wish[k] ? a->grip_wish[k] : a->grip_state[k];
    }
    copy_geom_size(a->body_geoms[R_HAND], b->body_geoms[R_HAND]);
    copy_geom_size(a->body_geoms[L_HAND], b->body_geoms[L_HAND]);
    memcpy(b->ghost_view, a->ghost_view, sizeof b->ghost_view);

    for (int k = 0; k < BODY_COUNT; k++) {
        dBodyID s = a->bodies[k], d = b->bodies[k];
        const dReal *f = dBodyGetForce(s);
        const dReal *t = dBodyGetTorque(s);
        const dReal *p = dBodyGetPosition(s);
        const dReal *lv = dBodyGetLinearVel(s);
        const dReal *av = dBodyGetAngularVel(s);
        dBodySetForce(d, f[0], f[1], f[2]);
        dBodySetTorque(d, t[0], t[1], t[2]);
        pose_set_position(d, p);
        pose_set_linear_vel(d, lv);
        pose_set_angular_vel(d, av);
        pose_set_quaternion(d, dBodyGetQuaternion(s));
    }

    const JointDef *builtin = builtin_joint_table();
    for (int j = 0; j < JOINT_COUNT; j++) {
        JointState &ja = a->joints[j];
        JointState &jb = b->joints[j];
        dJointID h = b->hinges[j];
        if (ja.broken == JOINT_DISMEMBERED && jb.broken != JOINT_DISMEMBERED) {
            const int b0 = builtin[j].body[0], b1 = builtin[j].body[1];
            dGeomSetCollideBits(b->body_geoms[b0], CATEGORY_ALL);
            dGeomSetCollideBits(b->body_geoms[b1], CATEGORY_ALL);
            dGeomSetCollideBits(b->joint_geoms[j], CATEGORY_ALL);
            dJointAttach(h, nullptr, nullptr);
        } else if (ja.broken == JOINT_FRACTURED && jb.broken != JOINT_FRACTURED) {
            dJointSetHingeParam(h, dParamLoStop, -dInfinity);
            dJointSetHingeParam(h, dParamHiStop, ja.fracture_hi);
            dJointSetHingeParam(h, dParamLoStop, ja.fracture_lo);
        }
        jb.broken = ja.broken;
        jb.hit_mark = ja.hit_mark;
        dJointSetHingeParam(h, dParamVel, dJointGetHingeParam(a->hinges[j], dParamVel));
        dJointSetHingeParam(h, dParamFMax, dJointGetHingeParam(a->hinges[j], dParamFMax));
        dGeomSphereSetRadius(b->joint_spheres[j], dGeomSphereGetRadius(a->joint_spheres[j]));
        b->hinge_feedback[j] = a->hinge_feedback[j];
        b->motor_wish[j] = a->motor_wish[j];
    }
}

// The fighter record and body that own an engine body, -1 when none.
static int find_fighter_body(dBodyID body, int *body_index)
{
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i);
        if (!p)
            continue;
        for (int k = 0; k < BODY_COUNT; k++) {
            if (p->bodies[k] == body) {
                *body_index = k;
                return i;
            }
        }
    }
    return -1;
}

// Copies fighter i's grip joints to its ghost: a hinge with the same anchor,
// axis, speed and force limit between the ghost's hand and the ghost of what
// the hand holds. A grip on a fighter whose ghost is switched off is not
// copied: the joint would wake that ghost.
static void copy_grip_joints(int i)
{
    const int n = fighter_count();
    Player *a = get_player(i);
    Player *b = get_player(n + i);
    if (!a || !b)
        return;
    const int hands[2] = {R_HAND, L_HAND};
    for (int hand : hands) {
        dJointID src = a->grip_joints[hand];
        if (!src)
            continue;
        dBodyID target = nullptr;
        const int object = a->grip_target[hand];
        if (object >= 0) {
            EnvObjectBody *o = get_env_object_ghost(object);
            target = o ? o->body : nullptr;
        } else {
            dBodyID held = dJointGetBody(src, 1);
            int body = -1;
            const int other = held ? find_fighter_body(held, &body) : -1;
            Player *og = other >= 0 ? get_player(n + other) : nullptr;
            if (!og || og->hidden)
                continue;
            target = og->bodies[body];
        }
        dVector3 anchor, axis;
        dJointGetHingeAnchor(src, anchor);
        dJointGetHingeAxis(src, axis);
        dJointID h = dJointCreateHinge(get_game_globals()->world, 0);
        dJointAttach(h, b->bodies[hand], target);
        dJointSetHingeAnchor(h, anchor[0], anchor[1], anchor[2]);
        dJointSetHingeAxis(h, axis[0], axis[1], axis[2]);
        dJointSetHingeParam(h, dParamVel, dJointGetHingeParam(src, dParamVel));
        dJointSetHingeParam(h, dParamFMax, dJointGetHingeParam(src, dParamFMax));
        dJointSetFeedback(h, &b->grip_feedback[hand]);
        b->grip_joints[hand] = h;
        b->grip_target[hand] = object;
    }
}

// ---- starting and leaving ----

// A live turn that runs keeps its frames: while it runs no preview starts
// (the countdown would spend the turn's frames on the ghosts). A paused
// turn may be previewed; it keeps its pause and its frames meanwhile.
static bool live_turn_runs(void)
{
    return match_is_live() && get_game_state()->frames_left > 0 && !match_is_paused();
}

// What both kinds of preview do first: the live world switched off, every
// ghost switched off and its grip joints deleted.
static void switch_to_ghost_world(void)
{
    const int n = fighter_count();
    g_trail_complete = 0;
    for (int i = 0; i < n; i++)
        player_switch_off(i);
    disable_blood_drops();
    enable_env_objects(false, false);
    for (int i = 0; i < n; i++) {
        delete_player_grip_joints(n + i);
        player_switch_off(n + i);
    }
    enable_env_objects(true, true);
}

void start_ghost_all(void)
{
    WorldState *w = get_game_state();
    const int n = fighter_count();
    if (live_turn_runs())
        return;
    switch_to_ghost_world();
    for (int i = 0; i < n; i++)
        player_switch_on(n + i);
    w->ghost_frame = 0;
    w->ghost_mode = 2;
    for (int i = 0; i < n; i++)
        copy_player_state(i, n + i);
    copy_env_objects_to_ghost();
    for (int i = 0; i < n; i++)
        copy_grip_joints(i);
    g_preview_started = 1;
    w->frozen = 0;
}

void start_ghost_player(int i)
{
    WorldState *w = get_game_state();
    const int n = fighter_count();
    if (live_turn_runs())
        return;
    switch_to_ghost_world();
    const bool valid = i >= 0 && i < n && get_player(i) && get_player(n + i);
    if (valid)
        player_switch_on(n + i);
    w->ghost_restart = 1.0f;
    w->ghost_frame = 0;
    w->ghost_mode = 1;
    if (valid) {
        copy_player_state(i, n + i);
        copy_env_objects_to_ghost();
        copy_grip_joints(i);
    }
    g_preview_started = 1;
    w->frozen = 0;
}

void leave_ghost_mode(void)
{
    WorldState *w = get_game_state();
    const int n = fighter_count();
    w->ghost_frame = 0;
    w->ghost_mode = 0;
    g_preview_started = 0;
    // The live fighters come back; the ghosts go off.
    for (int i = 0; i < n; i++) {
        player_switch_on(i);
        delete_player_grip_joints(n + i);
        player_switch_off(n + i);
    }
    enable_live_blood_drops();
    enable_env_objects(false, true);
    enable_env_objects(true, false);
    w->frozen = 1;
}

int ghost_preview_started(void) { return g_preview_started; }

void start_single_play_preview(void)
{
    const int selected = get_game_globals()->selected_player;
    if (g_ghost_option != GHOST_OPTION_ALL && selected >= 0)
        start_ghost_player(selected);
    else
        start_ghost_all();
}

void restart_ghost(int clear_trail)
{
    WorldState *w = get_game_state();
    if (clear_trail)
        g_trail_complete = 0;
    if (w->ghost_mode == 2) {
        leave_ghost_mode();
        start_ghost_all();
    } else if (w->ghost_mode == 1) {
        leave_ghost_mode();
        start_ghost_player(get_game_globals()->selected_player);
    }
    w->ghost_restart = 1.0f;
}

void toggle_ghost_selected(void)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    if (w->game_over || match_is_replay())
        return;
    if (g->selected_player < 0) {
        g->selected_player = 0;
        if (w->ghost_mode != 0)
            leave_ghost_mode();
        start_ghost_player(0);
        g_ghost_option = GHOST_OPTION_ONE;
    } else if (w->ghost_mode == 1) {
        leave_ghost_mode();
        g_ghost_option = GHOST_OPTION_NONE;
    } else {
        if (w->ghost_mode != 0)
            leave_ghost_mode();
        start_ghost_player(g->selected_player);
        g_ghost_option = GHOST_OPTION_ONE;
    }
    g_trail_complete = 0;
}

void toggle_ghost_all(void)
{
    WorldState *w = get_game_state();
    // The live world waits for input (during a preview its frozen word is
    // 0, but the live game is not running).
    if (game_is_running() || w->game_over || match_is_replay())
        return;
    if (w->ghost_mode == 2) {
        leave_ghost_mode();
        g_ghost_option = GHOST_OPTION_NONE;
    } else {
        if (w->ghost_mode != 0)
            leave_ghost_mode();
        start_ghost_all();
        g_ghost_option = GHOST_OPTION_ALL;
    }
    w->ghost_restart = 1.0f;
}

void ghost_pick_player(int i)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    const int n = fighter_count();
    if (w->game_over || match_is_replay() || game_is_running() || i < 0 || i >= n)
        return;
    if (w->ghost_mode == 0) {
        g->selected_player = i;
        start_ghost_player(i);
        g_ghost_option = GHOST_OPTION_ONE;
    } else if (w->ghost_mode == 1 && g->selected_player == i) {
        leave_ghost_mode();
        g_ghost_option = GHOST_OPTION_NONE;
        g->selected_player = -1;
    } else if (w->ghost_mode == 1) {
        leave_ghost_mode();
        start_ghost_all();
        g_ghost_option = GHOST_OPTION_ALL;
        g->selected_player = -1;
    } else if (w->ghost_mode == 2 && n == 2) {
        leave_ghost_mode();
        g->selected_player = 1 - i;
        start_ghost_player(1 - i);
        g_ghost_option = GHOST_OPTION_ONE;
    }
}

void apply_ghost_row(int row)
{
    WorldState *w = get_game_state();
    const GhostModeRow *r = ghost_mode_row(row);
    if (!r)
        return;
    w->ghost_speed = r->speed;
    w->ghost_flags = r->flags;
    w->ghost_length = (r->flags & GHOST_FLAG_TURN_LENGTH) ? w->ghost_turn_length : r->frames;
    w->ghost_row = row;
}

void set_ghost_turn_length(int frames)
{
    WorldState *w = get_game_state();
    w->ghost_turn_length = frames < 1 ? 1 : frames;
    if (w->ghost_flags & GHOST_FLAG_TURN_LENGTH)
        w->ghost_length = w->ghost_turn_length;
}

int set_ghost_mode(int row)
{
    WorldState *w = get_game_state();
    const GhostModeRow *r = ghost_mode_row(row);
    if (!r || game_is_running() || w->game_over || get_game_globals()->replay_mode == 1)
        return 1;
    const bool already = w->ghost_mode != 0 && w->ghost_row == row;
    apply_ghost_row(row);
    if (w->ghost_mode == 0) {
        get_game_globals()->selected_player = 0;
        start_ghost_player(0);
    } else if ((r->flags & GHOST_FLAG_TOGGLE) && already) {
        leave_ghost_mode();
    } else {
        restart_ghost(1);
    }
    w->ghost_row = row;
    return 0;
}

int set_ghost_speed_length(float speed, int length)
{
    WorldState *w = get_game_state();
    if (!(speed > 0) || length < 1)
        return 1;
    w->ghost_speed = speed;
    w->ghost_length = length;
    restart_ghost(1);
    return 0;
}

// ---- stepping ----

static void pose_of_geom(dGeomID g, GhostPose *out)
{
    geom_world_pose(g, out->pos, out->R);
}

static void save_trail_frame(int k)
{
    GhostTrailFrame &t = g_trail[k];
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(n + i);
        if (!p || p->hidden)
            continue;
        for (int j = 0; j < JOINT_COUNT; j++)
            pose_of_geom(p->joint_geoms[j], &t.joints[i][j]);
        for (int b = 0; b < BODY_COUNT; b++)
            pose_of_geom(p->body_geoms[b], &t.bodies[i][b]);
    }
    for (int o = 0; o < ENV_OBJECT_COUNT; o++) {
        EnvObjectBody *e = get_env_object_ghost(o);
        if (e && e->body)
            pose_of_geom(e->geom, &t.objects[o]);
    }
}

void step_ghost(void)
{
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    if (!g->world)
        return;
    const int k = (int)w->ghost_frame;
    if (k >= 0 && k < GHOST_TRAIL_FRAMES) {
        save_trail_frame(k);
        if (k == GHOST_TRAIL_FRAMES - 1)
            g_trail_complete = 1;
    }
    apply_thrusts(w->frame + k);
    apply_pending_wishes();
    limit_body_velocities();
    if (engine_step_space(g->ghost_space, 1) != 0) {
        end_match_on_engine_fault();
        return;
    }
    w->ghost_frame += 1.0f;
    if ((float)w->ghost_length <= w->ghost_frame) {
        restart_ghost(0);
        g_trail_complete = 1;
    }
}

// Places a plain geom (and so its body); geom transforms ride on their body.
// A pose that was never stored or holds no rotation leaves the geom where it is.
static void place_geom(dGeomID g, const GhostPose &pose)
{
    if (!g || dGeomGetClass(g) == dGeomTransformClass)
        return;
    pose_set_geom(g, pose.pos, pose.R);
}

void step_ghost_trail(void)
{
    WorldState *w = get_game_state();
    int len = w->ghost_length < GHOST_TRAIL_FRAMES ? w->ghost_length : GHOST_TRAIL_FRAMES;
    if (len < 1)
        len = 1;
    if (w->ghost_frame > (float)(len - 1) || w->ghost_frame < 0)
        w->ghost_frame = 0;
    const GhostTrailFrame &t = g_trail[(int)w->ghost_frame];
    const int n = fighter_count();
    for (int i = 0; i < n; i++) {
        Player *p = get_player(n + i);
        if (!p || p->hidden)
            continue;
        for (int b = 0; b < BODY_COUNT; b++)
            place_geom(p->body_geoms[b], t.bodies[i][b]);
    }
    for (int o = 0; o < ENV_OBJECT_COUNT; o++) {
        EnvObjectBody *e = get_env_object_ghost(o);
        if (e && e->body)
            place_geom(e->geom, t.objects[o]);
    }
    w->ghost_frame += 1.0f;
}
