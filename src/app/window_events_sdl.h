// The main loop's pass before the frame (window library).
#pragma once
#include "app/main_loop.h"

// The pacing starts counting from now.
void main_loop_start(void);
// Paces the frame, dispatches every pending event and moves the camera.
void main_loop_step(MainLoopCallbacks *cb);
// The keyboard-to-game flag follows the chat input line.
void sync_ui_flag(void);
