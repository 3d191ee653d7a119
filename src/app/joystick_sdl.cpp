#include <GL/glew.h>

#include "app/joystick_sdl.h"

#include <SDL.h>
#include <cmath>

#include "app/base/options.h"
#include "app/key_bindings.h"
#include "app/scene_gl.h"

// The stick's rest: deflections up to this leave the pointer where it is.
enum { STICK_REST = 8000 };

const JoystickButton joystick_buttons[] = {
    {0, JOY_POINTER_BUTTON, 0},   // select and change what is under the pointer
    {1, JOY_KEY, KEY_Z},          // joint forward / back
    {2, JOY_KEY, KEY_X},          // joint hold / relax
    {3, JOY_KEY, KEY_SPACE},      // commit the turn
    {4, JOY_KEY, KEY_L},          // grip
    {5, JOY_KEY, KEY_C},          // all joints hold / relax
    {-1, 0, 0},
};

namespace {

SDL_Joystick *g_joystick;
int g_device = -1;
int g_axis[2];
int g_pointer_on;
int g_pointer[2];

void centre(int *x, int *y)
{
    *x = option_get(OPT_WIDTH) / 2;
    *y = option_get(OPT_HEIGHT) / 2;
}

// The stick's direction on the circle; the pointer stays while it rests.
void move_pointer(MainLoopCallbacks *cb)
{
    if (std::abs(g_axis[0]) <= STICK_REST && std::abs(g_axis[1]) <= STICK_REST)
        return;
    int cx, cy;
    centre(&cx, &cy);
    const int w = option_get(OPT_WIDTH), h = option_get(OPT_HEIGHT);
    const double radius = 0.4 * (w < h ? w : h);
    const double a = std::atan2((double)g_axis[1], (double)g_axis[0]);
    g_pointer[0] = cx + (int)std::lround(std::cos(a) * radius);
    g_pointer[1] = cy + (int)std::lround(std::sin(a) * radius);
    g_pointer_on = 1;
    SDL_WarpMouse((Uint16)g_pointer[0], (Uint16)g_pointer[1]);
    if (cb->pick) {
        double near_pt[3], far_pt[3];
        unproject_cursor((float)g_pointer[0], (float)g_pointer[1], near_pt, far_pt);
        cb->pick(0, 0, near_pt, far_pt, g_pointer[0], g_pointer[1]);
    }
}

void press(MainLoopCallbacks *cb, int button, int down)
{
    for (const JoystickButton *b = joystick_buttons; b->button >= 0; b++) {
        if (b->button != button)
            continue;
        if (b->action == JOY_KEY) {
            if (cb->key)
                cb->key(b->key, 0, 0, down);
            return;
        }
        int x, y;
        if (g_pointer_on) {
            x = g_pointer[0];
            y = g_pointer[1];
        } else {
            centre(&x, &y);
        }
        if (down && cb->pick) {
            double near_pt[3], far_pt[3];
            unproject_cursor((float)x, (float)y, near_pt, far_pt);
            cb->pick(0, 1, near_pt, far_pt, x, y);
        }
        if (cb->mouse_button)
            cb->mouse_button(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, x, y);
        return;
    }
}

} // namespace

int joystick_start(void)
{
    if (!SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
        return 1;
    if (SDL_NumJoysticks() < 1)
        return 1;
    g_joystick = SDL_JoystickOpen(0);
    if (!g_joystick)
        return 1;
    SDL_JoystickEventState(SDL_ENABLE);
    joystick_use_device(0);
    return 0;
}

void joystick_stop(void)
{
    if (g_joystick && SDL_WasInit(SDL_INIT_JOYSTICK))
        SDL_JoystickClose(g_joystick);
    g_joystick = nullptr;
    joystick_use_device(-1);
}

void joystick_use_device(int index)
{
    g_device = index < 0 ? -1 : index;
    g_axis[0] = g_axis[1] = 0;
    g_pointer_on = 0;
}

int joystick_device(void) { return g_device; }

int joystick_event(MainLoopCallbacks *cb, const SDL_Event *e)
{
    if (g_device < 0 || !cb || !e)
        return 0;
    // A joystick that SDL no longer has open is gone: its events (and any
    // after them) change nothing.
    if (g_joystick && !SDL_JoystickOpened(g_device)) {
        g_joystick = nullptr;
        joystick_use_device(-1);
        return 0;
    }
    switch (e->type) {
    case SDL_JOYAXISMOTION:
        if (e->jaxis.which != g_device || e->jaxis.axis > 1)
            return 0;
        g_axis[e->jaxis.axis] = e->jaxis.value;
        move_pointer(cb);
        return 1;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (e->jbutton.which != g_device)
            return 0;
        press(cb, e->jbutton.button, e->type == SDL_JOYBUTTONDOWN);
        return 1;
    default:
        return 0;
    }
}

void joystick_draw_pointer_line(void)
{
    int x0, y0, x1, y1;
    if (!joystick_pointer_line(&x0, &y0, &x1, &y1))
        return;
    push_ortho();
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 0.8f);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    glVertex2i(x0, y0);
    glVertex2i(x1, y1);
    glEnd();
    glLineWidth(1.0f);
    pop_ortho();
}

int joystick_pointer_line(int *x0, int *y0, int *x1, int *y1)
{
    if (!g_pointer_on || g_device < 0)
        return 0;
    centre(x0, y0);
    *x1 = g_pointer[0];
    *y1 = g_pointer[1];
    return 1;
}
