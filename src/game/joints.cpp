// Joint states, hinge motors and grips. States and grips set while the world
// is frozen are wishes; the next world step drives them into the hinges and
// grip joints.
#include "game/joints.h"
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include "game/body_defs.h"
#include "game/env_objects.h"
#include "game/ghost.h"
#include "game/match_mode.h"
#include "game/pose_check.h"
#include "game/turn_cycle.h"

static bool joint_ok(int j) { return j >= 0 && j < JOINT_COUNT; }
static bool state_ok(int s) { return s >= MOTOR_NONE && s <= MOTOR_RELAX; }

int grip_hand_slot(int hand)
{
    if (hand == L_HAND)
        return GRIP_LEFT;
    if (hand == R_HAND)
        return GRIP_RIGHT;
    return -1;
}

int fighter_set_joint_state(int i, int j, int state)
{
    Player *p = get_player(i);
    if (!p || !joint_ok(j) || !state_ok(state) || p->joints[j].broken == JOINT_FRACTURED)
        return -1;
    p->joint_changes++;
    if (p->motor_wish[j] == state)
        return 1;
    p->motor_wish[j] = state;
    return 0;
}

int get_joint_state(int i, int j)
{
    Player *p = get_player(i);
    if (!p || !joint_ok(j))
        return -1;
    if (p->motor_wish[j] != 0)
        return p->motor_wish[j];
    const dReal vel = dJointGetHingeParam(p->hinges[j], dParamVel);
    const dReal fmax = dJointGetHingeParam(p->hinges[j], dParamFMax);
    if (vel < 0)
        return MOTOR_FWD;
    if (vel > 0)
        return MOTOR_BACK;
    return fmax != 0 ? MOTOR_HOLD : MOTOR_RELAX;
}

// The player's joint commands take the one rule of what may change now.
static bool joint_command_refused(int i, int j)
{
    return !can_change_fighter_joint(i, j);
}

int cycle_joint_state(int reverse, int i, int j)
{
    if (joint_command_refused(i, j))
        return 1;
    int s = get_joint_state(i, j);
    if (reverse) {
        s = s - 1;
        if (s < MOTOR_FWD)
            s = MOTOR_RELAX;
    } else {
        s = s + 1;
        if (s > MOTOR_RELAX)
            s = MOTOR_FWD;
    }
    fighter_set_joint_state(i, j, s);
    return 0;
}

int toggle_joint_hold_relax(int i, int j)
{
    if (joint_command_refused(i, j))
        return 1;
    fighter_set_joint_state(i, j, get_joint_state(i, j) == MOTOR_HOLD ? MOTOR_RELAX : MOTOR_HOLD);
    return 0;
}

int toggle_joint_fwd_back(int i, int j)
{
    if (joint_command_refused(i, j))
        return 1;
    fighter_set_joint_state(i, j, get_joint_state(i, j) == MOTOR_FWD ? MOTOR_BACK : MOTOR_FWD);
    return 0;
}

int set_all_joint_states(int i, int state)
{
    Player *p = get_player(i);
    if (!p || !state_ok(state))
        return 1;
    for (int j = 0; j < JOINT_COUNT; j++)
        if (p->joints[j].broken != JOINT_FRACTURED)
            fighter_set_joint_state(i, j, state);
    return 0;
}

int relax_all(int i)
{
    Player *p = get_player(i);
    if (!p)
        return 1;
    for (int j = 0; j < JOINT_COUNT; j++) {
        dJointSetHingeParam(p->hinges[j], dParamVel, 0);
        dJointSetHingeParam(p->hinges[j], dParamFMax, 0);
    }
    return 0;
}

