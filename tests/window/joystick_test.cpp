// The joystick layer fed real SDL joystick events through the main loop's
// pass: the stick puts the pointer on its circle, the buttons press keys and
// click at the pointer; a device that is not open, or one stopped, changes
// nothing. Also the listing of the full-screen modes.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>
#include <cstdio>
#include <string>
#include <vector>

#include "app/base/options.h"
#include "app/joystick_sdl.h"
#include "app/key_bindings.h"
#include "app/video_modes_sdl.h"
#include "app/window_events_sdl.h"
#include "window/gl_context.h"

namespace {

std::vector<std::string> g_calls;

int rec_key(int sym, int, int, int pressed)
{
    g_calls.push_back("key " + std::to_string(sym) + " " + std::to_string(pressed));
    return 1;
}
void rec_button(int type, int button, int x, int y)
{
    g_calls.push_back("button " + std::to_string(type) + " " + std::to_string(button) + " " + std::to_string(x) +
                      " " + std::to_string(y));
}
void rec_pick(int, int pressed, const double *, const double *, int x, int y)
{
    g_calls.push_back("pick " + std::to_string(pressed) + " " + std::to_string(x) + " " + std::to_string(y));
}

// The calls made, less the hover picks: warping the pointer makes the X
// server send a motion event of its own, which may arrive a pass later.
std::vector<std::string> calls_but_hover()
{
    std::vector<std::string> got;
    for (const std::string &c : g_calls)
        if (c.rfind("pick 0", 0) != 0)
            got.push_back(c);
    return got;
}

void push_axis(int device, int axis, int value)
{
    SDL_Event e = {};
    e.type = SDL_JOYAXISMOTION;
    e.jaxis.which = (Uint8)device;
    e.jaxis.axis = (Uint8)axis;
    e.jaxis.value = (Sint16)value;
    SDL_PushEvent(&e);
}

void push_button(int device, int button, int down)
{
    SDL_Event e = {};
    e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    e.jbutton.which = (Uint8)device;
    e.jbutton.button = (Uint8)button;
    e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
}

bool called(const std::string &call)
{
    for (const std::string &c : g_calls)
        if (c == call)
            return true;
    return false;
}

} // namespace

TEST(Joystick, EventsOfTheOpenDeviceDriveThePointerAndTheCallbacks)
{
    kxtest::GlContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    option_set(OPT_WIDTH, 64);
    option_set(OPT_HEIGHT, 64);
    MainLoopCallbacks cb = {};
    cb.key = rec_key;
    cb.mouse_button = rec_button;
    cb.pick = rec_pick;
    SDL_Event drain;
    while (SDL_PollEvent(&drain)) {
    }

    // Nothing started it, and this display has no joystick: no device.
    if (joystick_start() != 0) {
        EXPECT_EQ(joystick_device(), -1);
    }
    joystick_stop();
    push_axis(0, 0, 32767);
    push_button(0, 1, 1);
    main_loop_step(&cb);
    EXPECT_TRUE(g_calls.empty());
    int x0, y0, x1, y1;
    EXPECT_EQ(joystick_pointer_line(&x0, &y0, &x1, &y1), 0);

    // Device 0 taken: the stick full right puts the pointer 0.4 of the
    // window's side right of the middle; a resting stick leaves it there.
    joystick_use_device(0);
    push_axis(0, 0, 32767);
    push_axis(0, 1, 0);
    main_loop_step(&cb);
    ASSERT_EQ(joystick_pointer_line(&x0, &y0, &x1, &y1), 1);
    EXPECT_EQ(std::vector<int>({x0, y0, x1, y1}), std::vector<int>({32, 32, 58, 32}));
    EXPECT_TRUE(called("pick 0 58 32"));
    push_axis(0, 0, 3000);
    push_axis(0, 1, -32767);     // up, a little right
    main_loop_step(&cb);
    joystick_pointer_line(&x0, &y0, &x1, &y1);
    EXPECT_EQ(std::vector<int>({x1, y1}), std::vector<int>({34, 7}));

    // The line from the middle to the pointer is drawn over the frame (whose
    // set-up gives the viewport the window's size).
    glViewport(0, 0, 64, 64);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    joystick_draw_pointer_line();
    unsigned char px[4] = {};
    glReadPixels(33, 64 - 1 - 19, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);   // halfway, window y 19
    EXPECT_GT(px[0], 100);
    glReadPixels(10, 64 - 1 - 50, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);   // away from it
    EXPECT_EQ(px[0], 0);
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();

    // Buttons: 0 clicks at the pointer, the others are keys.
    g_calls.clear();
    push_button(0, 0, 1);
    push_button(0, 0, 0);
    push_button(0, 1, 1);
    push_button(0, 1, 0);
    push_button(0, 3, 1);
    main_loop_step(&cb);
    const std::vector<std::string> want = {"pick 1 34 7", "button 5 1 34 7", "button 6 1 34 7",
                                           "key " + std::to_string(KEY_Z) + " 1",
                                           "key " + std::to_string(KEY_Z) + " 0",
                                           "key " + std::to_string(KEY_SPACE) + " 1"};
    EXPECT_EQ(calls_but_hover(), want);

    // Another device's events, and any after the joystick is gone.
    g_calls.clear();
    push_axis(1, 0, -32767);
    push_button(1, 1, 1);
    main_loop_step(&cb);
    EXPECT_TRUE(calls_but_hover().empty());
    joystick_pointer_line(&x0, &y0, &x1, &y1);
    EXPECT_EQ(std::vector<int>({x1, y1}), std::vector<int>({34, 7}));
    joystick_stop();
    push_axis(0, 0, -32767);
    push_button(0, 0, 1);
    main_loop_step(&cb);
    EXPECT_TRUE(calls_but_hover().empty());
    EXPECT_EQ(joystick_pointer_line(&x0, &y0, &x1, &y1), 0);
}

TEST(VideoModes, EachAnswerOfTheListPrintsItsLines)
{
    char *text = nullptr;
    size_t size = 0;
    FILE *out = open_memstream(&text, &size);
    SDL_Rect a = {0, 0, 1280, 1024}, b = {0, 0, 640, 480};
    SDL_Rect *modes[] = {&a, &b, nullptr};
    print_video_modes(out, nullptr);
    print_video_modes(out, (SDL_Rect **)-1);
    print_video_modes(out, modes);
    fclose(out);
    EXPECT_EQ(std::string(text), "No modes available!\nAll resolutions available.\n  1280 x 1024\n  640 x 480\n");
    free(text);
}
