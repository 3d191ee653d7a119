// Drawing one record of the deferred shape list (the draw function to hand
// to deferred_shape_draw_all): its shade model, its colour as the current
// colour, a polygon offset of 1.25 x its depth offset, then the shape by its
// kind with its sizes (capsule: radius, length; sphere and hemisphere:
// radius, the hemisphere cut across x; box: sides). Another kind draws
// nothing.
#pragma once
#include "render/deferred_shapes.h"

void deferred_shape_draw(const DeferredShape *s);
