#include <GL/glew.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <unistd.h>
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
#include "window/game_run.h"
#include "window/game_window.h"
#include "window/gl_context.h"

// The shader path in a real GL context (Mesa under Xvfb): every program of
// the table, the ladder's choices, the hardware report, the fall-back to
// the fixed-function path, and releases that leave no GL object behind.
namespace {

enum { W = 160, H = 120 };
const int k_features[] = {OPT_SHADERS, OPT_REFLECTION, OPT_FLUID, OPT_SOFTSHADOW, OPT_AMBIENTOCCLUSION,
                          OPT_BUMPMAPPING, OPT_MOTIONBLUR, OPT_DEPTHOFFIELD, OPT_ANAGLYPHIC, OPT_RAYTRACING,
                          OPT_BLOODSTAINS, OPT_WIDTH, OPT_HEIGHT};

// The renderer's window with the feature options at hand.
struct ShaderScene : kxtest::RendererWindow {
    ShaderScene() : RendererWindow(W, H) {}
    void features(int on)
    {
        for (int o : k_features)
            if (o != OPT_WIDTH && o != OPT_HEIGHT)
                option_set(o, on);
    }
    // The renderer started (its messages kept off the log) on the shader
    // path with only the effects named on.
    void start_with(std::initializer_list<int> effects)
    {
        features(0);
        option_set(OPT_SHADERS, 1);
        for (int o : effects)
            option_set(o, 1);
        kxtest::stderr_of(init_renderer);
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

// Looks along +y with world z up: an orthographic view of -2..2 on x and z.
void side_view()
{
    glViewport(0, 0, W, H);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-90, 1, 0, 0);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

// The square -2..2 on x and y in the plane z = 0, as one quad.
void floor_square()
{
    glBegin(GL_QUADS);
    glVertex3f(-2, -2, 0);
    glVertex3f(2, -2, 0);
    glVertex3f(2, 2, 0);
    glVertex3f(-2, 2, 0);
    glEnd();
}

// The object transform in texture matrix 0: uniform scale and a move.
void object_at(float scale, float x, float y, float z)
{
    const float m[16] = {scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, scale, 0, x, y, z, 1};
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(m);
    glMatrixMode(GL_MODELVIEW);
}

// Red channel of the pixel where world (x, z) lands in the side view.
int red_at(float x, float z)
{
    unsigned char c[4];
    glReadPixels((int)((x + 2) / 4 * W), (int)((z + 2) / 4 * H), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, c);
    return c[0];
}

TEST(ShaderPath, ObjectProgramDrawsItsMirrorImageBelowTheFloor)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    s.start_with({});
    ASSERT_EQ(renderer_started(), 1);
    for (float mirror : {0.0f, -2.0f}) {
        side_view();
        use_program(active_programs().diff);
        set_uniform_4f("konstant", 0, 0, mirror, 0);
        set_uniform_4f("globalcolor", 1, 0, 0, 1);
        set_uniform_3f("lightdir", 0, 0, 1);
        object_at(0.5f, 0, 0, 1);
        bind_textured_layout(mesh_draw_part(MESH_SPHERE_1 + 2));
        draw_mesh(mesh_draw_part(MESH_SPHERE_1 + 2));
        unbind_layout();
        use_program(0);
        EXPECT_EQ(red_at(0, 1) > 100, mirror == 0.0f) << mirror;
        EXPECT_EQ(red_at(0, -1) > 100, mirror != 0.0f) << mirror;
        EXPECT_EQ(red_at(1.5f, 1), 0);
    }
    object_at(1, 0, 0, 0);
}

// The box mesh (the +-1 cube) with half-size k, turned by `turn` degrees
// about z, at (0, y, 0), drawn with the program in use in colour c: a live
// shape (globalcolor) or a ghost (the vertex colour).
void draw_box_at(float k, float turn, float y, const float *c)
{
    const float a = turn * 3.14159265f / 180, co = std::cos(a) * k, si = std::sin(a) * k;
    const float m[16] = {co, si, 0, 0, -si, co, 0, 0, 0, 0, k, 0, 0, y, 0, 1};
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(m);
    glMatrixMode(GL_MODELVIEW);
    set_uniform_4f("konstant", 0, 0, 0, 0);
    set_uniform_4f("globalcolor", c[0], c[1], c[2], 1);
    set_uniform_3f("lightdir", 0, 0, 1);
    glColor4f(c[0], c[1], c[2], 1);
    bind_textured_layout(mesh_draw_part(MESH_BOX));
    draw_mesh(mesh_draw_part(MESH_BOX));
    unbind_layout();
}

// A live box drawn as the opaque pass draws it, then its ghost as the
// translucent pass does (depth test less-or-equal, no depth writes) at
// `behind` metres further along the view: of the live box's pixels, those
// the ghost does not show on.
long live_pixels_without_ghost(float distance, float turn, float behind, long *live)
{
    glViewport(0, 0, W, H);
    kxtest::view_along_y((double)W / H);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    const float red[3] = {1, 0, 0}, green[3] = {0, 1, 0};
    const float k = 0.2f * distance;   // the same size on screen at every distance
    use_program(active_programs().diff);
    draw_box_at(k, turn, distance, red);
    std::vector<unsigned char> before((size_t)W * H * 4), after((size_t)W * H * 4);
    glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, before.data());
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    use_program(active_programs().ghost);
    draw_box_at(k, turn, distance + behind, green);
    use_program(0);
    glDepthMask(GL_TRUE);
    glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, after.data());
    long missing = 0;
    *live = 0;
    for (size_t i = 0; i < before.size(); i += 4)
        if (before[i] > 0) {
            ++*live;
            missing += after[i + 1] == 0;
        }
    return missing;
}

