#include "render/floor_patches.h"

#include <cmath>
#include <cstdio>

#include "game/ranmar.h"

namespace {

const float CELLS_PER_UNIT = 4.166667f;                // 1 / 0.24
const float ATLAS_PER_UNIT = 0.06510417f;              // 1/64 of the atlas per 0.24 units
const float SQUARE = 1.0f / FLOOR_ATLAS_SIDE;          // one square of the atlas
const float TEXEL = 1.0f / FLOOR_TARGET_SIDE;
// A splat wider than this many cells would take a large part of the atlas
// at once (and a corrupt size could ask for billions): such a splat is
// refused.
const int MAX_SPLAT_CELLS = 64;

FloorPatch g_patches[FLOOR_PATCH_SLOTS];
bool g_laid_out;
// The cell key each slot serves (valid while g_slot_used), so that a slot
// handed out again can take its old cell out of the map.
uint32_t g_slot_key[FLOOR_PATCH_SLOTS];
bool g_slot_used[FLOOR_PATCH_SLOTS];
typedef std::map<uint32_t, int> FloorPatchMap;     // cell key -> slot (0 for none)
FloorPatchMap g_map;
int g_counter;
std::vector<FloorPatchVertex> g_vertices;
std::vector<StainSplatVertex> g_splats;
std::vector<int> g_to_clear;

bool finite3(const float *v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

uint32_t channel_byte(float c)
{
    if (!(c > 0.0f))
        return 0;
    return c >= 1.0f ? 255u : (uint32_t)(c * 255.0f);
}

uint32_t pack_colour(const float *rgb)
{
    return channel_byte(rgb[0]) | channel_byte(rgb[1]) << 8 | channel_byte(rgb[2]) << 16;
}

// The clip rectangle of a slot's square in the floor target.
void square_clip(int slot, float *x0, float *x1, float *y0, float *y1)
{
    *x0 = g_patches[slot].u * 2 - 1;
    *x1 = (g_patches[slot].u + SQUARE) * 2 - 1;
    *y0 = g_patches[slot].v * 2 - 1;
    *y1 = (g_patches[slot].v + SQUARE) * 2 - 1;
}

// Splats still waiting for the splat pass that were meant for the old cell
// of a slot handed out again: they would paint the old stain into the new
// cell's square.
void drop_waiting_splats(int slot)
{
    float x0, x1, y0, y1;
    square_clip(slot, &x0, &x1, &y0, &y1);
    size_t out = 0;
    for (size_t q = 0; q + 6 <= g_splats.size(); q += 6) {
        const float cx = (g_splats[q].x + g_splats[q + 2].x) * 0.5f;
        const float cy = (g_splats[q].y + g_splats[q + 2].y) * 0.5f;
        if (cx > x0 && cx < x1 && cy > y0 && cy < y1)
            continue;
        for (int k = 0; k < 6; k++)
            g_splats[out + k] = g_splats[q + k];
        out += 6;
    }
    g_splats.resize(out);
}

// The next slot for a new cell. A slot handed out again is cleared: its old
// cell leaves the map and its square is queued for clearing.
int take_slot(uint32_t key)
{
    if (++g_counter >= FLOOR_PATCH_SLOTS) {
        g_counter = 1;
        fprintf(stderr, "Floor patch buffer overflow\n");
    }
    const int slot = g_counter;
    if (g_slot_used[slot]) {
        g_map.erase(g_slot_key[slot]);
        g_to_clear.push_back(slot);
        drop_waiting_splats(slot);
    }
    g_slot_key[slot] = key;
    g_slot_used[slot] = true;
    g_map[key] = slot;
    return slot;
}

void push_splat_quad(float x0, float x1, float y0, float y1, float xc, float yc, float e, const float *dir)
{
    const float corners[6][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x1, y1}, {x0, y1}, {x0, y0}};
    for (const auto &c : corners) {
        StainSplatVertex v;
        v.x = c[0];
        v.y = c[1];
        v.z = 0.5f;
        v.dx = dir[0];
        v.dy = dir[1];
        v.dz = dir[2];
        v.s = (c[0] - xc) / e * 7.68f;
        v.t = (c[1] - yc) / e * 7.68f;
        v.w = 0.03f;
        g_splats.push_back(v);
    }
}

} // namespace

