// Keys: the key callback, the camera keys held and the commands that act
// on key release.
#include "app/key_bindings.h"

#include "app/base/clock.h"
#include "app/base/options.h"
#include "app/camera.h"
#include "app/services/settings_io.h"
#include "app/services/sound.h"
#include "app/tick.h"
#include "app/window_hooks.h"
#include "game/game_callbacks.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/ghost.h"
#include "game/joints.h"
#include "game/match_mode.h"
#include "game/match_rules.h"
#include "game/turn_control.h"
#include "game/turn_cycle.h"
#include "gui/services/chat_log.h"
#include "gui/services/menu_actions.h"
#include "gui/services/menu_state.h"
#include "gui/services/scroll_list.h"
#include "net/game_connection.h"
#include "script/script_hooks.h"

namespace {

int g_camera_keys;
int g_drag;
int g_ui_flag = 1;
int g_last_pressed, g_last_sym;
uint32_t g_space_deadline;
int g_camera_disabled;
// The menu state each key was pressed in, -1 when its press was not seen:
// a key typed into the chat input whose release comes after the line was
// sent is no game command.
enum { KEY_SLOTS = 512 };
signed char g_press_menu[KEY_SLOTS];
bool g_press_menu_ready;

int key_slot(int sym) { return sym >= 0 && sym < KEY_SLOTS ? sym : 0; }

void hook_call(void (*fn)(void))
{
    if (fn)
        fn();
}

int network_game(void) { return match_is_network(); }

// The match again from its first frame (the camera takes its keyframes).
void rewind_match(void) { start_playback(0); }

} // namespace

void restart_preview(void)
{
    if (get_game_state()->ghost_mode != 0)
        restart_ghost(1);
}

