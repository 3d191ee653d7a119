// The shader path's frame: at the end of the 3D part of a frame the queues
// are drained in a fixed order of passes: opaque shapes with their mirror
// images and shadows, the floor with its soft shadows and stains, the
// overlays, the mirror images of see-through shapes, the see-through
// shapes, the fluid blood, the post effects.
#pragma once

// The flush; nothing while the shader path is off.
void draw_scene(void);

void draw_opaque_pass(void);
void draw_floor_pass(void);
void draw_stain_pass(void);
// Colour rules of draw_queue_pass: the shape's colour; its sunlight; its
// sunlight in the mirror; a faint bright mirror image.
enum { QUEUE_RULE_COLOUR = 1, QUEUE_RULE_SUN = 2, QUEUE_RULE_SUN_MIRROR = 3, QUEUE_RULE_MIRROR = 4 };
// Every queued shape whose see-through flag equals `translucent`, drawn
// with the program (the textured program, when given, for textured
// shapes). With numbering, each shape is drawn only where the stencil
// marks it unshadowed.
void draw_queue_pass(unsigned program, unsigned textured_program, int translucent, int rule, float motion,
                     int numbering);
// The fluid blood: build_blood_vertices (from the floor pass) fills its
// array and draws its mirror image; draw_blood_pass draws it.
void build_blood_vertices(void);
void draw_blood_pass(float motion);

// Time spent in each pass during the last flush, in milliseconds, when
// timing is on (glFinish after each pass; for the benchmark only).
enum { PASS_OPAQUE, PASS_REFLECTION, PASS_FLOOR, PASS_STAINS, PASS_TRANSLUCENT, PASS_BLOOD, PASS_SKY, PASS_COUNT };
void scene_pass_timing(int on);
const double *scene_pass_times(void);
// Runs one pass, adding its time to the pass's figure when timing is on.
void run_timed_pass(int pass, void (*fn)(void));
