// The fluid blood's vertex array, rebuilt every frame from the blood queue:
// each drop becomes a quad (two triangles) facing the eye, whose vertices
// carry the drop, its motion and its strand neighbours for the blood
// programs. The array grows with the queue; nothing here touches OpenGL.
#pragma once
#include <cstdint>
#include <vector>

struct BloodVertex {
    float corner[3];      // offset of this corner from the drop's centre (eye space), as the normal
    float pos[3];         // the drop's position
    float motion[4];      // texture unit 0: motion (limited), size
    float prev[4];        // unit 1: the strand's previous drop, position and size
    float next[4];        // unit 2: the next drop
    float prev2[4];       // unit 3: the drop before the previous one
    uint32_t colour;      // red in the low byte
};

enum { BLOOD_VERTICES_PER_DROP = 6 };
// How far the quad reaches from the drop's centre, in drop sizes: the blood
// programs' field around a drop fades out within that.
constexpr float BLOOD_QUAD_REACH = 2.0f;

// Fills out with the queued drops in queue order (6 vertices each).
void build_blood_vertex_data(std::vector<BloodVertex> &out);