// A ghost lies on its live shape within a hair (the preview steps it as a
// body of its own): it shows on every pixel of it, at any distance and any
// angle of the face, and never in stripes or specks. A ghost that moved
// away behind the shape stays hidden, one in front shows whole.
TEST(ShaderPath, AGhostOnItsShapeShowsWholeAndOneBehindItStaysHidden)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    s.start_with({});
    ASSERT_NE(active_programs().ghost, 0u);
    for (float distance : {0.5f, 2.0f, 8.0f, 30.0f})
        for (float turn : {0.0f, 40.0f, 80.0f}) {
            SCOPED_TRACE("at " + std::to_string(distance) + " m, turned " + std::to_string(turn));
            long live = 0;
            for (float hair : {0.0f, 3e-5f, -3e-5f}) {
                EXPECT_EQ(live_pixels_without_ghost(distance, turn, hair, &live), 0) << "hair " << hair;
                EXPECT_GT(live, W * H / 20);
            }
            EXPECT_EQ(live_pixels_without_ghost(distance, turn, 0.02f * distance, &live), live);
            EXPECT_EQ(live_pixels_without_ghost(distance, turn, -0.02f * distance, &live), 0);
        }
    object_at(1, 0, 0, 0);
    EXPECT_EQ(s.gl.errors(), 0) << s.gl.last_error();
}

TEST(ShaderPath, GroundShadowComesOnlyFromOccludersWithARadius)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    s.start_with({});
    ASSERT_GE(render_target_count(), 1);
    const RenderTarget *t = render_target(0);
    for (float radius : {0.0f, 0.5f}) {
        bind_render_target(0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2, 2, -2, 2, -10, 10);   // the floor seen from above
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        object_at(1, 0, 0, 0);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        use_program(shader_row_handle(SH_GROUND_AO4));
        set_uniform_4f("occa", 0, 0, 0.5f, radius);
        floor_square();
        use_program(0);
        unsigned char centre[4], edge[4];
        glReadPixels(t->width / 2, t->height / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, edge);
        if (radius == 0.0f) {
            EXPECT_EQ(centre[3], 0);
        } else {
            EXPECT_GT(centre[3], 60);
            EXPECT_LT(edge[3], centre[3]);
        }
        bind_render_target(-1);
    }
    glEnable(GL_DEPTH_TEST);
}