namespace {

// The camera bit of a key, 0 for another key.
int camera_bit(int sym)
{
    switch (sym) {
    case KEY_W: case KEY_UP: case KEY_KP8: return CAMKEY_W;
    case KEY_S: case KEY_DOWN: case KEY_KP2: return CAMKEY_S;
    case KEY_A: case KEY_LEFT: case KEY_KP4: return CAMKEY_A;
    case KEY_D: case KEY_RIGHT: case KEY_KP6: return CAMKEY_D;
    case KEY_Q: return CAMKEY_Q;
    case KEY_E: return CAMKEY_E;
    default: return 0;
    }
}

int is_alt_or_meta(int sym) { return sym >= KEY_RALT && sym <= KEY_LMETA; }

// A held key keeps moving when Shift is pressed or released.
void apply_shift_state(int mods)
{
    const int plain = g_camera_keys & CAMKEY_PLAIN;
    const int shift = (g_camera_keys >> CAMKEY_SHIFT_SHIFT) & CAMKEY_PLAIN;
    if (mods & MOD_SHIFT)
        g_camera_keys = (plain | shift) << CAMKEY_SHIFT_SHIFT;
    else
        g_camera_keys = plain | shift;
}

void set_fov_mode(int mode, float fov, const char *text)
{
    CameraState *cam = get_camera();
    cam->view_mode = mode;
    if (cam->keyframe_state == KEYFRAMES_PLAYING)
        cam->keyframe_state = KEYFRAMES_OFF;
    cam->fov = fov;
    console_echo(text, MSG_INGAME);
}

void key_space(WorldState *w, int mods)
{
    GameGlobals *g = get_game_globals();
    const uint32_t now = clock_ms();
    if (g->replay_mode == 0) {
        if (w->game_over) {
            if (w->gameover_timelimit != -1) {
                rewind_match();
                g_space_deadline = now + 3000;
            }
        } else if (!game_is_running()) {
            // Between turns (the world waits, the ghost preview may run).
            commit_turn((mods & MOD_SHIFT) ? 1 : 0);
        } else if (network_game() && net_game_connected()) {
            const Player *own = get_player(g->own_slot);
            if (own && !own->ready)
                net_send_ready();
        }
        return;
    }
    if (g_space_deadline == 0 || (int32_t)(now - g_space_deadline) > 0)
        net_ready_or_reset();
}

void camera_command(int sym, int mods)
{
    CameraState *cam = get_camera();
    switch (sym) {
    case KEY_1:
        if (cam->view_mode != VIEW_DEFAULT) {
            camera_face_lookat();
            set_fov_mode(VIEW_DEFAULT, 50, "Default Camera enabled");
            camera_update(get_game_state(), 0.97f);
        }
        break;
    case KEY_2:
        if (mods & MOD_SHIFT) {
            if (cam->view_mode == VIEW_ORBIT || cam->view_mode == VIEW_ORBIT2) {
                cam->view_mode = cam->view_mode == VIEW_ORBIT ? VIEW_ORBIT2 : VIEW_ORBIT;
            } else {
                aim_camera_at(cam->look);
                set_fov_mode(VIEW_ORBIT, 50, "Free Orbital Camera enabled, use W/S/A/D/Q/E + SHIFT to control");
            }
            if (cam->keyframe_state == KEYFRAMES_PLAYING)
                cam->keyframe_state = KEYFRAMES_OFF;
        } else if (cam->view_mode != VIEW_FREE) {
            aim_camera_at(cam->look);
            set_fov_mode(VIEW_FREE, 50, "Free Camera enabled, use W/S/A/D/Q/E + SHIFT to control");
        }
        break;
    case KEY_3:
        if (cam->view_mode != VIEW_FIGHTER0)
            set_fov_mode(VIEW_FIGHTER0, 90, "Vako Camera enabled");
        break;
    case KEY_4:
        if (cam->view_mode != VIEW_FIGHTER1)
            set_fov_mode(VIEW_FIGHTER1, 90, "Zud Camera enabled");
        break;
    case KEY_5:
        if (cam->keyframe_state == KEYFRAMES_PLAYING) {
            cam->keyframe_state = KEYFRAMES_OFF;
        } else {
            cam->keyframe_state = KEYFRAMES_PLAYING;
            cam->view_mode = VIEW_DEFAULT;
        }
        console_echo(camera_mode_text(), MSG_INGAME);
        break;
    default:
        break;
    }
}

// Joint and grip keys on the selected fighter, live play only.
void fighter_command(WorldState *w, int sym, int ctrl)
{
    GameGlobals *g = get_game_globals();
    const int sel = g->selected_player;
    Player *p = sel >= 0 ? get_player(sel) : nullptr;
    if (!match_is_live() || !p)
        return;
    if (match_is_network() && (g->own_slot == -1 || g->own_slot != sel || p->ready))
        return;
    const int joint = get_selected_joint();
    const int allowed = can_change_fighter_joint(sel, joint);
    switch (sym) {
    case KEY_B:
        toggle_ghost_all();
        break;
    case KEY_C:
        if (fighter_may_act(sel)) {
            int any_hold = 0;
            for (int j = 0; j < JOINT_COUNT; j++)
                any_hold |= get_joint_state(sel, j) == MOTOR_HOLD;
            set_all_joint_states(sel, any_hold ? MOTOR_RELAX : MOTOR_HOLD);
            restart_preview();
        }
        break;
    case KEY_Z:
    case KEY_X:
        if (allowed) {
            if (option_get(OPT_JOINTSOUND))
                sound_play(7, SOUND_BUTTON_CLICK, 1, 0);
            const int s = get_joint_state(sel, joint);
            const int next = sym == KEY_Z ? (s == MOTOR_FWD ? MOTOR_BACK : MOTOR_FWD)
                                          : (s == MOTOR_HOLD ? MOTOR_RELAX : MOTOR_HOLD);
            fighter_set_joint_state(sel, joint, next);
            restart_preview();
        }
        break;
    case KEY_L:
        if (!ctrl && (joint == R_WRIST || joint == L_WRIST) &&
            can_change_fighter_grip(sel, joint == R_WRIST ? R_HAND : L_HAND)) {
            const int hand = joint == R_WRIST ? R_HAND : L_HAND;
            const int slot = grip_hand_slot(hand);
            int v;
            if (p->grip_wish[slot] == GRIP_ON || p->grip_wish[slot] == GRIP_RELEASE)
                v = p->grip_wish[slot] == GRIP_ON ? GRIP_RELEASE : GRIP_ON;
            else
                v = p->grip_state[slot] == 1 ? 2 : (p->grip_state[slot] == 0 || p->grip_state[slot] == 2) ? 1 : 0;
            set_grip(sel, hand, v);
        }
        break;
    default:
        break;
    }
    (void)w;
}

void release_command(WorldState *w, int sym, int unicode, int mods)
{
    const int ctrl = (mods & MOD_CTRL) != 0;
    const int shift = (mods & MOD_SHIFT) != 0;
    GameGlobals *g = get_game_globals();
    CameraState *cam = get_camera();
    if (sym == KEY_SPACE) {
        key_space(w, mods);
    } else if (sym == KEY_F) {
        menu_set_state(6);
    } else if (sym == KEY_T) {
        menu_set_state(MENU_CHAT_INPUT);
    } else if (sym == KEY_SLASH) {
        chat_input_open_with("/");
    } else if (sym == KEY_N && ctrl) {
        if (!(network_game() && net_game_connected())) {
            g->network_mode = 0;
            net_ready_or_reset();
        }
    } else if (sym == KEY_M && ctrl) {
        menu_set_state(3);
    } else if (sym == KEY_H && ctrl) {
        menu_set_state(4);
    } else if (sym == KEY_G) {
        if (ctrl)
            menu_set_state(13);
        else
            set_ghost_mode(0);
    } else if (sym == KEY_E && !network_game() && cam->view_mode != VIEW_FREE && cam->view_mode != VIEW_ORBIT &&
               cam->view_mode != VIEW_ORBIT2) {
        enter_edit_mode();
    } else if (sym == KEY_I) {
        clear_camera_keyframes();
        cam->keyframe_state = KEYFRAMES_ARMED;
        console_echo(camera_mode_text(), MSG_INGAME);
        console_echo("keyframes cleared!", MSG_INGAME);
    } else if (sym == KEY_K && !shift) {
        if (cam->key_count == 0)
            save_camera_keyframe(0, cam->look, cam->eye);
        save_camera_keyframe(w->frame, cam->look, cam->eye);
        console_echo("keyframe saved!", MSG_INGAME);
    } else if (sym == KEY_K) {
        clear_camera_keyframes();
        cam->keyframe_state = KEYFRAMES_OFF;
        if (cam->view_mode == VIEW_FREE || cam->view_mode == VIEW_ORBIT || cam->view_mode == VIEW_ORBIT2) {
            // The free camera keeps its place, aimed again at its point.
            const float look[3] = {cam->look[0], cam->look[1], cam->look[2]};
            const float eye[3] = {cam->eye[0], cam->eye[1], cam->eye[2]};
            aim_camera_at(look);
            move_camera_to(eye);
        }
        console_echo("keyframes cleared!", MSG_INGAME);
    } else if (sym == KEY_P) {
        if (shift && g->replay_mode == 0)
            commit_turn(1);
        else
            toggle_game_running(shift ? 1 : 0);
    } else if (sym == KEY_R && !network_game()) {
        rewind_match();
        game_floor_stains_clear();
    } else if (ctrl && !network_game() && (sym == KEY_RIGHTBRACKET || unicode == ']' || unicode == '}')) {
        replay_next();
    } else if (ctrl && !network_game() && (sym == KEY_LEFTBRACKET || unicode == '[' || unicode == '{')) {
        replay_prev();
    } else if (sym == KEY_L && ctrl) {
        open_flame_forge();
    } else if (sym == KEY_J && ctrl) {
        menu_set_state(5);
    } else if (sym >= KEY_1 && sym <= KEY_5) {
        camera_command(sym, mods);
    } else {
        fighter_command(w, sym, ctrl);
    }
}

// Tab, Return and Escape on release, in any menu state.
void chat_and_menu_keys(int sym, int mods, int menu)
{
    if (sym == KEY_TAB && !(mods & (MOD_SHIFT | MOD_LALT))) {
        if (menu == 0 || menu == MENU_CHAT_INPUT)
            chat_set_visible_lines(chat_visible_lines() > 5 ? 5 : 22);
    } else if (sym == KEY_RETURN || sym == KEY_KP_ENTER) {
        if (menu == 0)
            menu_set_state(MENU_CHAT_INPUT);
        else if (menu == MENU_CHAT_INPUT)
            hook_call(window_hooks()->submit_chat_input);
    } else if (sym == KEY_ESCAPE) {
        menu_back();
    }
}

} // namespace

