// Limb trails: four ribbon trails per fighter that follow its hands and
// feet. Each live frame adds one segment (the limb's position) at the head
// of every trail and ages the older ones; a trail keeps its newest `length`
// segments. The drawing reads the segments from the head back.
#pragma once

enum {
    TRAIL_LIMBS = 4,                 // right hand, left hand, right foot, left foot
    TRAIL_FIGHTERS = 2,
    TRAIL_COUNT = TRAIL_LIMBS * TRAIL_FIGHTERS,
    TRAIL_CAPACITY = 512,            // most segments a trail can hold
    TRAIL_DEFAULT_LENGTH = 20,
};

struct TrailSegment {
    float pos[3];
    int age;                         // frames since the segment was added
};

struct LimbTrail {
    int fighter;
    int body;                        // the limb's body index
    float head_color[4];
    float tail_color[4];
    int colors_set;
    int length;                      // segments kept (1..TRAIL_CAPACITY)
    int count;                       // segments held now
    int head;                        // ring index of the newest segment
    TrailSegment segments[TRAIL_CAPACITY];

    void set_colors(const float *head_rgba, const float *tail_rgba);
};

// Trail k of fighter i (k 0..3), none outside.
LimbTrail *get_limb_trail(int fighter, int k);
// The body each of the four trails follows.
int trail_limb_body(int k);
// Segment s of a trail counted from the newest (0), none beyond count.
const TrailSegment *trail_segment(const LimbTrail *t, int s);
// Sets how many segments a trail keeps (clamped to 1..TRAIL_CAPACITY).
void trail_set_length(LimbTrail *t, int length);

// Once per live frame after the world step: a segment for every fighter's
// four trails, and the trails age.
void trails_update(void);
// Empties every trail (a new match, a match reset).
void trails_reset(void);