// A floor seen from above by a camera at height 5: its reflected view rays
// meet a sphere, capsule or box hanging over the middle, not the corners.
TEST(ShaderPath, RayTracedBatchesHitWhatHangsOverTheFloor)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    s.start_with({OPT_RAYTRACING});
    for (int kind = 0; kind < 3; kind++) {
        glViewport(0, 0, W, H);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2, 2, -2, 2, 0, 20);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -5);
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        object_at(1, 0, 0, 0);
        const unsigned p = raytrace_program(kind, 1);
        ASSERT_NE(p, 0u);
        use_program(p);
        set_uniform_4f("konstant", 0, 0, 0, 0);
        set_uniform_4f("floorcolor", 0, 10, 0, 1);   // what the hit reflects, bright enough to read
        set_uniform_4f("fogcolor", 0, 0, 0, -1e-9f);
        if (kind == 0) {
            set_uniform_4f("s0", 0, 0, 2.5f, 1);
            set_uniform_4f("c0", 1, 0, 0, 1);
        } else if (kind == 1) {
            set_uniform_4f("s0", 0, 0, 2.5f, 1);
            set_uniform_4f("a0", 1, 0, 0, 2);
            set_uniform_4f("c0", 1, 0, 0, 1);
        } else {
            set_uniform_4f("sa", 1, 0, 0, 1);
            set_uniform_4f("sb", 0, 0, 2.5f, 1.8f);
            const float planes[6][4] = {{1, 0, 0, 1}, {-1, 0, 0, 1}, {0, 1, 0, 1}, {0, -1, 0, 1}, {0, 0, 1, 3.5f}, {0, 0, -1, -1.5f}};
            const char *names[6] = {"sc", "sd", "se", "sf", "sg", "sh"};
            for (int m = 0; m < 6; m++)
                set_uniform_4f(names[m], planes[m][0], planes[m][1], planes[m][2], planes[m][3]);
        }
        glNormal3f(0, 0, 1);
        floor_square();
        use_program(0);
        unsigned char centre[4], corner[4];
        glReadPixels(W / 2, H / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
        glReadPixels(2, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
        EXPECT_GT(centre[1], 200) << "kind " << kind;
        EXPECT_EQ(centre[2], 0) << "kind " << kind;
        EXPECT_EQ(corner[2], 255) << "kind " << kind;   // missed: discarded
    }
    glEnable(GL_DEPTH_TEST);
}

TEST(ShaderPath, MeshesBeyond65536VerticesUse32BitIndices)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    const int n = 70000;
    std::vector<TexturedVertex> v((size_t)n, TexturedVertex{});
    // Only the last three vertices span a triangle over the middle of the view.
    const float corners[3][3] = {{-1.5f, 0, -1.5f}, {1.5f, 0, -1.5f}, {0, 0, 1.5f}};
    for (int k = 0; k < 3; k++)
        for (int c = 0; c < 3; c++)
            v[(size_t)(n - 3 + k)].pos[c] = corners[k][c];
    const uint32_t idx[3] = {(uint32_t)n - 3, (uint32_t)n - 2, (uint32_t)n - 1};
    Mesh m{};
    ASSERT_EQ(upload_mesh(&m, v.data(), (int)sizeof(TexturedVertex), n, idx, 3, 0), 0);
    EXPECT_EQ(m.index_size, 4);
    side_view();
    glDisable(GL_LIGHTING);
    glColor4f(1, 0, 0, 1);
    bind_textured_layout(&m);
    draw_mesh(&m);
    unbind_layout();
    EXPECT_GT(red_at(0, 0), 200);
    free_mesh(&m);
    EXPECT_EQ(m.vertex_buffer, 0u);
}

TEST(ShaderPath, LongProgramTextsAndIncompleteTargets)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    // A shared text far longer than any fixed buffer: handed over as is.
    const std::string shared = "// " + std::string(40000, 'x') + "\nconst float far_away = 1.0;\n";
    const unsigned p = compile_shader_program("", "void main() { gl_Position = gl_Vertex; }\n", shared.c_str(), "",
                                              "void main() { gl_FragColor = vec4(far_away); }\n", "long", "");
    EXPECT_NE(p, 0u);
    glDeleteProgram(p);
    // A target without a size is not complete: said, and refused.
    std::string err = kxtest::stderr_of([] { EXPECT_EQ(make_render_target(0, 0, 0), 1); });
    EXPECT_NE(err.find("is not complete"), std::string::npos) << err;
    err = kxtest::stderr_of([] { unwind_render_targets(0); });
    EXPECT_EQ(err, "Insufficient Video Memory. Abort.\n");
    EXPECT_EQ(render_target_count(), 0);
    // Depth of field asked for without its programs and targets: nothing drawn, no error.
    option_set(OPT_DEPTHOFFIELD, 1);
    copy_depth_for_dof();
    depth_of_field_pass();
    bind_render_target(-2);
    EXPECT_EQ(current_render_target(), -9999);
}

