#include <gtest/gtest.h>

#include <cstring>

#include "render/object_program_choice.h"

namespace {

DrawRecord record(unsigned kind, unsigned colour_tex, unsigned bump_tex)
{
    DrawRecord r;
    std::memset(&r, 0, sizeof r);
    r.kind = kind;
    r.colour_tex = colour_tex;
    r.bump_tex = bump_tex;
    r.mode = 1;
    for (int i = 0; i < 9; i += 4)
        r.scaled[i] = r.object_rot[i] = 1;
    return r;
}

TEST(ObjectProgramChoice, TexturesPickTheProgramAndItsUnits)
{
    ObjectProgramChoice c;
    struct Case {
        unsigned kind, colour, bump;
        int bumpmapping, program;
        unsigned unit0, unit1;
        int use_texture0;
    } cases[] = {
        {1, 0, 0, 1, OBJ_PROG_DIFF, 0, 0, 0},
        {8, 0, 5, 1, OBJ_PROG_BUMP, 5, 0, 0},           // bump map alone
        {8, 6, 5, 1, OBJ_PROG_BUMP, 5, 6, 1},           // and a colour texture on unit 1
        {8, 6, 5, 0, OBJ_PROG_DIFFTEX, 6, 0, 0},        // bump mapping off
        {1, 6, 0, 1, OBJ_PROG_DIFFTEX, 6, 0, 0},        // a colour texture whatever the kind
        {0x108, 6, 0, 0, OBJ_PROG_TCGEN, 6, 0, 0},
        {0x108, 6, 5, 1, OBJ_PROG_TCGEN_BUMP, 5, 6, 1},
        {0x101, 0, 0, 1, OBJ_PROG_DIFF, 0, 0, 0},
    };
    for (const Case &k : cases) {
        const DrawRecord r = record(k.kind, k.colour, k.bump);
        choose_object_program_plan(&r, k.bumpmapping, 0, &c);
        SCOPED_TRACE(testing::Message() << "kind " << k.kind << " colour " << k.colour << " bump " << k.bump);
        EXPECT_EQ(c.program, k.program);
        EXPECT_EQ(c.material, k.program);
        EXPECT_EQ(c.unit0, k.unit0);
        EXPECT_EQ(c.unit1, k.unit1);
        EXPECT_EQ(c.use_texture0, k.use_texture0);
        EXPECT_EQ(c.bump_uniforms, k.program == OBJ_PROG_BUMP || k.program == OBJ_PROG_TCGEN_BUMP);
        EXPECT_EQ(c.rotmat, k.program == OBJ_PROG_TCGEN || k.program == OBJ_PROG_TCGEN_BUMP);
    }
}

TEST(ObjectProgramChoice, RotmatTakesTheShapeIntoTheObjectsFrame)
{
    // Object frame a quarter turn about z; the shape is that turn scaled by 2.
    DrawRecord r = record(0x108, 6, 0);
    const float q[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 9; i++) {
        r.object_rot[i] = q[i];
        r.scaled[i] = 2 * q[i];
    }
    ObjectProgramChoice c;
    choose_object_program_plan(&r, 0, 0, &c);
    const float want[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; i++)
        EXPECT_FLOAT_EQ(c.rotmat_rows[i], want[i]) << i;
}

TEST(ObjectProgramChoice, RayTracedOpaqueShapesReflectTheBackgroundMirrorsKeepTheirMaterial)
{
    ObjectProgramChoice c;
    DrawRecord r = record(0x108, 6, 0);
    choose_object_program_plan(&r, 0, 1, &c);
    EXPECT_EQ(c.program, OBJ_PROG_REFBACKGROUND);
    EXPECT_EQ(c.material, OBJ_PROG_TCGEN);
    EXPECT_TRUE(c.sky_on_unit0);
    EXPECT_FALSE(c.rotmat);
    r.mode = 0;
    choose_object_program_plan(&r, 0, 1, &c);
    EXPECT_EQ(c.program, OBJ_PROG_TCGEN);
}

} // namespace
