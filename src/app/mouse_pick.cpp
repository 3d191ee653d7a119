// Picking with the mouse: the cursor ray against the fighters' joints,
// bodies and hands, and the joint click.
#include "app/key_bindings.h"

#include <cmath>
#include <initializer_list>

#include "app/base/options.h"
#include "app/services/sound.h"
#include "app/window_hooks.h"
#include "game/game_state.h"
#include "game/ghost.h"
#include "game/joints.h"
#include "game/match_mode.h"
#include "game/match_rules.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "game/world_physics.h"
#include "gui/services/chat_log.h"
#include "gui/services/menu_actions.h"
#include "gui/services/menu_state.h"
#include "gui/services/scroll_list.h"
#include "script/script_hooks.h"

namespace {

int g_hover;
int g_selected_body = -1;
int g_pick_disabled = -1;

void hook_call(void (*fn)(void))
{
    if (fn)
        fn();
}

} // namespace

int hover_kind(void) { return g_hover; }
int get_selected_body(void) { return g_selected_body; }
void set_pick_disabled_fighter(int i) { g_pick_disabled = i; }

int cursor_kind_wanted(int over_link)
{
    // The second arrow marks what a click would change: a joint or a hand
    // of the fighter in live play, or a link in the chat, over the game or
    // the chat input.
    const int menu = get_menu_mode();
    if (menu != 0 && menu != MENU_CHAT_INPUT)
        return 0;
    if (over_link)
        return 1;
    if (match_is_replay() || match_is_over())
        return 0;
    return g_hover != HOVER_NONE ? 1 : 0;
}

void mouse_pick_reset(void)
{
    g_hover = HOVER_NONE;
    g_selected_body = g_pick_disabled = -1;
}

void on_pick(int mods, int pressed, const double *near_pt, const double *far_pt, int x, int y)
{
    const int menu = get_menu_mode();
    if (menu != 0 && menu != MENU_CHAT_INPUT)
        return;
    ScrollList *list = chat_current_scroll();
    if (list)
        list_mouse_hit(list, x, y);
    if (pressed) {
        if (fire_hook_mouse_button(1, 1, x, y))
            return;
    } else {
        WindowHooks *h = window_hooks();
        if ((!h->window_has_mouse || h->window_has_mouse()) && fire_hook_mouse_move(x, y))
            return;
    }
    mouse_pick_joint(mods, pressed, near_pt, far_pt, x, y);
}

namespace {

// Squared distance of the ray's hit on g, or -1 when it misses.
double ray_hit(dGeomID ray, dGeomID g, const double *from)
{
    if (!g)
        return -1;
    return contact_distance_sq(ray, g, from);
}

void after_pick(int fighter, int old_body, int old_joint)
{
    dGeomRaySetLength(get_game_globals()->ray, 0);
    if (g_selected_body != old_body) {
        fire_hook_body_select(fighter, g_selected_body);
        hook_call(window_hooks()->hide_chat_input);
        menu_set_state(0);
        ui_flag_set();
    }
    const int joint = get_selected_joint();
    if (joint != old_joint) {
        if (joint >= 0 && option_get(OPT_JOINTSOUND) && can_change_joint(1, 0))
            sound_play(6, SOUND_MENU_CLICK, 1, 0);
        fire_hook_joint_select(fighter, joint);
        hook_call(window_hooks()->hide_chat_input);
        menu_set_state(0);
        ui_flag_set();
    }
}

} // namespace