TEST(ShaderPath, ATargetTheDriverRefusesSwitchesItsEffectOff)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    GLint max = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max);
    // Window-sized targets wider than any texture: the quarter-size one
    // still fits, the depth-of-field and anaglyph ones do not.
    option_set(OPT_WIDTH, max + 4);
    option_set(OPT_HEIGHT, 8);
    for (int dof : {1, 0}) {
        option_set(OPT_DEPTHOFFIELD, dof);
        option_set(OPT_ANAGLYPHIC, 1);
        int result = 0;
        const std::string err = kxtest::stderr_of([&] { result = create_render_targets(); });
        EXPECT_EQ(result, 1);
        EXPECT_NE(err.find("Insufficient Video Memory. Abort.\n"), std::string::npos) << err;
        EXPECT_EQ(render_target_count(), 2);
        EXPECT_EQ(floor_target(), 1);
        EXPECT_EQ(anaglyph_target(), -1);
        EXPECT_EQ(option_get(OPT_DEPTHOFFIELD), 0);
        EXPECT_EQ(option_get(OPT_ANAGLYPHIC), dof ? 1 : 0);   // not tried after the first failure
    }
    free_render_textures();
    EXPECT_EQ(render_target_count(), 0);
    kxtest::GlContext again{W, H};   // the refused sizes were GL errors: counted afresh from here
}

TEST(ShaderPath, DepthOfFieldRunsOnARealFrame)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    s.start_with({OPT_DEPTHOFFIELD});
    ASSERT_EQ(active_programs().depthfilter != 0, true);
    side_view();
    glDisable(GL_LIGHTING);
    glColor4f(0, 1, 0, 1);
    glBegin(GL_TRIANGLES);
    glVertex3f(-1, 0, -1);
    glVertex3f(1, 0, -1);
    glVertex3f(0, 0, 1);
    glEnd();
    copy_depth_for_dof();
    depth_of_field_pass();
    EXPECT_EQ(current_render_target(), -1);
    unsigned char c[4];
    glReadPixels(W / 2, H / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, c);
    EXPECT_GT(c[1], 100);   // the picture is still there after the blur
}

namespace {

void window_pixel(unsigned char *c)
{
    glReadPixels(W / 2, H / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, c);
}

void fill_window(float r, float g, float b)
{
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

} // namespace

// The left eye gives the red, the right eye the blue; the picture is drawn
// off screen and reaches the window only when drawn there. The ray-trace
// data texture is made at start-up and released with the rest.
TEST(ShaderPath, AnaglyphComposesTheTwoEyeImages)
{
    ShaderScene s;
    ASSERT_TRUE(s.gl.ok()) << s.gl.last_error();
    s.start_with({});
    EXPECT_EQ(compose_anaglyph(), 1);   // no target, no program
    EXPECT_EQ(draw_anaglyph(), 1);
    s.start_with({OPT_ANAGLYPHIC});
    ASSERT_NE(active_programs().anaglyph, 0u);
    const unsigned data = raytrace_data_texture();
    ASSERT_NE(data, 0u);
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, data);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(filter, GL_NEAREST);
    ASSERT_GE(anaglyph_target(), 0);
    EXPECT_EQ(draw_anaglyph(), 1);      // nothing composed yet
    fill_window(0.8f, 0.5f, 0.2f);
    copy_anaglyph_eye(0);
    fill_window(0.1f, 0.5f, 0.4f);
    copy_anaglyph_eye(1);
    fill_window(0, 1, 0);
    ASSERT_EQ(compose_anaglyph(), 0);
    EXPECT_EQ(current_render_target(), -1);
    unsigned char c[4];
    window_pixel(c);
    EXPECT_EQ(c[1], 255);               // the window is untouched
    ASSERT_EQ(draw_anaglyph(), 0);
    window_pixel(c);
    EXPECT_NEAR(c[0], 204, 2);
    EXPECT_EQ(c[1], 0);
    EXPECT_NEAR(c[2], 102, 2);
    EXPECT_EQ(s.gl.errors(), 0) << s.gl.last_error();
    release_renderer();
    EXPECT_EQ(draw_anaglyph(), 1);      // the picture went with the targets
    EXPECT_EQ(raytrace_data_texture(), 0u);
    EXPECT_FALSE(glIsTexture(data));
}

