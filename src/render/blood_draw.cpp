// Minimal blood drawing: nothing is drawn until the renderer exists.
#include "render/blood_draw.h"

void draw_blood_drop(const float *, const float *, float, const float *) {}
void add_blood_stain(const float *, const float *, float, const float *) {}
