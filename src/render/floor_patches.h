// Floor stains. The floor is cut into square cells of 0.24 units; every
// stained cell owns one patch slot, a 32 x 32-texel square of the 2048 x
// 2048 floor target laid out as a 64 x 64 atlas. A stain is painted as small
// splat quads into the squares of the cells it touches (StainSplats, drawn
// into the floor target by the splat pass), and the stained cells are drawn
// on the floor as quads textured from the atlas (FloorPatchVertices).
// This file holds the slots, the cell map and both vertex lists; the GL
// half is floor_patches_gl.h.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

enum {
    FLOOR_PATCH_SLOTS = 4096,     // slot 0 is never handed out
    FLOOR_ATLAS_SIDE = 64,        // squares per side of the atlas
    FLOOR_TARGET_SIDE = 2048,     // texels per side of the floor target
    FLOOR_CELL_LIMIT = 16384,     // cells run from -16384 to 16383 on each axis
};

static const float FLOOR_CELL_SIZE = 0.24f;

struct FloorPatch {
    float u, v;          // the slot's atlas square is [u, u + 1/64] x [v, v + 1/64]
    uint32_t colour;     // red in the low byte, then green, then blue
};

// One corner of a stained cell's quad (28 bytes).
struct FloorPatchVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
    float padding;
};

// One corner of a splat quad in the floor target (36 bytes): clip x, y and
// 0.5; the splat's direction (texture unit 1); s, t running from -1 to 1
// across the whole splat and 0.03 (texture unit 0).
struct StainSplatVertex {
    float x, y, z;
    float dx, dy, dz;
    float s, t, w;
};

// The cell key: low 16 bits cx + 16384, high 16 bits cy + 16384.
uint32_t floor_cell_key(int cx, int cy);
// The cell holding a floor coordinate (floor(c / 0.24)).
int floor_cell_of(float c);

// Lays out the atlas origins of the slots (at renderer start-up).
void init_floor_patches(void);
// One stain around a floor point: a main splat stretched along the
// direction and eight satellites scattered around it. Non-finite input is
// ignored.
void add_floor_patch(const float *position, const float *direction, float size, const float *colour);
// One splat of the given radius into every cell it touches; rebuilds the
// patch mesh when a cell was added.
void paint_floor_stain(const float *position, const float *direction, float radius, const float *colour);
// FloorPatchVertices from the cell map, six vertices per cell in key order.
void rebuild_floor_patch_mesh(void);
// Empties the cell map, the slot counter, both vertex lists and the list
// of squares to clear (the data half of clearing the stains).
void clear_floor_patch_data(void);

const FloorPatch *floor_patch(int slot);               // null outside 1..4095
const std::map<uint32_t, int> &floor_patch_map(void);
int floor_patch_counter(void);
const std::vector<FloorPatchVertex> &floor_patch_vertices(void);
std::vector<StainSplatVertex> &stain_splats(void);
// Slots handed out again since the last splat pass: their squares still
// hold the old cell's stain and must be cleared before new splats land.
// The splat pass clears them and empties the list.
std::vector<int> &floor_squares_to_clear(void);