void mouse_pick_joint(int mods, int pressed, const double *near_pt, const double *far_pt, int x, int y)
{
    (void)x;
    (void)y;
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    if (!g->ray)
        return;
    if (match_is_network() && (match_is_replay() || !all_bouts_present() || match_is_over()))
        return;
    double dir[3] = {far_pt[0] - near_pt[0], far_pt[1] - near_pt[1], far_pt[2] - near_pt[2]};
    const double len = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
    if (!(len > 0))
        return;
    dGeomRaySet(g->ray, near_pt[0], near_pt[1], near_pt[2], dir[0] / len, dir[1] / len, dir[2] / len);
    dGeomRaySetLength(g->ray, 100);
    g_hover = HOVER_NONE;
    const int old_body = g_selected_body, old_joint = get_selected_joint();
    int sel = g->selected_player;

    if (pressed) {
        // A network player whose turn is sent changes nothing more.
        const Player *own = match_is_network() && g->own_slot >= 0 ? get_player(g->own_slot) : nullptr;
        if (own && own->ready) {
            dGeomRaySetLength(g->ray, 0);
            return;
        }
        int hit_fighter = -1, hit_joint = -1, hit_body = -1, joint_hit = 0;
        double best = 100000;
        for (int i = 0; i < fighter_count(); i++) {
            if ((i == 0 && option_get(OPT_VAKO) == 0) || (i == 1 && option_get(OPT_ZUD) == 0))
                continue;
            if (match_is_network() && g->own_slot >= 0 && i != g->own_slot)
                continue;
            Player *p = get_player(i);
            if (!p || p->out_of_play)
                continue;
            for (int j = 0; j < JOINT_COUNT; j++) {
                const double d = ray_hit(g->ray, p->joint_geoms[j], near_pt);
                if (d > 0 && d < best) {
                    best = d;
                    hit_fighter = i;
                    hit_joint = j;
                    hit_body = -1;
                    joint_hit = 1;
                    g_hover = HOVER_JOINT;
                }
            }
            if (joint_hit)
                continue;
            for (int b = 0; b < BODY_COUNT; b++) {
                const double d = ray_hit(g->ray, p->body_geoms[b], near_pt);
                if (d > 0 && d < best) {
                    best = d;
                    hit_fighter = i;
                    hit_body = b;
                    hit_joint = -1;
                }
            }
        }
        if (hit_fighter < 0) {
            if (match_is_network()) {
                dGeomRaySetLength(g->ray, 0);
                return;
            }
            if (option_get(OPT_BACKGROUNDCLICK) == 1) {
                g->selected_player = -1;
                set_selected_joint(-1);
            }
            after_pick(g->selected_player, old_body, old_joint);
            return;
        }
        hook_call(window_hooks()->hide_chat_input);
        if (match_is_network() && g->own_slot == -1) {
            // A spectator's pick only chooses whose ghost preview is shown.
            ghost_pick_player(hit_fighter);
            remember_picked_joint(hit_fighter);
            dGeomRaySetLength(g->ray, 0);
            return;
        }
        if (match_is_replay()) {
            if (hit_fighter != sel)
                g->selected_player = hit_fighter;
            dGeomRaySetLength(g->ray, 0);
            return;
        }
        remember_picked_joint(hit_fighter);
        if (hit_fighter != sel) {
            fire_hook_player_select(hit_fighter);
            if (hit_fighter == g_pick_disabled) {
                dGeomRaySetLength(g->ray, 0);
                return;
            }
            sound_play(6, SOUND_SELECT_PLAYER, 1, 0);
            if (w->ghost_mode == 1)
                leave_ghost_mode();
            else if (w->ghost_mode == 2)
                start_ghost_all();
            if (w->ghost_mode == 0 || w->ghost_mode == 1)
                start_ghost_player(hit_fighter);
            g->selected_player = hit_fighter;
            set_selected_joint(hit_joint);
            joint_click(mods, hit_fighter, hit_joint, pressed);
        } else if (!match_is_running()) {
            if ((hit_body == R_HAND || hit_body == L_HAND) && !(get_match_rules()->flags & RULE_FLAG_NO_GRIP)) {
                if (can_change_fighter_grip(hit_fighter, hit_body))
                    toggle_grip(hit_fighter, hit_body);
                g_hover = HOVER_HAND;
            }
            if (hit_joint >= 0 && hit_joint == get_selected_joint())
                joint_click(mods, hit_fighter, hit_joint, pressed);
        }
        g_selected_body = hit_body;
        set_selected_joint(hit_joint);
        set_player_selection(hit_fighter, hit_body < 0 ? 0 : hit_body);
        set_ghost_trail_complete(0);
        after_pick(hit_fighter, old_body, old_joint);
        return;
    }

    // Hover: the joint or hand of the selected fighter under the cursor.
    Player *p = sel >= 0 ? get_player(sel) : nullptr;
    if (!p || (match_is_network() ? (g->own_slot < 0 || p->ready) : match_is_over())) {
        dGeomRaySetLength(g->ray, 0);
        return;
    }
    double best = 1000000;
    int joint = -1, body = -1;
    for (int j = 0; j < JOINT_COUNT; j++) {
        const double d = ray_hit(g->ray, p->joint_geoms[j], near_pt);
        if (d > 0 && d < best) {
            best = d;
            joint = j;
            g_hover = HOVER_JOINT;
        }
    }
    if (!(get_match_rules()->flags & RULE_FLAG_NO_GRIP)) {
        for (int hand : {L_HAND, R_HAND}) {
            const double d = ray_hit(g->ray, p->body_geoms[hand], near_pt);
            if (d > 0 && d < best) {
                best = d;
                body = hand;
                joint = -1;
                g_hover = HOVER_HAND;
            }
        }
    }
    g_selected_body = body;
    set_selected_joint(joint);
    after_pick(sel, old_body, old_joint);
}

void joint_click(int mods, int fighter, int joint, int pressed)
{
    if (pressed != 1 || !can_change_fighter_joint(fighter, joint))
        return;
    int r;
    switch (option_get(OPT_MOUSEBUTTONS)) {
    case 1: r = cycle_joint_state((mods & MOD_SHIFT) ? 1 : 0, fighter, joint); break;
    case 2: r = toggle_joint_hold_relax(fighter, joint); break;
    default: r = toggle_joint_fwd_back(fighter, joint); break;
    }
    if (r == 0)
        restart_preview();
}

void on_mouse_button(int type, int button, int x, int y)
{
    if (type == 6)
        fire_hook_mouse_button(0, button, x, y);
}
