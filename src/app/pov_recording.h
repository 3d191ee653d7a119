// The three ways the player writes ray-tracer scenes: the console command
// "raytrace <file>", a scene beside every F8 screenshot, and the animation
// that Ctrl+F7 starts and stops, which gains one frame for every displayed
// frame while it records.
#pragma once

// Hands the camera to the scene writer and the writer to the console.
void pov_recording_install(void);

// Ctrl+F7: starts recording into raytrace/animation.pov (or a free name
// beside it when that file is kept), or stops and reports the frames
// written. Returns 1 while recording after the call, else 0.
int pov_recording_toggle(void);
// After each displayed frame: one more frame while recording.
void pov_recording_frame(void);
// Stops a recording that is still on (at shutdown), so that the file is
// completed and put in place.
void pov_recording_stop(void);
int pov_recording_on(void);
int pov_recording_frames(void);

// The scene of a screenshot: raytrace/ and the image's file name with
// ".pov" for its extension. Writes the name used into saved. Returns 0, or
// 1 when nothing was written.
int pov_save_screenshot_scene(const char *image_path, char *saved, int size);
