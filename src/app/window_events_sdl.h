// The main loop's pass before the frame (window library).
#pragma once
#include "app/main_loop.h"

// The pacing starts counting from now.
void main_loop_start(void);
// Paces the frame, dispatches every pending event and moves the camera.
void main_loop_step(MainLoopCallbacks *cb);
// A key pressed or let go: to the key callback, or while a text field has
// the keys to the GUI alone; Control+F7 records an animation, Control+Return
// on release switches full screen.
struct SDL_keysym;
void key_down_event(MainLoopCallbacks *cb, const SDL_keysym &k);
void key_up_event(MainLoopCallbacks *cb, const SDL_keysym &k);
// 1 when the window's close request waits in the event queue; it is left
// there for the loop (the window's quit_pending hook).
int window_quit_pending(void);
// The keyboard-to-game flag follows the chat input line.
void sync_ui_flag(void);
