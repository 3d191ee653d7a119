#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/base/options.h"
#include "render/graphics_gl.h"
#include "render/hardware_report.h"
#include "render/mesh_gl.h"
#include "render/render_targets_gl.h"
#include "render/renderer_gl.h"
#include "render/shader_programs_gl.h"
#include "support/test_support.h"
#include "window/gl_context.h"

// The shader path in a real GL context (Mesa under Xvfb): every program of
// the table, the ladder's choices, the hardware report, the fall-back to
// the fixed-function path, and releases that leave no GL object behind.
namespace {

enum { W = 160, H = 120 };
const int k_features[] = {OPT_SHADERS, OPT_REFLECTION, OPT_FLUID, OPT_SOFTSHADOW, OPT_AMBIENTOCCLUSION,
                          OPT_BUMPMAPPING, OPT_MOTIONBLUR, OPT_DEPTHOFFIELD, OPT_ANAGLYPHIC, OPT_RAYTRACING,
                          OPT_BLOODSTAINS, OPT_WIDTH, OPT_HEIGHT};

// A GL window in a fresh folder (the report goes to its data/), options
// given back at the end; any GL error fails the test.
struct ShaderScene {
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd{dir.path()};
    kxtest::GlContext gl{W, H};
    std::vector<int> saved;
    ShaderScene()
    {
        for (int o : k_features)
            saved.push_back(option_get(o));
        kxtest::write_file(dir.file("keep"), "");
        std::system(("mkdir -p '" + dir.file("data") + "'").c_str());
        option_set(OPT_WIDTH, W);
        option_set(OPT_HEIGHT, H);
    }
    ~ShaderScene()
    {
        release_renderer();
        EXPECT_EQ(gl.errors(), 0) << gl.last_error();
        for (size_t i = 0; i < saved.size(); i++)
            option_set(k_features[i], saved[i]);
    }
    void features(int on)
    {
        for (int o : k_features)
            if (o != OPT_WIDTH && o != OPT_HEIGHT)
                option_set(o, on);
    }
};

TEST(ShaderPath, EveryProgramRowCompilesAndLinks)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    s.features(1);
    init_renderer();
    EXPECT_EQ(renderer_started(), 1);
    EXPECT_EQ(shaders_active(), 1);
    for (int r = 0; r < SHADER_ROW_COUNT; r++)
        EXPECT_NE(shader_row_handle(r), 0u) << "row " << r << " " << shader_row_def(r)->name;
}

// Every GL name the shader path holds now: programs, their shaders, mesh
// buffers, targets and their textures, the sky textures.
struct Names {
    std::vector<GLuint> programs, shaders, buffers, textures, framebuffers;
    void gather()
    {
        for (int r = 0; r < SHADER_ROW_COUNT; r++)
            if (GLuint p = shader_row_handle(r)) {
                programs.push_back(p);
                GLuint attached[4];
                GLsizei n = 0;
                glGetAttachedShaders(p, 4, &n, attached);
                shaders.insert(shaders.end(), attached, attached + n);
            }
        for (int m = 0; m < MESH_REF_COUNT; m++)
            for (const Mesh *mesh : {mesh_draw_part(m), mesh_shadow_part(m)})
                for (GLuint b : {mesh->vertex_buffer, mesh->element_buffer})
                    if (b)
                        buffers.push_back(b);
        for (int t = 0; t < render_target_count(); t++) {
            framebuffers.push_back(render_target(t)->framebuffer);
            textures.push_back(render_target(t)->texture);
        }
        for (GLuint t : {sky_textures().sky, sky_textures().sun})
            if (t)
                textures.push_back(t);
    }
    int alive() const
    {
        int n = 0;
        for (GLuint p : programs)
            n += glIsProgram(p) == GL_TRUE;
        for (GLuint x : shaders)
            n += glIsShader(x) == GL_TRUE;
        for (GLuint b : buffers)
            n += glIsBuffer(b) == GL_TRUE;
        for (GLuint t : textures)
            n += glIsTexture(t) == GL_TRUE;
        for (GLuint f : framebuffers)
            n += glIsFramebuffer(f) == GL_TRUE;
        return n;
    }
    size_t count() const
    {
        return programs.size() + shaders.size() + buffers.size() + textures.size() + framebuffers.size();
    }
};

