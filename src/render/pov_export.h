// The world as a ray-tracer scene: one still scene, or an animation that
// gains one "#case" block per displayed frame while recording is on. The
// scene holds only calls of the macros that "glossy.inc" defines (Camera,
// Blood, Joint, Body, BodyCapsule, BodySphere, EnvBox, EnvCapsule,
// EnvSphere, Impact). Files are written beside their final name and renamed
// into place after a flush, so a failed write never leaves half a scene.
// No GL here: the scene is read from the physics world and the colour table.
#pragma once
#include <cstdio>

// Where the camera is: the eye and the point it looks at. The program
// installs its camera; without one the scene looks from (0, -4, 2) at the
// origin.
typedef void (*PovCameraSource)(float eye[3], float look[3]);
void pov_set_camera_source(PovCameraSource source);

// Writes the scene body (camera, blood blob, joints, bodies, environment
// objects, impact markers) to f.
void pov_write_scene(FILE *f);

// A still scene at path (through data_path). Returns 0, or 1 when the file
// could not be made or written ("Unable to open %s" on standard error; an
// older file of that name is then left as it was).
int pov_save_scene(const char *path);

// The animation: opens path (written beside it until the close) with the
// include line and "#switch (frame_number)". Returns 0, or 1 when it could
// not be made (an open animation is closed first).
int pov_open_animation(const char *path);
// Appends "#case (n)", the scene and "#break". Nothing without an open file.
void pov_write_animation_frame(int n);
// Appends "#end", flushes, closes and renames the file into place. Returns
// 0, or 1 when no animation was open or any write failed (the partial file
// is then removed).
int pov_close_animation(void);
int pov_animation_open(void);

// A name for a trailing comment of the scene: anything but ASCII letters,
// digits, '_' and '-' becomes '_', so that no name can end the comment and
// be read as scene text. Returns out.
const char *pov_comment_name(const char *name, char *out, int size);

// A name for a new file: path itself when no file has it, else path with
// "-1", "-2" ... before its extension (the first that is free), so that a
// file the player kept is never replaced. Returns 0, or 1 when the name
// does not fit out or no counter up to 9999 is free.
int pov_free_name(const char *path, char *out, int size);
