// Blood that lands on the floor leaves a stain through the game's callback
// table, only while the shader path is active and the bloodstains option is
// on.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/base/options.h"
#include "game/blood.h"
#include "game/protocol/replay_file.h"
#include "game/world_setup.h"
#include "render/blood_draw_gl.h"
#include "render/floor_patches.h"
#include "render/floor_patches_gl.h"
#include "render/graphics_gl.h"
#include "render/renderer_gl.h"
#include "render/scene_links_gl.h"
#include "support/test_support.h"
#include "window/gl_context.h"

namespace {

// A GL context in a temporary folder with the shader path started; the
// options, the stain callbacks, the world and the renderer are put back
// at the end, also after a failed assertion.
class FloorStain : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_.ok()) << gl_.last_error();
        option_set(OPT_SHADERS, 1);
        init_renderer();
    }
    // A running world whose blood reaches the floor through the callbacks.
    bool start_bleeding_world()
    {
        world_ = start_running_world() == 0;
        if (world_)
            blood_draw_gl_install(1);
        return world_;
    }
    void TearDown() override
    {
        option_set(OPT_BLOODSTAINS, saved_stains_);
        blood_draw_gl_install(0);
        clear_floor_patch_data();
        if (world_)
            free_game();
        release_renderer();
        option_set(OPT_SHADERS, saved_shaders_);
        EXPECT_EQ(gl_.errors(), 0) << gl_.last_error();
    }

    kxtest::TempDir dir_;
    kxtest::ScopedChdir cd_{dir_.path()};
    kxtest::GlContext gl_{64, 64};
    const int saved_stains_ = option_get(OPT_BLOODSTAINS), saved_shaders_ = option_get(OPT_SHADERS);
    bool world_ = false;
};

} // namespace

TEST_F(FloorStain, DropOnTheFloorStainsOnlyOnTheShaderPathWithStainsOn)
{
    ASSERT_EQ(renderer_started(), 1);
    ASSERT_TRUE(start_bleeding_world());
    struct Case {
        int shaders, stains;
        bool stained;
    };
    for (const Case &c : {Case{1, 0, false}, Case{0, 1, false}, Case{1, 1, true}}) {
        clear_floor_patch_data();
        set_shaders_active(c.shaders);
        option_set(OPT_BLOODSTAINS, c.stains);
        reset_blood_drops();
        reset_blood_splash(0);
        spawn_blood(0, 3, 2.5, 2.5, 0.4);
        for (int k = 0; k < 100; k++)
            world_physics_step();
        ASSERT_GT(get_blood_splash_count(), 0);
        EXPECT_EQ(!floor_patch_map().empty(), c.stained) << c.shaders << c.stains;
        if (c.stained) {
            // The stain lies under the drop.
            const dReal *p = dBodyGetPosition(get_blood_drop(0)->body);
            EXPECT_EQ(floor_patch_map().count(floor_cell_key(floor_cell_of((float)p[0]), floor_cell_of((float)p[1]))),
                      1u);
        }
    }
}

// A slot handed out again has its square of the floor target cleared before
// new splats land in it; the squares around it keep their stains.
TEST_F(FloorStain, ReusedSquareIsClearedInTheFloorTarget)
{
    ASSERT_TRUE(scene_target_ready(SCENE_TARGET_FLOOR));
    // Every slot in use, then one more cell: slot 1 is taken again.
    clear_floor_patch_data();
    const float red[3] = {1, 0, 0}, none[3] = {0, 0, 0};
    const float big[3] = {7.2f, 7.2f, 0};
    paint_floor_stain(big, none, 7.1f / 1.3f, red);
    for (int i = 0; i < 496; i++) {
        const float at[3] = {(i + 0.5f) * 0.24f, 100.5f * 0.24f, 0};
        kxtest::stderr_of([&] { paint_floor_stain(at, none, 0.01f, red); });
    }
    ASSERT_EQ(floor_squares_to_clear(), std::vector<int>{1});
    // The whole target stained, then the reused squares cleared.
    scene_target_bind(SCENE_TARGET_FLOOR);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    clear_reused_floor_squares();
    EXPECT_TRUE(floor_squares_to_clear().empty());
    std::vector<unsigned char> px(96 * 32 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 96, 32, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    scene_target_bind(SCENE_TARGET_WINDOW);
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 96; x++) {
            const bool square1 = x >= 32 && x < 64;   // slot 1: u = 1/64, v = 0
            EXPECT_EQ(px[(y * 96 + x) * 4], square1 ? 0 : 255) << x << "," << y;
        }
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

// A replay's match starts on a clean floor: the NEWGAME line of a replay
// file clears the stains of the match before, as a new game does.
TEST_F(FloorStain, OpeningAReplayClearsTheStainsOfTheMatchBefore)
{
    option_set(OPT_BLOODSTAINS, 1);
    ASSERT_EQ(renderer_started(), 1);
    ASSERT_TRUE(start_bleeding_world());
    clear_floor_patch_data();
    ASSERT_EQ(write_replay("quiet.rpl", 0), 0);
    for (int opened = 0; opened < 2; opened++) {
        SCOPED_TRACE(opened);
        reset_blood_drops();
        spawn_blood(0, 3, 2.5, 2.5, 0.4);
        for (int k = 0; k < 100; k++)
            world_physics_step();
        ASSERT_FALSE(floor_patch_map().empty());
        ASSERT_EQ(read_replay_file("quiet.rpl"), 0);
        EXPECT_TRUE(floor_patch_map().empty());
        EXPECT_EQ(get_game_globals()->replay_mode, 1);
    }
}
