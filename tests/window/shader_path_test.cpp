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

} // namespace