TEST(ShaderPath, TheProgramStartsTheShaderPathAndKeepsItOverAVideoReset)
{
    GameRun run;
    run.write("default.cfg", "#settings\r\nshaders \"1\"\r\n");
    ASSERT_TRUE(run.start({}, {"SDL_AUDIODRIVER=dummy"}));
    ASSERT_TRUE(run.wait_caption("KAELMUND 3.9-alpha2 fps:")) << run.err();
    EXPECT_TRUE(run.wait_text("data/stats.dat", ",SUCCESS\n")) << run.err();
    // Ctrl+Return: full screen, a new video mode, the renderer made again.
    ASSERT_EQ(run.xdotool("windowfocus --sync " + std::to_string(run.window_id())), 0);
    run.xdotool("key Escape");   // from the welcome menu to the game
    run.xdotool("keydown ctrl key Return keyup ctrl");
    int w = 0, h = 0;
    for (int t = 0; t < 100 && w != 1280; t++, usleep(50000))
        run.window_size(&w, &h);
    EXPECT_EQ(w, 1280);
    ASSERT_TRUE(run.wait_caption("KAELMUND 3.9-alpha2 fps:")) << run.err();
    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();
    const std::string stats = kxtest::read_file(run.path("data/stats.dat"));
    EXPECT_EQ(stats.find(",SUCCESS\n"), stats.size() - 9) << stats;   // one line
    EXPECT_NE(kxtest::read_file(run.path("default.cfg")).find("shaders \"1\""), std::string::npos);
    const std::string err = run.err();
    EXPECT_EQ(err.find("Failed"), std::string::npos) << err;
    // The floor target was made at start and again after the reset.
    const std::string floor = "Buffer 1 is dimensions 2048 2048\n";
    EXPECT_NE(err.find(floor, err.find(floor) + 1), std::string::npos) << err;
}

// What default.cfg keeps of the shader path is the path that ran: off after
// a plain run; on from the command line alone, also over that saved off (the
// file switches only a path that runs), so that the next run starts it
// again; off once a driver of OpenGL 1.5 refused it, whatever the file said
// before.
TEST(ShaderPath, TheSavedSettingIsThePathThatRan)
{
    GameRun run;
    const std::string started = "Buffer 1 is dimensions";   // the render targets made
    auto run_once = [&](const std::vector<std::string> &args, const std::vector<std::string> &env) {
        if (!run.start(args, env))
            return std::string("not started");
        if (!run.wait_caption("KAELMUND 3.9-alpha2 fps:"))
            return "no window: " + run.err();
        run.close_window();
        if (run.wait_exit() != 0)
            return "bad exit: " + run.err();
        return std::string();
    };
    auto config = [&] { return kxtest::read_file(run.path("default.cfg")); };

    ASSERT_EQ(run_once({}, {}), "");
    EXPECT_EQ(run.err().find(started), std::string::npos) << run.err();
    ASSERT_NE(config().find("shaders \"0\"\r\n"), std::string::npos) << config();

    ASSERT_EQ(run_once({"-shaders", "1"}, {}), "");
    EXPECT_NE(run.err().find(started), std::string::npos) << run.err();
    EXPECT_TRUE(run.wait_text("data/stats.dat", ",SUCCESS\n")) << run.err();
    EXPECT_NE(config().find("shaders \"1\"\r\n"), std::string::npos) << config();

    ASSERT_EQ(run_once({"-shaders", "1"}, {}), "");
    EXPECT_NE(run.err().find(started), std::string::npos) << run.err();
    EXPECT_NE(config().find("shaders \"1\"\r\n"), std::string::npos) << config();

    run.write("default.cfg", "#settings\r\nshaders \"1\"\r\n");
    ASSERT_EQ(run_once({}, {"MESA_GL_VERSION_OVERRIDE=1.5"}), "");
    EXPECT_EQ(run.err().find(started), std::string::npos) << run.err();
    EXPECT_NE(config().find("shaders \"0\"\r\n"), std::string::npos) << config();
}

} // namespace