uint32_t floor_cell_key(int cx, int cy)
{
    return ((uint32_t)(cy + FLOOR_CELL_LIMIT) << 16) ^ ((uint32_t)(cx + FLOOR_CELL_LIMIT) & 0xFFFFu);
}

int floor_cell_of(float c)
{
    return (int)std::floor(c * CELLS_PER_UNIT);
}

void init_floor_patches(void)
{
    for (int i = 0; i < FLOOR_PATCH_SLOTS; i++) {
        g_patches[i].u = (float)(i % FLOOR_ATLAS_SIDE) / FLOOR_ATLAS_SIDE;
        g_patches[i].v = (float)(i / FLOOR_ATLAS_SIDE) / FLOOR_ATLAS_SIDE;
    }
    g_laid_out = true;
}

void paint_floor_stain(const float *position, const float *direction, float radius, const float *colour)
{
    if (!finite3(position) || !finite3(direction) || !finite3(colour) || !(radius > 0.0f))
        return;
    if (!g_laid_out)
        init_floor_patches();
    const float e = 1.3f * radius;
    const float x = position[0], y = position[1];
    // Cells outside the keyed range are off the floor anyone sees.
    const float lo = -(float)FLOOR_CELL_LIMIT, hi = (float)FLOOR_CELL_LIMIT - 1;
    const float fx0 = std::floor((x - e) * CELLS_PER_UNIT), fx1 = std::floor((x + e) * CELLS_PER_UNIT);
    const float fy0 = std::floor((y - e) * CELLS_PER_UNIT), fy1 = std::floor((y + e) * CELLS_PER_UNIT);
    if (fx1 - fx0 >= MAX_SPLAT_CELLS || fy1 - fy0 >= MAX_SPLAT_CELLS) {
        fprintf(stderr, "paint_floor_stain: splat of radius %g too large\n", (double)radius);
        return;
    }
    if (fx1 < lo || fx0 > hi || fy1 < lo || fy0 > hi)
        return;
    const int cx0 = (int)std::fmax(fx0, lo), cx1 = (int)std::fmin(fx1, hi);
    const int cy0 = (int)std::fmax(fy0, lo), cy1 = (int)std::fmin(fy1, hi);
    const uint32_t word = pack_colour(colour);
    bool added = false;
    for (int cy = cy0; cy <= cy1; cy++) {
        for (int cx = cx0; cx <= cx1; cx++) {
            const uint32_t key = floor_cell_key(cx, cy);
            auto found = g_map.find(key);
            int slot;
            if (found == g_map.end()) {
                slot = take_slot(key);
                added = true;
            } else {
                slot = found->second;
            }
            FloorPatch &p = g_patches[slot];
            p.colour = word;
            // The splat in the target's clip coordinates, cut to the square.
            const float ox = cx * FLOOR_CELL_SIZE, oy = cy * FLOOR_CELL_SIZE;
            const float xc = ((x - ox) * ATLAS_PER_UNIT + p.u) * 2 - 1;
            const float yc = ((y - oy) * ATLAS_PER_UNIT + p.v) * 2 - 1;
            float sx0, sx1, sy0, sy1;
            square_clip(slot, &sx0, &sx1, &sy0, &sy1);
            const float x0 = std::fmax(((x - e - ox) * ATLAS_PER_UNIT + p.u) * 2 - 1, sx0);
            const float x1 = std::fmin(((x + e - ox) * ATLAS_PER_UNIT + p.u) * 2 - 1, sx1);
            const float y0 = std::fmax(((y - e - oy) * ATLAS_PER_UNIT + p.v) * 2 - 1, sy0);
            const float y1 = std::fmin(((y + e - oy) * ATLAS_PER_UNIT + p.v) * 2 - 1, sy1);
            if (x0 < x1 && y0 < y1)
                push_splat_quad(x0, x1, y0, y1, xc, yc, e, direction);
        }
    }
    if (added)
        rebuild_floor_patch_mesh();
}

