// The screen embossed: an RGB image shaded as a relief of its own
// brightness, lit from straight above.
#pragma once

// Reads width x height RGB bytes from src and writes the embossed image to
// dst (same size, not the same buffer). Each pixel's 3 x 3 neighbourhood of
// luminances gives the slope of the relief (edge pixels repeat); a flat
// area keeps its colour, slopes darken by how far they turn from the light.
void emboss_screen(const unsigned char *src, unsigned char *dst, int width, int height);
