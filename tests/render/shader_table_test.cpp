#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/base/options.h"
#include "render/shader_sources.h"
#include "render/shader_table.h"
#include "support/test_support.h"

// The program table and the capability ladder, fed with made-up handles
// (0 for a row that did not link): which programs each option gets, which
// options it turns off and what it says.

namespace {

const int k_options[] = {OPT_SHADERS, OPT_RAYTRACING, OPT_SOFTSHADOW, OPT_FLUID, OPT_BUMPMAPPING,
                         OPT_AMBIENTOCCLUSION, OPT_MOTIONBLUR, OPT_DEPTHOFFIELD, OPT_ANAGLYPHIC};

struct Ladder {
    unsigned h[SHADER_ROW_COUNT];
    ActivePrograms ap{};
    std::string said;
    int result = -1;
    Ladder()
    {
        shader_rows_forget();       // each case as at program start
        for (int r = 0; r < SHADER_ROW_COUNT; r++)
            h[r] = 100 + (unsigned)r;
        for (int o : k_options)
            option_set(o, 1);
    }
    void fail(std::initializer_list<int> rows)
    {
        for (int r : rows)
            h[r] = 0;
    }
    void run() { said = kxtest::stderr_of([&] { result = choose_active_programs(h, &ap); }); }
    bool says(const char *text) const { return said.find(text) != std::string::npos; }
};

} // namespace

TEST(ShaderTable, RowsShareTheirTextsAsTheTableSays)
{
    ASSERT_EQ(shader_row_def(SHADER_ROW_COUNT), nullptr);
    EXPECT_STREQ(shader_row_def(SH_FURBOX)->name, "sh_furbox");
    EXPECT_EQ(shader_row_find("sh_raytracecylinders"), SH_RAYTRACECYLINDERS_1);
    EXPECT_EQ(raytrace_row(0, 6), SH_RAYTRACESPHERES_1 + 5);
    EXPECT_EQ(raytrace_row(2, 3), -1);
    EXPECT_EQ(raytrace_row(1, 0), -1);
    auto same_vertex = [](int a, int b) {
        return shader_row_def(a)->vertex == shader_row_def(b)->vertex &&
               strcmp(shader_row_def(a)->vertex_defines, shader_row_def(b)->vertex_defines) == 0;
    };
    auto same_fragment = [](int a, int b) {
        return shader_row_def(a)->fragment == shader_row_def(b)->fragment &&
               strcmp(shader_row_def(a)->fragment_defines, shader_row_def(b)->fragment_defines) == 0;
    };
    EXPECT_TRUE(same_vertex(SH_SIMP, SH_DIFF));
    EXPECT_TRUE(same_vertex(SH_TOPSIMPTEX, SH_DIFFTEX));
    EXPECT_FALSE(same_vertex(SH_DIFF, SH_DIFFTEX));
    EXPECT_TRUE(same_vertex(SH_GROUND_AO12, SH_GROUND));
    EXPECT_TRUE(same_fragment(SH_DIFFTEX_TCGEN, SH_DIFFTEX));
    EXPECT_TRUE(same_fragment(SH_DIFFTEX_TCGEN_AO6_BUMP, SH_DIFFTEX_AO6_BUMP));
    EXPECT_TRUE(same_fragment(SH_CAPSULEREFLECTION, SH_REFLECTION));
    EXPECT_FALSE(same_fragment(SH_DIFF_AO4, SH_DIFF_AO6));
    int batch_rows = 0;
    for (int r = 0; r < SHADER_ROW_COUNT; r++) {
        const ShaderRowDef *d = shader_row_def(r);
        EXPECT_EQ(d->shared != nullptr, (d->flags & SF_RAYTRACE) || r == SH_DIFFTEX_AO12_SHINY) << d->name;
        batch_rows += strncmp(d->prefix, "const int ocount = ", 19) == 0;
        // No row text carries its own version line: it is the first string.
        EXPECT_EQ(strstr(d->fragment, "#version"), nullptr);
        EXPECT_EQ(strstr(d->vertex, "#version"), nullptr);
    }
    EXPECT_EQ(batch_rows, 12);
    EXPECT_STREQ(GLSL_VERSION_LINE, "#version 120\n");
}

TEST(ShaderTable, EverythingLinkedGivesTheRichestPrograms)
{
    Ladder l;
    l.run();
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(l.ap.ground, l.h[SH_GROUND_AO12]);
    EXPECT_EQ(l.ap.ground_occluders, 12);
    EXPECT_EQ(l.ap.blood, l.h[SH_BLOOD]);
    EXPECT_EQ(l.ap.diff, l.h[SH_DIFF_AO12]);
    EXPECT_EQ(l.ap.bump, l.h[SH_DIFFTEX_AO12_BUMP]);
    EXPECT_EQ(l.ap.tcgen_bump, l.h[SH_DIFFTEX_TCGEN_AO12_BUMP]);
    EXPECT_EQ(l.ap.shadow_floor, l.h[SH_SHADOW_FLOOR]);
    EXPECT_EQ(l.ap.final, l.h[SH_FINAL]);
    EXPECT_EQ(l.ap.texture, l.h[SH_TEXTURE]);
    EXPECT_EQ(l.ap.tcgen_available, 256);
    EXPECT_EQ(l.ap.bump_available, 512);
    EXPECT_EQ(l.ap.ao_max, 0x80);
    EXPECT_EQ(l.ap.blood_level_bits, 0x10);
    EXPECT_TRUE(l.says("Ambient Occlusion + Bumpmapping supported (level 12 of 12)\n"));
    EXPECT_FALSE(l.says("Raytracing not supported"));
    for (int o : k_options)
        EXPECT_EQ(option_get(o), 1);
}

