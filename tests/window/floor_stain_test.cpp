// Blood that lands on the floor leaves a stain through the game's callback
// table, only while the shader path is active and the bloodstains option is
// on.
#include <gtest/gtest.h>

#include "app/base/options.h"
#include "game/blood.h"
#include "game/world_setup.h"
#include "render/blood_draw_gl.h"
#include "render/floor_patches.h"
#include "render/graphics_gl.h"
#include "render/renderer_gl.h"
#include "support/test_support.h"
#include "window/gl_context.h"

TEST(FloorStain, DropOnTheFloorStainsOnlyOnTheShaderPathWithStainsOn)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    kxtest::GlContext gl(64, 64);
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    const int saved = option_get(OPT_BLOODSTAINS), saved_shaders = option_get(OPT_SHADERS);
    option_set(OPT_SHADERS, 1);
    init_renderer();
    ASSERT_EQ(renderer_started(), 1);
    ASSERT_EQ(start_running_world(), 0);
    blood_draw_gl_install(1);
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
    option_set(OPT_BLOODSTAINS, saved);
    blood_draw_gl_install(0);
    clear_floor_patch_data();
    free_game();
    release_renderer();
    option_set(OPT_SHADERS, saved_shaders);
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
}
