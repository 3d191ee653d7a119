// Screenshots: the back buffer read before the swap, rows packed with
// alignment 1, saved as BMP (F8, into screenshots/) or PPM. The folder is
// made when missing. A file is written beside its name, synced and moved
// to it; it never replaces a file: an existing name gets a counter before
// the extension ("x.bmp", "x-2.bmp", ...). A failed write leaves no file.
#pragma once

enum { SCREENSHOT_NAME_SIZE = 256 };

// F8: "screenshots/screenshot-YYYY-MM-DD-hh-mm-ss.bmp", written after the
// frame, and its scene in raytrace/; the names written, or the failure, are
// echoed to the console.
void take_screenshot(void);
// format 0 BMP, 1 PPM; 0 written, 1 failed, -1 another format. The name
// written goes to final_name (size bytes; may be null), so that files made
// beside the picture can take the same name.
int save_screenshot_as(const char *path, int format, char *final_name, int size);
int save_bmp(const char *path, char *final_name, int size);
int save_ppm(const char *path, char *final_name, int size);
// Runs the screenshot asked for during the frame, after the frame is drawn
// and before the buffers are swapped.
void screenshot_flush(void);