int drive_joint(int i, int j, int state)
{
    Player *p = get_player(i);
    if (!p || !joint_ok(j))
        return 1;
    const JointDef &d = p->joint_defs[j];
    dJointID h = p->hinges[j];
    // Mods, rpg statistics and servers can give any number: the motor takes
    // only what the engine can step.
    const dReal velocity = motor_velocity_bounded(d.velocity);
    const dReal strength = motor_force_bounded(d.strength);
    switch (state) {
    case MOTOR_FWD:
        dJointSetHingeParam(h, dParamVel, -velocity);
        dJointSetHingeParam(h, dParamFMax, strength);
        break;
    case MOTOR_BACK:
        dJointSetHingeParam(h, dParamVel, velocity);
        dJointSetHingeParam(h, dParamFMax, strength);
        break;
    case MOTOR_HOLD:
        dJointSetHingeParam(h, dParamVel, 0);
        dJointSetHingeParam(h, dParamFMax, motor_force_bounded(std::fabs(d.strength * 0.33333334f)));
        break;
    case MOTOR_RELAX:
        dJointSetHingeParam(h, dParamVel, 0);
        dJointSetHingeParam(h, dParamFMax, 0);
        dGeomSphereSetRadius(p->joint_spheres[j], d.radius);
        break;
    default:
        break;
    }
    return 0;
}

int apply_grip(int i, int hand, int on)
{
    Player *p = get_player(i);
    if (!p || grip_hand_slot(hand) < 0)
        return 1;
    const BodyDef &d = p->body_defs[hand];
    const float *s = on ? d.alt_sides : d.sides;
    dGeomID g = p->body_geoms[hand];
    switch (dGeomGetClass(g)) {
    case dSphereClass: dGeomSphereSetRadius(g, s[0]); break;
    case dBoxClass: dGeomBoxSetLengths(g, s[0], s[1], s[2]); break;
    case dCapsuleClass: dGeomCapsuleSetParams(g, s[0], s[1]); break;
    default: return 1;
    }
    return 0;
}

int set_grip(int i, int hand, int value)
{
    Player *p = get_player(i);
    const int slot = grip_hand_slot(hand);
    if (!p || slot < 0 || value < GRIP_NONE || value > GRIP_RELEASE)
        return 1;
    p->grip_wish[slot] = value;
    apply_grip(i, hand, value == GRIP_ON);
    return 0;
}

int toggle_grip(int i, int hand)
{
    Player *p = get_player(i);
    if (!p || game_is_running())
        return 1;
    const int slot = grip_hand_slot(hand);
    if (slot >= 0) {
        if (p->grip_wish[slot] == GRIP_ON) {
            p->grip_wish[slot] = GRIP_RELEASE;
            apply_grip(i, hand, 0);
        } else {
            p->grip_wish[slot] = GRIP_ON;
            apply_grip(i, hand, 1);
        }
    }
    restart_ghost(1);
    return 0;
}

void apply_all_grips(void)
{
    const int n = get_game_state()->players;
    for (int i = 0; i < n; i++) {
        Player *p = get_player(i);
        if (!p)
            continue;
        const int hands[2] = {L_HAND, R_HAND};
        for (int k = 0; k < 2; k++) {
            const int v = p->grip_wish[k] ? p->grip_wish[k] : p->grip_state[k];
            apply_grip(i, hands[k], v == GRIP_ON);
        }
    }
}

void clear_player_grips(int i)
{
    if (Player *p = get_player(i))
        p->grip_wish[0] = p->grip_wish[1] = 0;
}

int parse_joint_pairs(int i, const char *text)
{
    Player *p = get_player(i);
    if (!p || !text)
        return 1;
    const char *s = text;
    for (int n = 0; n < JOINT_COUNT; n++) {
        char *end;
        errno = 0;
        const long j = strtol(s, &end, 10);
        if (end == s)
            break;
        s = end;
        const long state = strtol(s, &end, 10);
        if (end == s)
            break;
        s = end;
        if (j < 0 || j >= JOINT_COUNT || state < MOTOR_NONE || state > MOTOR_RELAX) {
            fprintf(stderr, "Joint pair %ld %ld refused: joint 0..19, state 0..4\n", j, state);
            continue;
        }
        p->motor_wish[j] = (int)state;
    }
    return 0;
}

static void delete_grip_joint(Player *p, int body)
{
    if (p->grip_joints[body]) {
        dJointDestroy(p->grip_joints[body]);
        p->grip_joints[body] = nullptr;
    }
    p->grip_target[body] = -1;
}

