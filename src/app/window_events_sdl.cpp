// The main loop's pass before the frame: pacing by the framerate option,
// every pending SDL event to the program's handlers and to the GUI, and the
// camera moved by the keys held.
#include "app/window_events_sdl.h"

#include <SDL.h>

#include "app/base/options.h"
#include "app/camera.h"
#include "app/joystick_sdl.h"
#include "app/key_bindings.h"
#include "app/pov_recording.h"
#include "app/scene_gl.h"
#include "app/window_sdl.h"
#include "game/turn_control.h"
#include "gui/gui_manager_gl.h"
#include "gui/services/menu_state.h"
#include "script/script_hooks.h"

static_assert((int)KEY_F8 == (int)SDLK_F8 && (int)KEY_LMETA == (int)SDLK_LMETA &&
                  (int)KEY_KP_ENTER == (int)SDLK_KP_ENTER && (int)KEY_PAGEDOWN == (int)SDLK_PAGEDOWN &&
                  (int)KEY_RIGHTBRACKET == (int)SDLK_RIGHTBRACKET,
              "key symbols follow SDL 1.2");
static_assert((int)MOD_LCTRL == (int)KMOD_LCTRL && (int)MOD_RSHIFT == (int)KMOD_RSHIFT &&
                  (int)MOD_LALT == (int)KMOD_LALT && (int)MOD_NUM == (int)KMOD_NUM,
              "modifier bits follow SDL 1.2");

namespace {

uint32_t g_last_frame;

bool g_first_pass = true;

void pace_frame(void)
{
    if (!option_get(OPT_FIXEDFRAMERATE))
        return;
    // The first frame is drawn at once: there is no frame before it to
    // space it from.
    const uint32_t budget = option_get(OPT_FRAMERATE) == 30 ? 32 : 16;
    const uint32_t elapsed = SDL_GetTicks() - g_last_frame;
    if (elapsed < budget && !g_first_pass)
        SDL_Delay(budget - elapsed);
    g_first_pass = false;
    g_last_frame = SDL_GetTicks();
}

int shift_speed(void) { return (SDL_GetModState() & KMOD_SHIFT) ? 2 : 1; }

void pick_at(MainLoopCallbacks *cb, int mods, int pressed, int x, int y)
{
    if (!cb->pick)
        return;
    double near_pt[3], far_pt[3];
    unproject_cursor((float)x, (float)y, near_pt, far_pt);
    cb->pick(mods, pressed, near_pt, far_pt, x, y);
}

} // namespace

void key_down_event(MainLoopCallbacks *cb, const SDL_keysym &k)
{
    // Every key reaches the key callback, also while the chat input has the
    // keys (its scroll keys and Tab act there); the text field gets its
    // characters from the GUI, which sees every event after this.
    if (!(cb->key && cb->key(k.sym, k.unicode, k.mod, 1)) && k.sym == SDLK_F7 && (k.mod & KMOD_CTRL))
        pov_recording_toggle();
}

void key_up_event(MainLoopCallbacks *cb, const SDL_keysym &k)
{
    const int mods = k.mod;
    const int one_ctrl = mods == KMOD_LCTRL || mods == KMOD_RCTRL;
    if ((k.sym == SDLK_RETURN && one_ctrl) ||
        (mods == (KMOD_NUM | KMOD_LCTRL) && (k.sym == SDLK_RETURN || k.sym == SDLK_KP_ENTER))) {
        toggle_fullscreen();
        return;
    }
    if (cb->key)
        cb->key(k.sym, k.unicode, mods, 0);
}

namespace {

void mouse_camera_update(void)
{
    CameraState *cam = get_camera();
    const int keys = camera_keys_held();
    if (cam->keyframe_state == KEYFRAMES_PLAYING) {
        if (!keys)
            return;
        cam->keyframe_state = KEYFRAMES_OFF;
    }
    update_frame_time();
    move_camera_keys(keys, get_frame_time());
    if (ui_flag() && keys) {
        int x, y;
        SDL_GetMouseState(&x, &y);
        double near_pt[3], far_pt[3];
        unproject_cursor((float)x, (float)y, near_pt, far_pt);
        mouse_pick_joint(0, 0, near_pt, far_pt, x, y);
    }
}

} // namespace

void main_loop_start(void)
{
    g_last_frame = SDL_GetTicks();
    g_first_pass = true;
}

// The keyboard-to-game flag follows the chat input line: keys go to the
// game unless the line is open.
void sync_ui_flag(void)
{
    if (get_menu_mode() == MENU_CHAT_INPUT)
        ui_flag_clear();
    else
        ui_flag_set();
}

int window_quit_pending(void)
{
    // Asked from inside a script that runs long: events are read from the
    // display at most every 100 ms, and the close request stays queued for
    // the loop to take once the script has ended.
    static Uint32 last_pump;
    const Uint32 now = SDL_GetTicks();
    if (now - last_pump >= 100) {
        last_pump = now;
        SDL_PumpEvents();
    }
    SDL_Event e;
    return SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_QUITMASK) > 0;
}

void main_loop_step(MainLoopCallbacks *cb)
{
    pace_frame();
    quit_signal_take();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_QUIT:
            quit_request();
            break;
        case SDL_KEYDOWN:
            key_down_event(cb, e.key.keysym);
            break;
        case SDL_KEYUP:
            key_up_event(cb, e.key.keysym);
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT)
                pick_at(cb, SDL_GetModState() & 3, 1, e.button.x, e.button.y);
            if (e.button.button == SDL_BUTTON_RIGHT) {
                camera_drag_set(1);
                grab_mouse();
            }
            if (cb->mouse_button)
                cb->mouse_button(SDL_MOUSEBUTTONDOWN, e.button.button, e.button.x, e.button.y);
            break;
        case SDL_MOUSEBUTTONUP:
            if (cb->mouse_button)
                cb->mouse_button(SDL_MOUSEBUTTONUP, e.button.button, e.button.x, e.button.y);
            if (camera_drag_on() && (e.button.button == SDL_BUTTON_RIGHT || e.button.button == 4)) {
                release_mouse();
                camera_drag_set(0);
            }
            break;
        case SDL_MOUSEMOTION:
            if (!camera_drag_on()) {
                if (SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE)
                    SDL_ShowCursor(SDL_ENABLE);
                if (e.motion.state)
                    script_hook_mouse_move(e.motion.state, e.motion.x, e.motion.y);
                else
                    pick_at(cb, 0, 0, e.motion.x, e.motion.y);
            } else {
                drag_camera(shift_speed(), e.motion.xrel, e.motion.yrel);
            }
            break;
        case SDL_JOYAXISMOTION:
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
            joystick_event(cb, &e);
            break;
        case SDL_ACTIVEEVENT:
            if (e.active.gain && (e.active.state & SDL_APPACTIVE) && option_get(OPT_NORELOAD) == 0)
                video_reset();
            break;
        default:
            break;
        }
        // The GUI sees every event at once, in order with the game's own
        // handling (the key that opens the chat input comes before the
        // first letter typed into it, even in one batch of events).
        if (GuiManager *gui = get_gui_manager())
            gui->pushInput(e);
        sync_ui_flag();
    }
    mouse_camera_update();
}

