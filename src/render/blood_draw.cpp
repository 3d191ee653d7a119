// The blood calls of the headless core: they draw nothing, so a match runs
// the same with or without a window.
#include "render/blood_draw.h"

void draw_blood_drop(const float *, const float *, float, const float *) {}
void add_blood_stain(const float *, const float *, float, const float *) {}