// The sky textures are the frame passes' to make: two stand-ins here.
void make_sky_stand_ins()
{
    glGenTextures(1, &sky_textures().sky);
    glBindTexture(GL_TEXTURE_2D, sky_textures().sky);
    glGenTextures(1, &sky_textures().sun);
    glBindTexture(GL_TEXTURE_2D, sky_textures().sun);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST(ShaderPath, LadderDecisionsAndTheReportOnARealDriver)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    s.features(1);
    option_set(OPT_BUMPMAPPING, 0);
    std::string err = kxtest::stderr_of(init_renderer);
    const ActivePrograms &ap = active_programs();
    EXPECT_EQ(ap.ground, shader_row_handle(SH_GROUND_AO12));
    EXPECT_EQ(ap.ground_occluders, 12);
    EXPECT_EQ(ap.diff, shader_row_handle(SH_DIFF_AO12));
    EXPECT_EQ(ap.tcgen, shader_row_handle(SH_DIFFTEX_TCGEN_AO12));
    EXPECT_EQ(ap.blood, shader_row_handle(SH_BLOOD));
    EXPECT_NE(err.find("Ambient Occlusion supported (level 12 of 12)\n"), std::string::npos) << err;
    EXPECT_NE(err.find("Fluid blood supported (level 4 of 4)\n"), std::string::npos);
    EXPECT_EQ(err.find("Raytracing not supported"), std::string::npos);
    EXPECT_EQ(render_target_count(), 5);
    EXPECT_EQ(floor_target(), 1);
    EXPECT_EQ(anaglyph_target(), 4);
    EXPECT_EQ(render_target(0)->width, W / 4);
    EXPECT_EQ(render_target(1)->height, 2048);
    EXPECT_EQ(render_target(2)->width, W);

    const std::string renderer = (const char *)glGetString(GL_RENDERER);
    const std::string line = "STAT_GRF 0;KX3.9-alpha2," + renderer + ",LINUX,REF1,FLD1,SFT1,SUCCESS\n";
    EXPECT_EQ(kxtest::read_file("data/stats.dat"), line);
    kxtest::stderr_of(init_renderer);   // the same start-up: stored once
    EXPECT_EQ(kxtest::read_file("data/stats.dat"), line);
    option_set(OPT_SOFTSHADOW, 0);
    option_set(OPT_RAYTRACING, 0);
    err = kxtest::stderr_of(init_renderer);
    EXPECT_EQ(active_programs().ground_occluders, 0);
    EXPECT_EQ(active_programs().ground, shader_row_handle(SH_GROUND));
    EXPECT_NE(err.find("Raytracing not supported\n"), std::string::npos);
    EXPECT_EQ(kxtest::read_file("data/stats.dat"),
              line + "STAT_GRF 0;KX3.9-alpha2," + renderer + ",LINUX,REF1,FLD1,SFT0,NORAYTRACER,SUCCESS\n");
}

// Run in a process of its own with the driver forced to OpenGL 1.5.
TEST(ShaderPath, ForcedOldDriverChild)
{
    if (!getenv("MESA_GL_VERSION_OVERRIDE"))
        GTEST_SKIP() << "runs from ForcedOldDriverKeepsTheFixedPath";
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    s.features(1);
    const std::string err = kxtest::stderr_of([] {
        free_graphics();
        init_graphics();
    });
    EXPECT_TRUE(err.find("No shader extension found. Abort") != std::string::npos ||
                err.find("OpenGL 2.0 shader functions not available. Abort.\n") != std::string::npos)
        << err;
    EXPECT_EQ(option_get(OPT_SHADERS), 0);
    EXPECT_EQ(renderer_started(), 0);
    EXPECT_EQ(shaders_active(), 0);
    set_shaders_active(1);
    EXPECT_EQ(shaders_active(), 0);
    const std::string report = stats_line();
    EXPECT_NE(report.find(",NOOGL20"), std::string::npos) << report;
    EXPECT_EQ(report.substr(report.size() - 9), ",NOSHADER");
    EXPECT_EQ(kxtest::read_file("data/stats.dat"), "");   // that case is never stored
    free_graphics();
}

TEST(ShaderPath, ForcedOldDriverKeepsTheFixedPath)
{
    EXPECT_EQ(kxtest::run_self("ShaderPath.ForcedOldDriverChild", "MESA_GL_VERSION_OVERRIDE=1.5"), 0);
}

TEST(ShaderPath, TwentySwitchesLeaveNoObjectBehind)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    s.features(1);
    Names made;
    for (int i = 0; i < 20; i++) {
        option_set(OPT_SHADERS, i % 2 == 0);
        kxtest::stderr_of([] {
            free_graphics();
            init_graphics();
        });
        ASSERT_EQ(shaders_active(), i % 2 == 0) << i;
        if (!shaders_active()) {
            set_shaders_active(1);   // no start-up behind it: stays off
            EXPECT_EQ(shaders_active(), 0);
            continue;
        }
        make_sky_stand_ins();
        Names now;
        now.gather();
        EXPECT_GT(now.programs.size(), 60u);
        EXPECT_EQ(now.shaders.size(), now.programs.size() * 2);
        EXPECT_GT(now.buffers.size(), 50u);
        EXPECT_EQ(now.framebuffers.size(), 5u);
        EXPECT_EQ(now.count(), now.programs.size() + now.shaders.size() + now.buffers.size() +
                                   now.textures.size() + now.framebuffers.size());
        EXPECT_EQ(made.alive(), 0) << "names of an earlier start-up still alive at switch " << i;
        for (auto *v : {&made.programs, &made.shaders, &made.buffers, &made.textures, &made.framebuffers})
            v->clear();
        made = now;
    }
    free_graphics();
    EXPECT_EQ(made.alive(), 0);
    EXPECT_EQ(renderer_started(), 0);
    EXPECT_EQ(s.gl.errors(), 0) << s.gl.last_error();
}

} // namespace
