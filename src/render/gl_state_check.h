// A checker of the fixed-function GL state, for tracking down state that a
// drawer leaves behind: snapshots of which capabilities are enabled, their
// printout against the GL defaults, integer queries, and the difference of
// two snapshots. Needs the GL context.
#pragma once
#include <cstdio>

enum { GL_STATE_CAPS = 40 };

struct GlStateSnapshot {
    unsigned char enabled[GL_STATE_CAPS];
};

void gl_state_snapshot(GlStateSnapshot *s);
// "%s %i default %i" for every capability.
void gl_state_print_caps(FILE *out);
// "%i %s %li" for every integer query, then "======= %li" with their sum.
void gl_state_print_queries(FILE *out);
// Prints each capability whose state differs, with the label; returns how
// many differ.
int gl_state_compare(const GlStateSnapshot *a, const GlStateSnapshot *b, const char *label, FILE *out);
