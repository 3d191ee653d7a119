// Screenshots: the back buffer read before the swap, rows packed with
// alignment 1, saved as BMP (F8, into screenshots/) or PPM. The folder is
// made when missing and a failed write is reported.
#pragma once

// F8: "screenshots/screenshot-DD-HH-MM-SS.bmp" and its scene in raytrace/,
// echoed to the console.
void take_screenshot(void);
// format 0 BMP, 1 PPM; 0 written, 1 failed, -1 another format.
int save_screenshot_as(const char *path, int format);
int save_bmp(const char *path);
int save_ppm(const char *path);
// Runs the screenshot asked for during the frame, after the frame is drawn
// and before the buffers are swapped.
void screenshot_flush(void);
