#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "render/floor_patches.h"
#include "support/test_support.h"

using kxtest::stderr_of;

namespace {

const float RED[3] = {0.8f, 0.1f, 0.05f};
const float NO_DIR[3] = {0, 0, 0};

struct Cell {
    int cx, cy;
};

Cell cell_of_key(uint32_t key)
{
    return {(int)(key & 0xFFFF) - 16384, (int)(key >> 16) - 16384};
}

// A splat of radius r centred on cell (cx, cy) that touches that cell only.
void paint_one_cell(int cx, int cy, const float *rgb = RED)
{
    const float at[3] = {(cx + 0.5f) * 0.24f, (cy + 0.5f) * 0.24f, 0};
    paint_floor_stain(at, NO_DIR, 0.01f, rgb);
}

} // namespace

TEST(FloorPatches, AtlasLayoutCellsAndKeys)
{
    init_floor_patches();
    EXPECT_EQ(floor_patch(65)->u, 1 / 64.0f);
    EXPECT_EQ(floor_patch(65)->v, 1 / 64.0f);
    EXPECT_EQ(floor_patch(0), nullptr);
    EXPECT_EQ(floor_cell_of(-0.01f), -1);
    EXPECT_EQ(floor_cell_key(-1, 2), (16386u << 16) | 16383u);
}

// A main splat of radius 1.2 at the origin: extent 1.56, cells -7..6 on both
// axes, rows ascending; each quad lies in its cell's atlas square, and s, t
// are the world offset from the centre over the extent; the patch mesh
// covers each cell with atlas coordinates inset by one texel.
TEST(FloorPatches, OneSplatCoversItsCellsInOrder)
{
    clear_floor_patch_data();
    const float origin[3] = {0, 0, 0};
    paint_floor_stain(origin, NO_DIR, 1.2f, RED);
    ASSERT_EQ(floor_patch_map().size(), 196u);
    EXPECT_EQ(floor_patch_counter(), 196);
    for (const auto &entry : floor_patch_map()) {
        const Cell c = cell_of_key(entry.first);
        EXPECT_TRUE(c.cx >= -7 && c.cx <= 6 && c.cy >= -7 && c.cy <= 6);
        EXPECT_EQ(entry.second, 1 + (c.cy + 7) * 14 + (c.cx + 7));   // slots handed out row by row
        EXPECT_EQ(floor_patch(entry.second)->colour, 204u | 25u << 8 | 12u << 16);
    }
    const std::vector<StainSplatVertex> &splats = stain_splats();
    ASSERT_EQ(splats.size(), 196u * 6);
    float smin = 9, smax = -9;
    for (size_t q = 0; q < splats.size(); q += 6) {
        const Cell c = cell_of_key(floor_cell_key(-7 + (int)(q / 6) % 14, -7 + (int)(q / 6) / 14));
        const FloorPatch *p = floor_patch(floor_patch_map().at(floor_cell_key(c.cx, c.cy)));
        for (int k = 0; k < 6; k++) {
            const StainSplatVertex &v = splats[q + k];
            EXPECT_GE(v.x, p->u * 2 - 1 - 1e-6f);
            EXPECT_LE(v.x, (p->u + 1 / 64.0f) * 2 - 1 + 1e-6f);
            // Back from clip x to world x: the offset from the centre over e.
            const float world_x = ((v.x + 1) / 2 - p->u) / 0.06510417f + c.cx * 0.24f;
            EXPECT_NEAR(v.s, world_x / 1.56f, 1e-3f);
            smin = std::fmin(smin, v.s);
            smax = std::fmax(smax, v.s);
        }
    }
    EXPECT_NEAR(smin, -1, 1e-3f);
    EXPECT_NEAR(smax, 1, 1e-3f);

    const std::vector<FloorPatchVertex> &mesh = floor_patch_vertices();
    ASSERT_EQ(mesh.size(), 196u * 6);
    const FloorPatch *first = floor_patch(floor_patch_map().begin()->second);
    EXPECT_NEAR(mesh[2].y, -6 * 0.24f, 1e-5f);
    EXPECT_EQ(mesh[0].u, first->u + 1 / 2048.0f);
    EXPECT_EQ(mesh[2].v, first->v + 1 / 64.0f - 1 / 2048.0f);
    // A second stain over the same cells adds none and repaints the colour.
    const float white[3] = {1.5f, 1, -2};
    paint_floor_stain(origin, NO_DIR, 0.5f, white);
    EXPECT_EQ(floor_patch_map().size(), 196u);
    EXPECT_EQ(floor_patch(1 + 7 * 14 + 7)->colour, 0x00FFFFu);
    EXPECT_EQ(mesh[0].colour, 204u | 25u << 8 | 12u << 16);   // rebuilt only for new cells
}

