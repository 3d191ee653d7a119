#include <GL/glew.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/game_state.h"
#include "game/world_build.h"
#include "net/records/custom_record.h"
#include "particles/flames.h"
#include "particles/limb_trails.h"
#include "render/color_table.h"
#include "render/particles_draw_gl.h"
#include "render/texture.h"
#include "support/test_support.h"
#include "window/gl_context.h"

// The trails' and flames' own textures in a run folder of the test's own
// (the generated defaults copied in): a fighter's own trail texture when
// its customisation asks for it, the default otherwise; zud's flame for a
// fighter without one; no flames without any flame texture; the TRAILCOL
// rows on the trails; every texture deleted on release.
namespace fs = std::filesystem;

TEST(ParticleTextures, OwnOrDefaultTexturesColoursAndNoFlameWithoutTexture)
{
    kxtest::GlContext gl;
    ASSERT_TRUE(gl.ok()) << gl.last_error();
    kxtest::TempDir dir;
    const std::string run = KX_RUN_DIR;
    fs::create_directories(dir.file("data/textures"));
    fs::create_directories(dir.file("custom/zud"));
    fs::create_directories(dir.file("custom/vako"));
    fs::copy_file(run + "/data/textures/trail.tga", dir.file("data/textures/trail.tga"));
    fs::copy_file(run + "/custom/zud/flame.tga", dir.file("custom/zud/flame.tga"));
    fs::copy_file(run + "/data/textures/trail.tga", dir.file("custom/vako/trail_l_foot.tga"));
    kxtest::ScopedChdir in(dir.path());
    ASSERT_EQ(init_game(), 0);
    color_table_reset();
    clear_all_customs();
    parse_custom_textrail("0 0 0 1", get_custom_record(0));
    parse_custom_trailcol("0 2 4", get_custom_record(0));
    std::remove("custom/vako/flame.tga");

    trails_init();
    flames_init();
    trails_draw();
    EXPECT_STREQ(particles_texture_object(3)->path, "custom/vako/trail_l_foot");
    EXPECT_STREQ(particles_texture_object(0)->path, "data/textures/trail");
    EXPECT_STREQ(particles_texture_object(4)->path, "data/textures/trail");
    EXPECT_STREQ(particles_texture_object(8)->path, "custom/zud/flame");     // vako has none
    EXPECT_TRUE(flames_fighter_has_texture(0));
    EXPECT_TRUE(flames_fighter_has_texture(1));
    const LimbTrail *t = get_limb_trail(0, 0);
    EXPECT_EQ(t->head_color[0], 1.0f);      // red
    EXPECT_EQ(t->head_color[2], 0.0f);
    EXPECT_EQ(t->tail_color[2], 1.0f);      // blue, fading out
    EXPECT_EQ(t->tail_color[3], 0.0f);
    clear_all_customs();                    // rows gone: white again
    trails_draw();
    EXPECT_EQ(t->head_color[1], 1.0f);
    EXPECT_EQ(t->colors_set, 0);

    unsigned names[PARTICLE_TEXTURES];
    for (int k = 0; k < PARTICLE_TEXTURES; k++)
        names[k] = particles_texture(k);

    // Without any flame texture nothing burns.
    flames_free();
    std::remove("custom/zud/flame.tga");
    flames_init();
    flames_draw();
    EXPECT_FALSE(flames_fighter_has_texture(0));
    const float white[4] = {1, 1, 1, 1};
    flame_set(0, 0, 3, white);
    flames_update();
    for (const FlameParticle &p : get_flame_system(0)->particles)
        EXPECT_GE(p.age, FLAME_LIFE);

    flames_free();
    trails_free();
    for (unsigned name : names)
        EXPECT_FALSE(glIsTexture(name)) << name;
    EXPECT_EQ(gl.errors(), 0) << gl.last_error();
    free_game();
}
