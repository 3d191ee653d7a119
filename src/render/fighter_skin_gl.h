// What a fighter's body part or joint wears when it is drawn: its colour
// texture (the head's animated frame when asked), its bump map and its
// drawing flags, from the fighter's texture tables.
#pragma once

struct Texture;

struct Skin {
    const Texture *color;   // null when none is loaded
    const Texture *bump;
    int flags;              // non-zero: shiny
};

// Body b of a fighter at a match frame; `animated_head` picks the head's
// frame (one every 10 match frames, stepped down to a loaded one) while
// its first frame is loaded. Returns DRAW_TEXTURED when a texture or bump
// map is loaded, else `kind`.
int body_skin(int fighter, int body, int match_frame, int animated_head, int kind, Skin *out);
// Joint j: its texture and bump map; DRAW_TEXTURED when either is loaded.
int joint_skin(int fighter, int joint, int kind, Skin *out);
// The drawing flags of a fighter's bodies and, apart, of its head (0: not
// shiny). Fighters 0 and 1; others are ignored.
void set_fighter_draw_flags(int fighter, int body_flags, int head_flags);