void apply_pending_wishes(void)
{
    const int records = get_game_globals()->built_players;
    for (int i = 0; i < records; i++) {
        Player *p = get_player(i);
        if (!p || p->hidden)
            continue;
        for (int j = 0; j < JOINT_COUNT; j++) {
            if (p->motor_wish[j] != 0) {
                drive_joint(i, j, p->motor_wish[j]);
                p->motor_wish[j] = 0;
            }
        }
        const int hands[2] = {L_HAND, R_HAND};
        for (int k = 0; k < 2; k++) {
            const int wish = p->grip_wish[k];
            if (wish == 0)
                continue;
            p->grip_state[k] = wish;
            if (wish == GRIP_ON) {
                apply_grip(i, hands[k], 1);
            } else if (wish == GRIP_RELEASE) {
                apply_grip(i, hands[k], 0);
                delete_grip_joint(p, hands[k]);
            }
        }
        p->grip_wish[0] = p->grip_wish[1] = 0;
    }
}

// A grip of fighter i's hand on a fighter's body or, for other < 0, on an
// environment object of the ghost space or the live one.
static int grip_to(int i, int other, int hand, int target, const double *point, bool ghost)
{
    Player *p = get_player(i);
    if (!p || grip_hand_slot(hand) < 0)
        return 0;
    if (p->grip_joints[hand]) {
        if (other >= 0)
            return 0;
        return p->grip_target[hand] == target ? 1 : 0;
    }

    dBodyID target_body = nullptr;
    if (other < 0) {
        EnvObjectBody *o = ghost ? get_env_object_ghost(target) : get_env_object(target);
        if (!o || (o->flag & ENV_FLAG_NO_GRIP))
            return 0;
        target_body = o->body;  // none for a static object: held to the world
        p->grip_target[hand] = target;
    } else {
        Player *q = get_player(other);
        if (!q || target < 0 || target >= BODY_COUNT || (q->body_defs[target].flag & BODY_FLAG_NO_GRIP))
            return 0;
        target_body = q->bodies[target];
        p->grip_target[hand] = -1;
    }

    dBodyID hand_body = p->bodies[hand];
    // The engine joins two different bodies only: a hand gripping itself,
    // as a server's GRAB line may ask, would end the program. An anchor
    // must be a place in the world.
    if (target_body == hand_body || !hand_body) {
        fprintf(stderr, "Grip of fighter %d's hand %d on itself refused\n", i, hand);
        p->grip_target[hand] = -1;
        return 0;
    }
    if (other < 0 && !pose_position_ok(point)) {
        fprintf(stderr, "Grip of fighter %d's hand %d at a point outside the world refused\n", i, hand);
        p->grip_target[hand] = -1;
        return 0;
    }
    dJointID h = dJointCreateHinge(get_game_globals()->world, 0);
    dJointAttach(h, hand_body, target_body);
    const dReal *R = dBodyGetRotation(hand_body);
    if (other < 0) {
        dJointSetHingeAnchor(h, point[0], point[1], point[2]);
    } else {
        const dReal *a = dBodyGetPosition(hand_body);
        const dReal *b = dBodyGetPosition(target_body);
        dJointSetHingeAnchor(h, (a[0] + b[0]) * 0.5, (a[1] + b[1]) * 0.5, (a[2] + b[2]) * 0.5);
    }
    dJointSetHingeAxis(h, R[0], R[1], R[2]);
    dJointSetHingeParam(h, dParamFMax, 100);
    dJointSetFeedback(h, &p->grip_feedback[hand]);
    p->grip_joints[hand] = h;
    return other < 0 ? 1 : 0;
}

int grip_contact(int i, int other, int hand, int target, const double *point)
{
    return grip_to(i, other, hand, target, point, get_game_state()->ghost_mode != 0);
}

int grip_from_record(int i, int other, int hand, int target, const double *point)
{
    return grip_to(i, other, hand, target, point, false);
}

void delete_player_grip_joints(int i)
{
    Player *p = get_player(i);
    if (!p)
        return;
    for (int b = 0; b < BODY_COUNT; b++)
        delete_grip_joint(p, b);
}

void delete_all_grip_joints(void)
{
    for (int i = 0; i < get_game_globals()->built_players; i++)
        delete_player_grip_joints(i);
}