// The direction stretches the stain: length 50 is limited to 2 after the
// 0.2 scale, so r = 2 x size: for size 0.9 the main splat's extent is
// 1.3 x 1.2 x 1.8 = 2.808 (cell -12) instead of 1.404 (cell -6).
TEST(FloorPatches, StainDirectionIsLimited)
{
    const float origin[3] = {0, 0, 0};
    for (float len : {0.0f, 50.0f}) {
        clear_floor_patch_data();
        const float dir[3] = {len, 0, 0};
        add_floor_patch(origin, dir, 0.9f, RED);
        uint32_t slot1_key = 0;
        for (const auto &entry : floor_patch_map())
            if (entry.second == 1)
                slot1_key = entry.first;
        EXPECT_EQ(cell_of_key(slot1_key).cx, len == 0 ? -6 : -12);
        EXPECT_EQ(stain_splats()[3].dx, len == 0 ? 0.0f : 2.0f);
        EXPECT_GT(floor_patch_map().size(), len == 0 ? 144u : 576u);
    }
    const size_t before = floor_patch_map().size();
    const float bad[3] = {NAN, 0, 0};
    add_floor_patch(bad, NO_DIR, 1, RED);
    add_floor_patch(origin, NO_DIR, INFINITY, RED);
    EXPECT_NE(stderr_of([&] { paint_floor_stain(origin, NO_DIR, 1e9f, RED); }).find("too large"), std::string::npos);
    const float far_away[3] = {1e7f, -1e7f, 0};
    paint_floor_stain(far_away, NO_DIR, 0.5f, RED);
    EXPECT_EQ(floor_patch_map().size(), before);
}

// The 4096th new cell takes slot 1 again: the overflow is reported once,
// the slot's old cell leaves the map (two cells never share one square),
// its square is queued for clearing, and splats still waiting for the old
// cell are dropped.
TEST(FloorPatches, ReusedSlotIsCleared)
{
    clear_floor_patch_data();
    // Cells 0..59 x 0..59 in one splat, then 495 single cells.
    const float big[3] = {7.2f, 7.2f, 0};
    paint_floor_stain(big, NO_DIR, 7.1f / 1.3f, RED);
    ASSERT_EQ(floor_patch_map().size(), 3600u);
    for (int i = 0; i < 495; i++)
        paint_one_cell(i, 100);
    ASSERT_EQ(floor_patch_counter(), 4095);
    EXPECT_TRUE(floor_squares_to_clear().empty());
    const size_t waiting = stain_splats().size();
    const std::string err = stderr_of([] { paint_one_cell(-50, -50); });
    EXPECT_EQ(err, "Floor patch buffer overflow\n");
    EXPECT_EQ(floor_patch_counter(), 1);
    EXPECT_EQ(floor_patch_map().size(), 4095u);
    EXPECT_EQ(floor_patch_map().count(floor_cell_key(0, 0)), 0u);
    EXPECT_EQ(floor_patch_map().at(floor_cell_key(-50, -50)), 1);
    EXPECT_EQ(floor_squares_to_clear(), std::vector<int>{1});
    // The old cell's one quad is gone, the new cell's one quad is there.
    EXPECT_EQ(stain_splats().size(), waiting);
    std::set<int> slots;
    for (const auto &entry : floor_patch_map())
        slots.insert(entry.second);
    EXPECT_EQ(slots.size(), 4095u);
    EXPECT_EQ(floor_patch_vertices().size(), 4095u * 6);

    clear_floor_patch_data();
    EXPECT_TRUE(floor_patch_map().empty() && stain_splats().empty() && floor_patch_vertices().empty() &&
                floor_squares_to_clear().empty());
    EXPECT_EQ(floor_patch_counter(), 0);
    paint_one_cell(0, 0);
    EXPECT_EQ(floor_patch_map().at(floor_cell_key(0, 0)), 1);
    EXPECT_TRUE(floor_squares_to_clear().empty());
}
