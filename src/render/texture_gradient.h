// The 128 x 128 RGBA pixels of the textures generated from two colours for
// fighter customisation.
#pragma once
#include <cstdint>

enum { GRADIENT_SIDE = 128, GRADIENT_BYTES = GRADIENT_SIDE * GRADIENT_SIDE * 4 };

// Columns 0..63 colour a, 64..127 colour b.
void gradient_fill_small(uint8_t *pixels, const float *a, const float *b);
// Mode 0: rows run from a towards b; mode 2: columns do; mode 1: the body
// layout (variant 0 for most parts, non-zero for the feet). Pixels no mode
// writes are black and opaque. Returns false for an unknown mode (nothing
// written but the black fill).
bool gradient_fill(uint8_t *pixels, const float *a, const float *b, int mode, int variant);