int chat_scroll_keys(int sym)
{
    ScrollList *list = chat_current_scroll();
    if (!list)
        return 0;
    switch (sym) {
    case KEY_PAGEDOWN: list_move_down(list); return 1;
    case KEY_PAGEUP: list_move_up(list); return 1;
    case KEY_HOME: list_reset(list); return 1;
    case KEY_END: list_select_last(list); return 1;
    default: return 0;
    }
}

int input_line_keys(int sym)
{
    return get_menu_mode() == MENU_CHAT_INPUT ? chat_scroll_keys(sym) : 0;
}

int script_hook_mouse_move(int buttons, int x, int y)
{
    (void)buttons;
    return fire_hook_mouse_move(x, y);
}

namespace {
int g_remembered_mode;
}

void remember_mode(int state) { g_remembered_mode = state; }

void restore_previous_mode(void)
{
    menu_set_state(g_remembered_mode);
    ui_flag_set();
}

void options_save_now(void) { options_save(); }

void enable_camera_movement(void) { g_camera_disabled = 0; }
void disable_camera_movement(void) { g_camera_disabled = 1; }
void disable_player_select(int fighter) { set_pick_disabled_fighter(fighter); }

void end_tutorial(void)
{
    // Space acts on the replay only once the tutorial's last words are read.
    g_space_deadline = clock_ms() + 3000;
}

