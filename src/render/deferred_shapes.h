// The deferred shape list: shapes queued during a frame and drawn together,
// ordered by depth offset, and within a group by order key.
#pragma once
#include <cstdint>

enum { DEFERRED_SHAPE_MAX = 1024 };
enum { DEFERRED_CAPSULE = 0, DEFERRED_SPHERE = 1, DEFERRED_BOX = 2, DEFERRED_HEMISPHERE = 3 };

struct DeferredShape {
    int32_t shade_model;   // GL_SMOOTH unless set
    float color[4];
    float pos[3];
    float rot[12];         // 3 x 3 in rows of four, as the physics keeps it
    float sizes[3];
    int32_t kind;          // DEFERRED_*
    float depth_offset;
    int32_t order_key;
    int32_t group;
};

// A record with the default shade model and the rest zero.
DeferredShape deferred_shape_make(void);
// Appends a record; false with a message when the list is full.
bool deferred_shape_add(const DeferredShape &s);
int deferred_shape_count(void);
const DeferredShape *deferred_shape_at(int i);
// Sorts the list: groups in the order of their smallest depth offset, the
// records of one group together by ascending order key, then by depth
// offset. This is a strict weak ordering (the pairwise rule "same group by
// key, others by depth" is not transitive, and a sort given it may run
// outside the list); an offset that is not a number counts as the largest.
void deferred_shape_sort(void);
// Hands every record to draw, last to first, and empties the list.
void deferred_shape_draw_all(void (*draw)(const DeferredShape *s));
