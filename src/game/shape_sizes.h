// The sizes a body's or an object's shape may take, checked and named the
// same way for fighter bodies and environment objects, each with limits of
// its own.
#pragma once

// Each used side at least `min`; a radius (a sphere's, a cylinder's) at
// most `radius_max`, a box's side or a cylinder's length at most `side_max`.
struct ShapeSizeLimits {
    double min, radius_max, side_max;
};

// The sides a shape uses: sphere the radius, cylinder radius and length,
// box all three (BodyShape).
int shape_sides_used(int shape);
// Whether side k of the shape, of value v, is within the limits (false for
// a value that is not a number).
bool shape_side_ok(int shape, int k, double v, const ShapeSizeLimits &limits);
// The sizes the shape takes, in the words of a refusal: "a sphere's radius
// 0.01 to 5".
void shape_size_range_text(char *out, int size, int shape, const ShapeSizeLimits &limits);
