#include <gtest/gtest.h>

#include <string>

#include "app/base/options.h"
#include "render/hardware_report.h"
#include "render/shader_probe.h"
#include "support/test_support.h"

// The hardware report and the driver probe, without a driver.

TEST(HardwareReport, EachDistinctLineIsStoredOnce)
{
    kxtest::TempDir dir;
    const std::string path = dir.file("stats.dat");
    option_set(OPT_REFLECTION, 1);
    option_set(OPT_FLUID, 0);
    option_set(OPT_SOFTSHADOW, 1);
    build_stats_line("Mesa llvmpipe");
    stats_line_append(",SUCCESS\n");
    EXPECT_STREQ(stats_line(), "STAT_GRF 0;KX3.9-alpha2,Mesa llvmpipe,LINUX,REF1,FLD0,SFT1,SUCCESS\n");
    EXPECT_EQ(write_stats_line_to(path.c_str()), 0);
    EXPECT_EQ(write_stats_line_to(path.c_str()), 0);
    option_set(OPT_SOFTSHADOW, 0);
    build_stats_line("Mesa llvmpipe");
    stats_line_append(",SUCCESS\n");
    EXPECT_EQ(write_stats_line_to(path.c_str()), 0);
    EXPECT_EQ(kxtest::read_file(path), "STAT_GRF 0;KX3.9-alpha2,Mesa llvmpipe,LINUX,REF1,FLD0,SFT1,SUCCESS\n"
                                       "STAT_GRF 0;KX3.9-alpha2,Mesa llvmpipe,LINUX,REF1,FLD0,SFT0,SUCCESS\n");
    EXPECT_EQ(write_stats_line_to(dir.file("no/such/folder").c_str()), 1);
    // A very long renderer string is cut, never overrun.
    build_stats_line(std::string(9000, 'x').c_str());
    stats_line_append(",FAIL\n");
    EXPECT_EQ(std::string(stats_line()).size(), (size_t)STATS_LINE_SIZE - 1);
}

TEST(HardwareReport, RendererAndExtensionMatching)
{
    EXPECT_EQ(renderer_wants_pow2_copies("AMD RaDeOn HD"), 1);
    EXPECT_EQ(renderer_wants_pow2_copies("NVIDIA Corporation"), 1);   // "ati" inside a word
    EXPECT_EQ(renderer_wants_pow2_copies("llvmpipe (LLVM 15.0.6, 256 bits)"), 0);
    EXPECT_EQ(renderer_wants_pow2_copies(nullptr), 0);
    const char *list = "GL_ARB_shader_objects_extra GL_EXT_framebuffer_object GL_ARB_vertex_shader";
    EXPECT_EQ(has_extension(list, "GL_ARB_shader_objects"), 0);
    EXPECT_EQ(has_extension(list, "GL_EXT_framebuffer_object"), 1);
    EXPECT_EQ(has_extension(list, "GL_ARB_vertex_shader"), 1);
    EXPECT_EQ(has_extension(list, "GL_ARB_vertex"), 0);
    EXPECT_EQ(gl_version_at_least("1.5 Mesa 22.3.6", 2, 0), 0);
    EXPECT_EQ(gl_version_at_least("4.5 (Compatibility Profile) Mesa 22.3.6", 2, 0), 1);
    EXPECT_EQ(gl_version_at_least("OpenGL ES 2.0", 2, 0), 1);
    EXPECT_EQ(gl_version_at_least("garbage", 1, 0), 0);
    EXPECT_EQ(gl_version_at_least(nullptr, 1, 0), 0);
}

TEST(HardwareReport, ProbeTagsAndDecisions)
{
    struct Case {
        ShaderSupport s;
        int raytracing;
        int result;
        const char *tags;
        const char *message;
    };
    const Case cases[] = {
        {{1, 1, 1, 1, 1, 1}, 1, 0, "", ""},
        {{1, 1, 1, 1, 1, 0}, 0, 1, ",NORAYTRACER", "GL_EXT_framebuffer_object not supported. Abort.\n"},
        {{0, 0, 0, 0, 0, 1}, 1, 1, ",NOOGL20,NOGLARB,NOGLARBFS,NOGLARBVS", "No shader extension found. Abort"},
        // Only the ARB forms: no OpenGL 2.0 entry points to make programs with.
        {{0, 0, 1, 1, 1, 1}, 1, 1, ",NOOGL20", "OpenGL 2.0 shader functions not available. Abort.\n"},
        {{1, 0, 1, 1, 1, 1}, 1, 1, "", "OpenGL 2.0 shader functions not available. Abort.\n"},
    };
    for (const Case &c : cases) {
        option_set(OPT_SHADERS, 1);
        option_set(OPT_RAYTRACING, c.raytracing);
        build_stats_line("r");
        const std::string before = stats_line();
        int result = -1;
        const std::string err = kxtest::stderr_of([&] { result = probe_shader_caps(&c.s); });
        EXPECT_EQ(result, c.result) << c.tags;
        EXPECT_EQ(std::string(stats_line()), before + c.tags);
        EXPECT_EQ(err, c.message);
        EXPECT_EQ(option_get(OPT_SHADERS), c.result ? 0 : 1);
    }
}
