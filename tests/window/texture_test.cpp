#include <GL/glew.h>

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "net/records/custom_record.h"
#include "render/fighter_textures.h"
#include "render/gl_state_check.h"
#include "render/png_decode.h"
#include "render/image_file.h"
#include "render/png_test_util.h"
#include "render/surface_util.h"
#include "render/texture.h"
#include "render/texture_gradient.h"
#include "render/texture_slots.h"
#include "render/tga_read.h"
#include "support/test_support.h"
#include "window/gl_context.h"

// Textures through a real GL context: what was uploaded is read back with
// glGetTexImage and compared with the decoders' pixels.
namespace {

std::vector<uint8_t> read_back(unsigned id, GLenum format, unsigned w, unsigned h, unsigned comps)
{
    std::vector<uint8_t> px((size_t)w * h * comps, 0xEE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, px.data());
    return px;
}

// A true-colour TGA of side n: blue, green, red bytes per pixel.
std::string tga_rgb(unsigned n, uint64_t seed)
{
    std::string f(18, '\0');
    f[2] = 2;
    f[12] = (char)n; f[14] = (char)n;
    f[16] = 24;
    pngtest::Rng rng(seed);
    for (unsigned i = 0; i < n * n * 3; i++)
        f += (char)rng.below(256);
    return f;
}

struct GlTextureTest : ::testing::Test {
    kxtest::GlContext gl;
    kxtest::TempDir dir;
    void SetUp() override { ASSERT_TRUE(gl.ok()) << gl.last_error(); }
    void TearDown() override { EXPECT_EQ(gl.errors(), 0) << gl.last_error(); }
};

TEST_F(GlTextureTest, PngUploadReadsBackAsDecodedWithItsOwnSize)
{
    pngtest::PngParams p;
    p.width = 5; p.height = 3;
    const std::string file = pngtest::write_png(p, pngtest::make_samples(p, 7));
    kxtest::write_file(dir.file("skin.png"), file);
    std::vector<uint8_t> want;
    unsigned w = 0, h = 0;
    ASSERT_EQ(decode_png(want, w, h, (const uint8_t *)file.data(), file.size()), 0u);

    Texture t;
    texture_init(&t);
    ASSERT_TRUE(texture_load_named(&t, dir.path().c_str(), "skin", false));
    EXPECT_EQ(t.width, 5u);
    EXPECT_EQ(t.height, 3u);
    EXPECT_EQ(std::string(t.path), dir.path() + "/skin");
    const std::vector<uint8_t> got = read_back(t.gl_id, GL_RGBA, w, h, 4);
    for (unsigned r = 0; r < h; r++)  // uploaded bottom row first
        EXPECT_EQ(memcmp(&got[r * w * 4], &want[(h - 1 - r) * w * 4], w * 4), 0) << "row " << r;
    texture_delete(&t);
}

TEST_F(GlTextureTest, TgaInCapitalisedFolderUploadsTightRows)
{
    const std::string folder = dir.file("custom/Hero");
    mkdir(dir.file("custom").c_str(), 0755);
    mkdir(folder.c_str(), 0755);
    kxtest::write_file(folder + "/head.tga", tga_rgb(2, 3));  // 6-byte rows
    TgaImage want;
    ASSERT_EQ(tga_read((folder + "/head.tga").c_str(), &want), 0);

    Texture t;
    texture_init(&t);
    ASSERT_TRUE(texture_load_named(&t, folder.c_str(), "head", false));
    EXPECT_EQ(t.bits, 24u);
    EXPECT_EQ(read_back(t.gl_id, GL_RGB, 2, 2, 3), want.pixels);
    texture_delete(&t);
}

TEST_F(GlTextureTest, FailedLoadsLeaveTheTextureUnloaded)
{
    Texture t;
    texture_init(&t);
    EXPECT_FALSE(texture_load_named(&t, dir.path().c_str(), "missing", false));
    EXPECT_FALSE(texture_is_loaded(&t));
    EXPECT_STREQ(t.path, "");
    kxtest::write_file(dir.file("wide.tga"), std::string(18, '\0'));  // type 0
    Texture u;
    EXPECT_FALSE(texture_init_from_file(&u, dir.file("wide.tga").c_str()));
    EXPECT_FALSE(texture_is_loaded(&u));
    texture_delete(&t);
    texture_delete(&u);
}

TEST_F(GlTextureTest, GeneratedGradientUploadsItsPixels)
{
    const float a[3] = {1.3f, 0.5f, -0.2f}, b[3] = {0, 0, 1};
    std::vector<uint8_t> want(GRADIENT_BYTES);
    ASSERT_TRUE(gradient_fill(want.data(), a, b, 0, 0));
    EXPECT_EQ(want[0], 255);  // 1.3 clamps to 1, not wrapped
    EXPECT_EQ(want[2], 0);    // -0.2 clamps to 0
    ASSERT_TRUE(gradient_fill(want.data(), a, b, 1, 0));  // the body layout leaves no pixel unset
    EXPECT_EQ(memcmp(&want[4 * (128 * 100 + 120)], &want[4 * (128 * 30 + 120)], 4), 0);
    ASSERT_TRUE(gradient_fill(want.data(), a, b, 0, 0));
    Texture t;
    texture_init(&t);
    texture_make_gradient(&t, a, b, 0, 0);
    EXPECT_TRUE(texture_is_loaded(&t));
    EXPECT_EQ(read_back(t.gl_id, GL_RGBA, 128, 128, 4), want);
    texture_delete(&t);
}

TEST_F(GlTextureTest, SlotsHoldNamesAndRefuseThe129th)
{
    texture_slots_init();
    kxtest::write_file(dir.file("a.tga"), tga_rgb(4, 1));
    const std::string a = dir.file("a.tga");
    for (int i = 0; i < TEXTURE_SLOT_COUNT; i++)
        ASSERT_EQ(texture_slot_acquire(i == 0 ? a.c_str() : dir.file("n" + std::to_string(i) + ".tga").c_str()), i);
    EXPECT_TRUE(texture_is_loaded(texture_slot_get(0)));
    EXPECT_FALSE(texture_is_loaded(texture_slot_get(1)));  // no such file
    EXPECT_EQ(texture_slot_acquire(a.c_str()), 0);

    testing::internal::CaptureStderr();
    EXPECT_EQ(texture_slot_acquire(dir.file("one_more.tga").c_str()), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Texture slots full"), std::string::npos);

    for (int bad : {-1, -1000, (int)TEXTURE_SLOT_COUNT, 1 << 30}) {
        EXPECT_EQ(texture_slot_get(bad), nullptr);
        texture_slot_free(bad);
    }
    texture_slot_free(5);
    EXPECT_EQ(texture_slot_acquire(dir.file("again.tga").c_str()), 5);

    // A video-mode reset: release, then start-up reloads every named slot.
    const unsigned old_id = texture_slot_get(0)->gl_id;
    texture_slots_free_all();
    EXPECT_FALSE(glIsTexture(old_id));
    texture_slots_reload();
    ASSERT_NE(texture_slot_get(0), nullptr);
    EXPECT_TRUE(texture_is_loaded(texture_slot_get(0)));
    EXPECT_EQ(texture_slot_acquire(a.c_str()), 0);
    texture_slots_free_all();
}

// A slot's file is read in the format its name says: a PNG as PNG (any
// case of the extension), a TGA as TGA; a file whose contents are not what
// its name says loads nothing, and a name of neither format takes no slot
// and says which formats are taken.
TEST_F(GlTextureTest, SlotsReadTheFormatTheirNameSays)
{
    texture_slots_init();
    pngtest::PngParams p;
    p.width = 5; p.height = 3;
    const std::string png = pngtest::write_png(p, pngtest::make_samples(p, 11));
    std::vector<uint8_t> want;
    unsigned w = 0, h = 0;
    ASSERT_EQ(decode_png(want, w, h, (const uint8_t *)png.data(), png.size()), 0u);
    kxtest::write_file(dir.file("skin.png"), png);
    kxtest::write_file(dir.file("loud.PNG"), png);
    kxtest::write_file(dir.file("head.tga"), tga_rgb(2, 3));
    kxtest::write_file(dir.file("tga.png"), tga_rgb(2, 3));
    kxtest::write_file(dir.file("png.tga"), png);
    for (const char *name : {"skin.bmp", "skin", "skin.png.txt", "skin.jpg"})
        kxtest::write_file(dir.file(name), png);

    int slots[5];
    std::string err[5];
    const char *names[5] = {"skin.png", "loud.PNG", "head.tga", "tga.png", "png.tga"};
    for (int i = 0; i < 5; i++) {
        testing::internal::CaptureStderr();
        slots[i] = texture_slot_acquire(dir.file(names[i]).c_str());
        err[i] = testing::internal::GetCapturedStderr();
        ASSERT_EQ(slots[i], i) << names[i];
    }
    for (int i : {0, 1}) {
        const Texture *t = texture_slot_get(slots[i]);
        ASSERT_TRUE(texture_is_loaded(t)) << names[i] << "\n" << err[i];
        EXPECT_EQ(err[i], "");
        EXPECT_EQ(t->width, 5u);
        EXPECT_EQ(t->height, 3u);
        const std::vector<uint8_t> got = read_back(t->gl_id, GL_RGBA, w, h, 4);
        for (unsigned r = 0; r < h; r++)  // uploaded bottom row first
            EXPECT_EQ(memcmp(&got[r * w * 4], &want[(h - 1 - r) * w * 4], w * 4), 0) << "row " << r;
    }
    EXPECT_TRUE(texture_is_loaded(texture_slot_get(slots[2])));
    EXPECT_EQ(texture_slot_get(slots[2])->bits, 24u);
    EXPECT_FALSE(texture_is_loaded(texture_slot_get(slots[3])));
    EXPECT_FALSE(texture_is_loaded(texture_slot_get(slots[4])));
    EXPECT_EQ(err[3], dir.file("tga.png") + ": not a PNG image that can be read\n");
    EXPECT_NE(err[4].find("unknown TGA image type 78"), std::string::npos) << err[4];  // a PNG named .tga

    testing::internal::CaptureStderr();
    for (const char *name : {"skin.bmp", "skin", "skin.png.txt", "skin.jpg"})
        EXPECT_EQ(texture_slot_acquire(dir.file(name).c_str()), -1) << name;
    const std::string refused = testing::internal::GetCapturedStderr();
    EXPECT_NE(refused.find("load_texture: " + dir.file("skin.bmp") + " refused: takes PNG (.png) and TGA (.tga) files"),
              std::string::npos) << refused;
    // No slot was taken by the refused names.
    EXPECT_EQ(texture_slot_acquire(dir.file("again.png").c_str()), 5);
    texture_slots_free_all();
}

TEST_F(GlTextureTest, PlayerTexturesFollowTheCustomisationRecord)
{
    fighter_textures_init();
    clear_all_customs();
    mkdir(dir.file("custom").c_str(), 0755);
    mkdir(dir.file("custom/Hero").c_str(), 0755);
    kxtest::write_file(dir.file("custom/Hero/head.tga"), tga_rgb(4, 8));
    kxtest::write_file(dir.file("custom/Hero/j_neck_bump.tga"), tga_rgb(4, 9));
    CustomRecord *rec = get_custom_record(1);
    rec->tex_body[0] = rec->tex_body[1] = 1;  // breast has no file
    rec->bmap_joint[0] = 1;
    rec->grad_color1[2] = 2;
    rec->grad_color2[2] = 4;
    FighterTextures *f = fighter_textures(0);
    EXPECT_EQ(apply_player_textures(0, 1, dir.path().c_str(), "Hero"), 1);
    EXPECT_TRUE(texture_is_loaded(&f->body[0]));
    EXPECT_FALSE(texture_is_loaded(&f->body[1]));
    EXPECT_TRUE(texture_is_loaded(&f->body[2]));  // gradient of red and blue
    EXPECT_TRUE(texture_is_loaded(&f->joint_bump[0]));
    EXPECT_FALSE(texture_is_loaded(&f->joint[0]));
    // A name that would leave the custom folder loads nothing.
    EXPECT_EQ(apply_player_textures(0, 1, dir.path().c_str(), "../custom/Hero"), 3);
    EXPECT_FALSE(texture_is_loaded(&f->body[0]));
    for (int bad : {-1, 2})  // only fighters 0 and 1 have tables
        EXPECT_EQ(load_body_texture(bad, 0, dir.path().c_str()), 1);
    EXPECT_EQ(load_joint_bump_texture(0, FT_JOINTS, dir.path().c_str()), 1);
    fighter_textures_free();
}

TEST_F(GlTextureTest, GeneratedInterfaceTexturesLoadFromTheRunFolder)
{
    const std::string run = KX_RUN_DIR;
    for (const char *name : {"splatt1", "logo", "background", "header", "indicator", "av_shadow", "trail"}) {
        Texture t;
        texture_create(&t, (run + "/data/textures").c_str(), name);
        EXPECT_TRUE(texture_is_loaded(&t)) << name;
        EXPECT_EQ(t.bits, 32u) << name;
        texture_delete(&t);
    }
}

TEST_F(GlTextureTest, DrawersLeaveTheStateTheyPromise)
{
    Texture t;
    texture_init(&t);
    GlStateSnapshot before, after;
    for (GLenum cap : {GL_BLEND, GL_CULL_FACE, GL_DEPTH_TEST, GL_LIGHTING, GL_TEXTURE_2D})
        glDisable(cap);
    glEnable(GL_TEXTURE_GEN_T);
    gl_state_snapshot(&before);
    texture_draw_quad3d(&t, 0, 0, 0, 1, 1);
    texture_draw_quad2d(&t, 0, 0, 1, 1);
    gl_state_snapshot(&after);
    testing::internal::CaptureStdout();
    const int differ = gl_state_compare(&before, &after, "quad", stdout);
    const std::string out = testing::internal::GetCapturedStdout();
    // Generation T off; blending, culling, depth test and lighting on.
    EXPECT_EQ(differ, 5) << out;
    EXPECT_NE(out.find("quad: GL_TEXTURE_GEN_T 1 -> 0"), std::string::npos);
    texture_delete(&t);
}

// A 3-byte surface whose rows are padded to 4 bytes uploads row by row as
// it is; saved as BMP, the texture's first row is the picture's bottom.
TEST_F(GlTextureTest, PaddedRgbSurfaceUploadsAndSavesAsBmpPixelForPixel)
{
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, 5, 3, 24, 0xFF, 0xFF00, 0xFF0000, 0);
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->pitch % 3, 0);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 5; x++)
            surface_put_pixel(s, x, y, SDL_MapRGB(s->format, 40 * x, 80 * y, 7 * x + 11 * y));
    GLuint id = 0;
    glGenTextures(1, &id);
    upload_surface_texture(s, id);
    const std::string bmp = dir.path() + "/t.bmp";
    ASSERT_TRUE(save_texture_bmp(bmp.c_str()));
    SDL_Surface *back = SDL_LoadBMP(bmp.c_str());
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->w, 5);
    ASSERT_EQ(back->h, 3);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 5; x++) {
            Uint8 r, g, b;
            SDL_GetRGB(surface_get_pixel(back, x, 2 - y), back->format, &r, &g, &b);
            EXPECT_EQ(r * 65536 + g * 256 + b, 40 * x * 65536 + 80 * y * 256 + 7 * x + 11 * y) << x << "," << y;
        }
    SDL_FreeSurface(back);
    SDL_FreeSurface(s);
    glDeleteTextures(1, &id);
}

} // namespace
