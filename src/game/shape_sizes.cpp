#include "game/shape_sizes.h"

#include <cstdio>
#include "game/body_defs.h"

int shape_sides_used(int shape) { return shape == SHAPE_SPHERE ? 1 : (shape == SHAPE_CAPSULE ? 2 : 3); }

bool shape_side_ok(int shape, int k, double v, const ShapeSizeLimits &limits)
{
    const double most = (shape != SHAPE_BOX && k == 0) ? limits.radius_max : limits.side_max;
    return v >= limits.min && v <= most;
}

void shape_size_range_text(char *out, int size, int shape, const ShapeSizeLimits &limits)
{
    if (shape == SHAPE_SPHERE)
        snprintf(out, (size_t)size, "a sphere's radius %g to %g", limits.min, limits.radius_max);
    else if (shape == SHAPE_CAPSULE)
        snprintf(out, (size_t)size, "a cylinder's radius %g to %g, length %g to %g", limits.min, limits.radius_max,
                 limits.min, limits.side_max);
    else
        snprintf(out, (size_t)size, "each side of a box %g to %g", limits.min, limits.side_max);
}
