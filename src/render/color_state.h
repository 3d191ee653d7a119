// The current drawing colour and its setters. The setters write the colour
// here and hand it to the drawing back end (glColor4fv in the window), so
// callers and tests can read what was set.
#pragma once

// The current colour, four floats.
const float *current_color(void);
// The back end that receives every colour set; null for none (headless).
void color_state_set_apply(void (*apply)(const float *rgba));

void set_color4fv(const float *rgba);
void set_color3fv(const float *rgb);            // alpha 1
void set_color_index_alpha(int i, float alpha);
void set_color_index(int i);                     // alpha 1
void set_color_index_or(int i, int j);           // row i when not 0, else row j; alpha 1