void add_floor_patch(const float *position, const float *direction, float size, const float *colour)
{
    if (!finite3(position) || !finite3(direction) || !finite3(colour) || !std::isfinite(size))
        return;
    float d[2] = {direction[0] * 0.2f, direction[1] * 0.2f};
    const float dz = direction[2] * 0.2f;
    float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + dz * dz);
    if (len > 2.0f) {
        d[0] *= 2.0f / len;
        d[1] *= 2.0f / len;
        len = 2.0f;
    }
    const float r = (len * 0.5f + 1.0f) * size;
    const float main_dir[3] = {d[0], d[1], 0};
    paint_floor_stain(position, main_dir, 1.2f * r, colour);
    UniformRng *rng = get_uniform_rng();
    for (int i = 0; i < 8; i++) {
        const float jx = rng->next() - 0.5f + d[0];
        const float jy = rng->next() - 0.5f + d[1];
        const float at[3] = {position[0] + 2.5f * r * jx, position[1] + 2.5f * r * jy, position[2]};
        const float dir[3] = {2 * jx, 2 * jy, 0};
        paint_floor_stain(at, dir, 0.4f * r, colour);
    }
}

void rebuild_floor_patch_mesh(void)
{
    g_vertices.resize(6 * g_map.size());
    size_t n = 0;
    for (const auto &entry : g_map) {
        const int cx = (int)(entry.first & 0xFFFFu) - FLOOR_CELL_LIMIT;
        const int cy = (int)(entry.first >> 16) - FLOOR_CELL_LIMIT;
        const float x0 = cx * 32 * 0.0075f, y0 = cy * 32 * 0.0075f;
        const FloorPatch &p = g_patches[entry.second];
        const float u0 = p.u + TEXEL, u1 = p.u + SQUARE - TEXEL;
        const float v0 = p.v + TEXEL, v1 = p.v + SQUARE - TEXEL;
        const int corners[6][2] = {{0, 0}, {1, 0}, {1, 1}, {1, 1}, {0, 1}, {0, 0}};
        for (const auto &c : corners) {
            FloorPatchVertex &v = g_vertices[n++];
            v.x = x0 + c[0] * FLOOR_CELL_SIZE;
            v.y = y0 + c[1] * FLOOR_CELL_SIZE;
            v.z = 0;
            v.colour = p.colour;
            v.u = c[0] ? u1 : u0;
            v.v = c[1] ? v1 : v0;
            v.padding = 0;
        }
    }
}

void clear_floor_patch_data(void)
{
    g_map.clear();
    g_counter = 0;
    for (bool &used : g_slot_used)
        used = false;
    g_vertices.clear();
    g_splats.clear();
    g_to_clear.clear();
}

const FloorPatch *floor_patch(int slot)
{
    return slot > 0 && slot < FLOOR_PATCH_SLOTS ? &g_patches[slot] : nullptr;
}

const std::map<uint32_t, int> &floor_patch_map(void) { return g_map; }
int floor_patch_counter(void) { return g_counter; }
const std::vector<FloorPatchVertex> &floor_patch_vertices(void) { return g_vertices; }
std::vector<StainSplatVertex> &stain_splats(void) { return g_splats; }
std::vector<int> &floor_squares_to_clear(void) { return g_to_clear; }

static_assert(sizeof(FloorPatchVertex) == 28, "patch vertices are 28 bytes");
static_assert(sizeof(StainSplatVertex) == 36, "splat vertices are 36 bytes");
