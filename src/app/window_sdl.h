// The SDL window with its OpenGL context, the audio device, the cursors
// and the main loop: pacing, event dispatch, one displayed frame, the
// caption and video-mode changes between frames.
#pragma once
#include "app/main_loop.h"

// Runs the loop until the running flag drops; returns 0.
int run_window(MainLoopCallbacks *cb);

// Pending video-mode change (carried out at the end of the frame), with the
// size held within what the window can take.
void window_resize_request(int width, int height);
void toggle_fullscreen(void);
// Full screen switched off (when on), so that a program the shell starts is
// not hidden behind the window.
void leave_fullscreen(void);
// Sets the mode; 0, or 1 when neither the size asked for nor the previous
// mode could be set.
int set_video_mode(int width, int height);
// The mode set again (full screen or back, a new size): a new GL context
// with the GUI and glyphs made again in it.
void video_reset(void);
void grab_mouse(void);
void release_mouse(void);
int window_has_focus(void);
int window_has_mouse(void);
void set_cursor_kind(int kind);
// The cursor kind from the menu state, the game and what is under the
// pointer (once per drawn frame).
void update_cursor_shape(void);
// Counts a displayed frame into the caption's frame rate.
void update_caption(void);
// The fullscreen option.
int fullscreen_on(void);
// The viewport over the whole window (the width and height options).
void gl_reset_viewport(void);
// The size render targets take: the window's, each rounded up to a power
// of two while that is asked for (kept from the last mode set).
void set_pow2_render_targets(int on);
void render_target_size(int *width, int *height);