TEST(ShaderTable, FailedRowsTurnTheirFeaturesOff)
{
    Ladder l;
    // Both effects alone would work, together they need the bump rows
    // with generated coordinates and occlusion.
    l.fail({SH_DIFFTEX_TCGEN_AO4_BUMP, SH_DIFFTEX_TCGEN_AO6_BUMP, SH_DIFFTEX_TCGEN_AO12_BUMP, SH_BLOOD,
            SH_GROUND_AO12, SH_SMOOTH, SH_GAUSSIAN, SH_REFLECTION});
    l.run();
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(option_get(OPT_AMBIENTOCCLUSION), 0);
    EXPECT_EQ(option_get(OPT_BUMPMAPPING), 0);
    EXPECT_TRUE(l.says("(together) not supported (level 0 of 12) - try enabling 1 by 1\n"));
    EXPECT_EQ(l.ap.blood, l.h[SH_BLOOD_1]);
    EXPECT_TRUE(l.says("Fluid blood supported (level 1 of 4)\n"));
    EXPECT_EQ(l.ap.ground_occluders, 6);
    EXPECT_EQ(option_get(OPT_MOTIONBLUR), 0);
    EXPECT_TRUE(l.says("Motion Blur not supported!\n"));
    EXPECT_EQ(l.ap.depthfilter, 0u);
    EXPECT_EQ(option_get(OPT_DEPTHOFFIELD), 0);
    EXPECT_EQ(option_get(OPT_RAYTRACING), 0);
    EXPECT_TRUE(l.says("Raytracing not supported\n"));
    EXPECT_EQ(option_get(OPT_SHADERS), 1);

    // Occlusion alone takes the best level of its generated-coordinate rows.
    Ladder a;
    option_set(OPT_BUMPMAPPING, 0);
    a.fail({SH_DIFFTEX_TCGEN_AO12});
    a.run();
    EXPECT_TRUE(a.says("Ambient Occlusion supported (level 6 of 12)\n"));
    EXPECT_EQ(a.ap.difftex, a.h[SH_DIFFTEX_AO6]);
    EXPECT_EQ(a.ap.tcgen, a.h[SH_DIFFTEX_TCGEN_AO6]);
}

TEST(ShaderTable, AMissingBasicRowTurnsTheShaderPathOff)
{
    Ladder l;
    option_set(OPT_RAYTRACING, 0);
    l.fail({SH_SHADOW});
    l.run();
    EXPECT_EQ(l.result, 1);
    EXPECT_EQ(l.ap.basic_ok, 0);
    EXPECT_EQ(option_get(OPT_SHADERS), 0);
    EXPECT_EQ(l.ap.simp, 0u);
    EXPECT_TRUE(l.says("Unable to support shaders at all."));
    EXPECT_TRUE(l.says("Raytracing not supported\n"));   // off from the start: still said
}

TEST(ShaderTable, LightingModelsByName)
{
    EXPECT_EQ(set_lighting_model("default"), 0);
    EXPECT_EQ(set_lighting_model("glossy"), 1);
    EXPECT_EQ(set_lighting_model(nullptr), 1);
    ASSERT_STREQ(current_lighting_model()->name, "default");
    EXPECT_EQ(current_lighting_model()->diff, &active_programs().diff);
}

// A renderer start after a video-mode change: a row that failed at the
// first start stays failed though it links now, and what the first scan
// found stays available though rows fail now.
TEST(ShaderTable, FailedRowsStayFailedAndCapabilitiesOnlyGrow)
{
    Ladder first;
    first.fail({SH_BLOOD});
    first.run();
    EXPECT_EQ(first.ap.blood, first.h[SH_BLOOD_1]);
    EXPECT_EQ(first.ap.ao_max, 0x80);
    EXPECT_TRUE(shader_row_failed_before(SH_BLOOD));
    EXPECT_FALSE(shader_row_failed_before(SH_BLOOD_1));

    Ladder again = first;       // the handles of the second start
    for (int r = 0; r < SHADER_ROW_COUNT; r++)
        again.h[r] = 300 + (unsigned)r;
    again.fail({SH_DIFF_AO12, SH_DIFFTEX_AO12, SH_GROUND_AO12, SH_DIFFTEX_TCGEN_AO12, SH_DIFFTEX_AO12_BUMP,
                SH_DIFFTEX_TCGEN_AO12_BUMP, SH_DIFF_AO12_SHINY, SH_DIFFTEX_AO12_SHINY});
    option_set(OPT_FLUID, 1);
    again.run();
    EXPECT_EQ(again.ap.blood, again.h[SH_BLOOD_1]);          // not the sh_blood that links now
    EXPECT_EQ(again.ap.blood_level_bits, 0x8);
    EXPECT_EQ(again.ap.ao_max, 0x80);                         // found by the first scan
    EXPECT_TRUE(again.says("Fluid blood supported (level 1 of 4)"));
    shader_rows_forget();
}
