// The joystick layer: the first joystick SDL reports drives the pointer and
// the game's callbacks. The stick puts the pointer on a circle around the
// middle of the window (the mouse is warped there and hovers as the mouse
// would); the buttons act as the mouse button at the pointer and as keys.
// Nothing in the program starts it; the main loop hands it every joystick
// event, and events of a device that is not open change nothing.
#pragma once
#include "app/main_loop.h"

union SDL_Event;

// Starts SDL's joystick subsystem and opens the first joystick; 0 when one
// is open, 1 when there is none.
int joystick_start(void);
// Closes the joystick; its events change nothing afterwards.
void joystick_stop(void);
// Takes the events of device index (joystick_start does this for the one it
// opens; -1 takes none).
void joystick_use_device(int index);
// The device index whose events are taken, -1 none.
int joystick_device(void);
// One SDL event: a stick or button event of the device taken moves the
// pointer or runs the callbacks. 1 when it was used.
int joystick_event(MainLoopCallbacks *cb, const SDL_Event *e);
// The line from the middle of the window to the pointer while the stick is
// out of its rest; 0 when there is none.
int joystick_pointer_line(int *x0, int *y0, int *x1, int *y1);
// Draws that line over the frame (nothing while there is none).
void joystick_draw_pointer_line(void);

// The buttons' meanings, a row per button.
enum JoystickAction { JOY_POINTER_BUTTON = 0, JOY_KEY = 1 };
struct JoystickButton {
    int button;
    int action;
    int key;     // the key symbol of JOY_KEY
};
extern const JoystickButton joystick_buttons[];