int camera_keys_held(void) { return g_camera_keys; }
void camera_keys_clear_all(void) { g_camera_keys = 0; }
int camera_drag_on(void) { return g_drag; }
void camera_drag_set(int on) { g_drag = on; }
int ui_flag(void) { return g_ui_flag; }
void set_camera_movement_disabled(int on) { g_camera_disabled = on; }
void set_space_deadline(unsigned ms) { g_space_deadline = ms; }

void ui_flag_set(void)
{
    if (!g_ui_flag) {
        g_camera_keys = 0;
        g_ui_flag = 1;
    }
}

void ui_flag_clear(void)
{
    if (g_ui_flag) {
        g_camera_keys = 0;
        g_ui_flag = 0;
    }
}

void key_bindings_reset(void)
{
    g_camera_keys = g_drag = 0;
    g_ui_flag = 1;
    g_last_pressed = g_last_sym = 0;
    g_space_deadline = 0;
    g_camera_disabled = 0;
    g_press_menu_ready = false;
    mouse_pick_reset();
}

int on_key(int sym, int unicode, int mods, int pressed)
{
    return handle_key_command(get_game_state(), sym, unicode, mods, pressed);
}

int handle_key_command(WorldState *w, int sym, int unicode, int mods, int pressed)
{
    if (option_get(OPT_EXHIBITION))
        set_match_deadline();
    const int menu = get_menu_mode();
    if (!g_press_menu_ready) {
        for (signed char &m : g_press_menu)
            m = -1;
        g_press_menu_ready = true;
    }
    const int pressed_in = g_press_menu[key_slot(sym)];
    g_press_menu[key_slot(sym)] = (signed char)(pressed ? menu : -1);
    if (get_ui_mode())
        return 0;
    if (pressed) {
        if (menu == 0 || menu == MENU_CHAT_INPUT)
            chat_scroll_keys(sym);
        const int repeat = g_last_pressed && g_last_sym == sym;
        if (!repeat && menu == 0 && fire_hook_key(sym, 1)) {
            g_last_pressed = 1;
            g_last_sym = sym;
            return 1;
        }
        if (menu == 0 && !g_camera_disabled && sym >= 97 && sym <= 310) {
            g_camera_keys |= camera_bit(sym);
            if (is_alt_or_meta(sym)) {
                hook_call(window_hooks()->grab_mouse);
                g_drag = 1;
            }
        }
    }
    apply_shift_state(mods);
    g_last_pressed = pressed;
    g_last_sym = sym;
    if (pressed)
        return 0;

    if (sym == KEY_F8) {
        hook_call(window_hooks()->take_screenshot);
        return 0;
    }
    // A camera key let go is let go in every menu state: a menu opened
    // while the key was held must not leave the camera moving.
    const int bit = camera_bit(sym);
    if (bit)
        g_camera_keys &= ~(bit | (bit << CAMKEY_SHIFT_SHIFT));
    if (is_alt_or_meta(sym) && g_drag) {
        hook_call(window_hooks()->release_mouse);
        g_drag = 0;
    }
    // A key pressed in another menu state (typed into the chat input whose
    // line has gone since) is no command; the script still hears it come up.
    const bool pressed_elsewhere = pressed_in >= 0 && pressed_in != menu;
    if (!pressed_elsewhere)
        chat_and_menu_keys(sym, mods, menu);
    // The menu state now decides: a release that closed a menu or sent
    // the chat line still reaches the script's key_up hook.
    if (get_menu_mode() != 0)
        return 0;
    if (fire_hook_key(sym, 0) || pressed_elsewhere)
        return 0;
    release_command(w, sym, unicode, mods);
    return 0;
}
