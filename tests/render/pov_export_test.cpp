// Ray-tracer scenes of the real world, read back as text and rendered by
// Debian's povray with our glossy.inc.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/base/text.h"
#include "game/blood.h"
#include "game/contact_damage.h"
#include "game/env_objects.h"
#include "game/match_start.h"
#include "game/joints.h"
#include "game/world_setup.h"
#include "net/records/custom_record.h"
#include "render/color_table.h"
#include "render/pov_export.h"
#include "support/test_support.h"

using kxtest::read_file;
using kxtest::ScopedChdir;
using kxtest::TempDir;
using kxtest::write_file;

namespace {

bool exists(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

int count_prefix(const std::vector<std::string> &lines, const std::string &prefix)
{
    int n = 0;
    for (const std::string &l : lines)
        n += l.compare(0, prefix.size(), prefix) == 0;
    return n;
}

std::string first_with(const std::vector<std::string> &lines, const std::string &prefix)
{
    for (const std::string &l : lines)
        if (l.compare(0, prefix.size(), prefix) == 0)
            return l;
    return "";
}

void camera(float eye[3], float look[3])
{
    const float e[3] = {2.2f, -2.6f, 1.6f}, l[3] = {0.2f, 0.1f, 0.9f};
    memcpy(eye, e, sizeof e);
    memcpy(look, l, sizeof l);
}

// A world with both fighters, three environment objects (box and sphere
// half see-through) and one drop of blood in the air.
class PovExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(start_running_world(), 0);
        ScopedChdir cd(dir_.path());
        mkdir("data", 0755);
        mkdir("data/mod", 0755);
        write_file("data/mod/props.kxm",
                   "env_obj 1\nshape box\nsides 0.6 0.6 0.3\npos 1.2 0.8 0.15\ncolor 0.1 0.3 0.9 0.5\n"
                   "env_obj 2\nshape sphere\nsides 0.25 0 0\npos -0.8 0.6 0.25\ncolor 0.1 0.3 0.9 0.5\n"
                   "env_obj 3\nshape cylinder\nsides 0.1 0.5 0\npos 0 1.5 0.3\ncolor 0.9 0.9 0.1 1\n");
        fill_default_rules(0, get_next_match_rules());
        MatchRules r = *get_next_match_rules();
        n_strncpyz(r.mod, "props.kxm", sizeof r.mod);
        new_match(0, 0, &r, 0);
        spawn_blood(0, HEAD, 0.3, 0.2, 1.5);
        pov_set_camera_source(camera);
    }
    void TearDown() override
    {
        pov_set_camera_source(nullptr);
        free_game();
    }
    TempDir dir_;
};


// Renders a scene at 64 x 48 with the run folder's glossy.inc beside it;
// returns povray's exit status. Frames go to <stem>.tga or <stem><n>.tga.
int render(const std::string &dir, const std::string &scene, const std::string &stem, const char *extra = "")
{
    const std::string inc = std::string(KX_RUN_DIR) + "/raytrace/glossy.inc";
    write_file(dir + "/glossy.inc", read_file(inc));
    const std::string cmd = "cd '" + dir + "' && HOME='" + dir + "' povray +I" + scene + " +O" + stem +
                            ".tga +FT +W64 +H48 -D -V " + extra + " > " + stem + ".log 2>&1";
    return system(cmd.c_str());
}

// povray's uncompressed Targa: an 18-byte header, an id field, then rows of
// blue, green, red (and a footer after them).
struct Picture {
    int w = 0;
    std::string bgr;
};

Picture read_tga(const std::string &path)
{
    const std::string d = read_file(path);
    Picture p;
    if (d.size() < 18 || d[2] != 2 || d[16] != 24)
        return p;
    const size_t at = 18 + (unsigned char)d[0];
    p.w = (unsigned char)d[12] | (unsigned char)d[13] << 8;
    const size_t h = (unsigned char)d[14] | (unsigned char)d[15] << 8;
    p.bgr = d.substr(at, (size_t)p.w * h * 3);
    return p;
}

// Pixels that differ by more than a little in any channel.
int differing(const Picture &a, const Picture &b)
{
    int n = 0;
    for (size_t i = 0; i + 2 < a.bgr.size() && i + 2 < b.bgr.size(); i += 3) {
        int sum = 0;
        for (size_t k = i; k < i + 3; k++)
            sum += abs((unsigned char)a.bgr[k] - (unsigned char)b.bgr[k]);
        n += sum > 24;
    }
    return n;
}

} // namespace

TEST_F(PovExport, StillSceneHoldsEveryDropJointBodyAndObjectInOrder)
{
    ASSERT_EQ(pov_save_scene(dir_.file("still.pov").c_str()), 0);
    EXPECT_FALSE(exists(dir_.file("still.pov.tmp")));
    const std::vector<std::string> l = lines_of(read_file(dir_.file("still.pov")));
    ASSERT_GT(l.size(), 300u);
    EXPECT_EQ(l[0], "#include \"glossy.inc\"");
    EXPECT_EQ(l[1], "Camera(2.200000, -2.600000, 1.600000,  0.200000, 0.100000, 0.900000)");
    EXPECT_EQ(l[2], "blob {");
    EXPECT_EQ(count_prefix(l, "Blood ("), BLOOD_DROP_COUNT);
    EXPECT_EQ(l[3 + BLOOD_DROP_COUNT], "}");
    // The first drop is the one spawned at the head, in the fighter's blood.
    EXPECT_EQ(l[3].substr(0, 37), "Blood (0.300000, 0.200000, 1.500000, ");
    EXPECT_EQ(count_prefix(l, "Joint ("), 2 * JOINT_COUNT);
    EXPECT_EQ(count_prefix(l, "Body (") + count_prefix(l, "BodyCapsule (") + count_prefix(l, "BodySphere ("),
              2 * BODY_COUNT);
    EXPECT_NE(l[4 + BLOOD_DROP_COUNT].find(")// NECK"), std::string::npos);
    EXPECT_NE(first_with(l, "BodySphere (").find(") //HEAD sides, pos, rot, vel, angvel"), std::string::npos);

    // The head's line carries the geom's rotation, then its position.
    const dReal *at = dGeomGetPosition(get_player(0)->body_geoms[HEAD]);
    char pos[128];
    snprintf(pos, sizeof pos, "1.000000,  %f, %f, %f, ", at[0], at[1], at[2]);
    EXPECT_NE(first_with(l, "BodySphere (").find(pos), std::string::npos) << first_with(l, "BodySphere (");

    // See-through objects: the sphere's fourth value is how far light
    // passes; the box's is a constant 1.0 whatever its alpha.
    EXPECT_EQ(first_with(l, "EnvBox (").substr(0, 49), "EnvBox (0.100000, 0.300000, 0.900000, 1.000000,  ");
    EXPECT_EQ(first_with(l, "EnvSphere (").substr(0, 52), "EnvSphere (0.100000, 0.300000, 0.900000, 0.500000,  ");
    EXPECT_NE(first_with(l, "EnvSphere (").find("//env 1 sides, pos, rot"), std::string::npos);
    EXPECT_NE(first_with(l, "EnvCapsule (").find(" 0.000000,  0.100000, 0.500000,  "), std::string::npos);
    EXPECT_EQ(count_prefix(l, "Impact ("), 0);
}

TEST_F(PovExport, ImpactMarkerFadesAsItWidens)
{
    const double at[3] = {0.5, -0.25, 0};
    record_ground_impact(1, at);
    get_ground_impact(1)->countdown = 50;
    ASSERT_EQ(pov_save_scene(dir_.file("dq.pov").c_str()), 0);
    const std::string line = first_with(lines_of(read_file(dir_.file("dq.pov"))), "Impact (");
    EXPECT_EQ(line.substr(0, 61), "Impact (0.500000, -0.250000, 0.010000, 10.000000, 50.000000, ");
    EXPECT_NE(line.find(", 0.125000) // DQ impact, pos3, radius, time, r, g, b, a"), std::string::npos);

    // At the full countdown only in the frame that set it.
    get_ground_impact(1)->countdown = GROUND_IMPACT_COUNTDOWN;
    get_game_state()->frame += 1;
    ASSERT_EQ(pov_save_scene(dir_.file("dq2.pov").c_str()), 0);
    EXPECT_EQ(first_with(lines_of(read_file(dir_.file("dq2.pov"))), "Impact ("), "");
}

TEST_F(PovExport, AnimationGainsACasePerFrameAndEndsOnClose)
{
    const std::string path = dir_.file("anim.pov");
    ASSERT_EQ(pov_open_animation(path.c_str()), 0);
    EXPECT_EQ(pov_animation_open(), 1);
    pov_write_animation_frame(1);
    for (int i = 0; i < 3; i++)
        dWorldStep(get_game_globals()->world, 0.01);
    pov_write_animation_frame(2);
    EXPECT_FALSE(exists(path));   // in place only once complete
    ASSERT_EQ(pov_close_animation(), 0);
    EXPECT_EQ(pov_animation_open(), 0);
    EXPECT_EQ(pov_close_animation(), 1);
    const std::vector<std::string> l = lines_of(read_file(path));
    EXPECT_EQ(l[1], "#switch (frame_number)");
    EXPECT_EQ(count_prefix(l, "#case ("), 2);
    EXPECT_EQ(count_prefix(l, "#break"), 2);
    EXPECT_EQ(count_prefix(l, "Camera("), 2);
    EXPECT_EQ(l.back(), "#end");

    // Stopped before any frame: the opening lines and the end.
    ASSERT_EQ(pov_open_animation(dir_.file("empty.pov").c_str()), 0);
    ASSERT_EQ(pov_close_animation(), 0);
    EXPECT_EQ(read_file(dir_.file("empty.pov")), "#include \"glossy.inc\"\n#switch (frame_number)\n#end\n");
}

TEST_F(PovExport, FailedWriteIsReportedAndKeepsTheOldFile)
{
    const std::string kept = dir_.file("kept.pov");
    write_file(kept, "old scene\n");
    // The writes beside the file fail as on a full disk (the limit is set
    // within the capture of standard error, a file too: room for the
    // message, not for a scene).
    std::string err = kxtest::stderr_of([&] {
        kxtest::FileSizeLimit full(2048);
        EXPECT_EQ(pov_save_scene(kept.c_str()), 1);
    });
    ASSERT_EQ(pov_open_animation(kept.c_str()), 0);
    pov_write_animation_frame(1);
    kxtest::stderr_of([&] {
        kxtest::FileSizeLimit full(2048);
        EXPECT_EQ(pov_close_animation(), 1);
    });
    EXPECT_NE(err.find("Unable to write"), std::string::npos) << err;
    EXPECT_EQ(read_file(kept), "old scene\n");

    // A folder that cannot be made: nothing written, the open is refused.
    write_file(dir_.file("plain"), "");
    err = kxtest::stderr_of([&] { EXPECT_EQ(pov_save_scene(dir_.file("plain/x.pov").c_str()), 1); });
    EXPECT_NE(err.find("Unable to open"), std::string::npos);
    kxtest::stderr_of([&] { EXPECT_EQ(pov_open_animation(dir_.file("plain/a.pov").c_str()), 1); });
    EXPECT_EQ(pov_animation_open(), 0);
}

TEST_F(PovExport, NamesAndNumbersCannotBreakTheScene)
{
    char out[64];
    EXPECT_STREQ(pov_comment_name("L_ANKLE", out, sizeof out), "L_ANKLE");
    EXPECT_STREQ(pov_comment_name("A\n#declare X = 1;", out, sizeof out), "A__declare_X___1_");
    EXPECT_STREQ(pov_comment_name(nullptr, out, sizeof out), "");
    // A value the ray tracer cannot read is written as 0.
    pov_set_camera_source([](float eye[3], float look[3]) {
        eye[0] = eye[1] = eye[2] = NAN;
        look[0] = look[1] = look[2] = INFINITY;
    });
    ASSERT_EQ(pov_save_scene(dir_.file("nan.pov").c_str()), 0);
    EXPECT_EQ(lines_of(read_file(dir_.file("nan.pov")))[1],
              "Camera(0.000000, 0.000000, 0.000000,  0.000000, 0.000000, 0.000000)");
}

TEST_F(PovExport, PovrayRendersTheStillSceneAndTheAnimation)
{
    const std::string d = dir_.path();
    ASSERT_EQ(pov_save_scene(dir_.file("still.pov").c_str()), 0);
    ASSERT_EQ(render(d, "still.pov", "still"), 0) << read_file(dir_.file("still.log"));
    // The same camera with nothing in the world but the floor.
    write_file(dir_.file("bare.pov"),
               "#include \"glossy.inc\"\nCamera(2.2, -2.6, 1.6,  0.2, 0.1, 0.9)\n");
    ASSERT_EQ(render(d, "bare.pov", "bare"), 0) << read_file(dir_.file("bare.log"));
    const Picture still = read_tga(dir_.file("still.tga")), bare = read_tga(dir_.file("bare.tga"));
    ASSERT_EQ(still.w, 64);
    ASSERT_EQ(still.bgr.size(), 64u * 48 * 3);
    // The fighters fill a good part of the picture.
    EXPECT_GT(differing(still, bare), 64 * 48 / 20);

    ASSERT_EQ(pov_open_animation(dir_.file("anim.pov").c_str()), 0);
    pov_write_animation_frame(1);
    // The second frame after the fighters moved apart.
    for (int b = 0; b < BODY_COUNT; b++) {
        const dReal *p = dBodyGetPosition(get_player(1)->bodies[b]);
        dBodySetPosition(get_player(1)->bodies[b], p[0] + 0.6, p[1], p[2]);
    }
    pov_write_animation_frame(2);
    ASSERT_EQ(pov_close_animation(), 0);
    ASSERT_EQ(render(d, "anim.pov", "anim", "+KFI1 +KFF2"), 0) << read_file(dir_.file("anim.log"));
    const Picture a1 = read_tga(dir_.file("anim1.tga")), a2 = read_tga(dir_.file("anim2.tga"));
    ASSERT_EQ(a1.w, 64) << read_file(dir_.file("anim.log"));
    ASSERT_EQ(a2.w, 64);
    EXPECT_GT(differing(a1, bare), 64 * 48 / 20);
    EXPECT_GT(differing(a1, a2), 10);
}

// The box's constant fourth value does not make it vanish: rendered alone,
// the exported box line covers its part of the picture in its blue.
TEST_F(PovExport, PovrayDrawsTheEnvironmentBoxSolid)
{
    const std::string d = dir_.path();
    ASSERT_EQ(pov_save_scene(dir_.file("still.pov").c_str()), 0);
    const std::vector<std::string> l = lines_of(read_file(dir_.file("still.pov")));
    const std::string box = first_with(l, "EnvBox (");
    ASSERT_FALSE(box.empty());
    const std::string head = "#include \"glossy.inc\"\nCamera(2.2, -2.6, 1.6,  0.2, 0.1, 0.9)\n";
    write_file(dir_.file("box.pov"), head + box + "\n");
    write_file(dir_.file("bare.pov"), head);
    ASSERT_EQ(render(d, "box.pov", "box"), 0) << read_file(dir_.file("box.log"));
    ASSERT_EQ(render(d, "bare.pov", "bare"), 0) << read_file(dir_.file("bare.log"));
    const Picture with = read_tga(dir_.file("box.tga")), without = read_tga(dir_.file("bare.tga"));
    ASSERT_EQ(with.bgr.size(), 64u * 48 * 3);
    int blue = 0;
    for (size_t i = 0; i + 2 < with.bgr.size(); i += 3) {
        const int b = (unsigned char)with.bgr[i], r = (unsigned char)with.bgr[i + 2];
        blue += b > r + 60;
    }
    EXPECT_GT(differing(with, without), 20);
    EXPECT_GT(blue, 20);
}

namespace {

std::string rgb_text(int row, const char *format)
{
    float c[3];
    get_color_rgb(row, c);
    char out[96];
    snprintf(out, sizeof out, format, c[0], c[1], c[2]);
    return out;
}

} // namespace

// Joints and torso take the colours the drawing gives them: an unset joint
// row is white, a held joint the force row; a torso part without its
// gradient pair is in the fighter's colour whatever its own row says (the
// chest in the breast's row), with the pair its own row.
TEST_F(PovExport, JointAndTorsoColoursFollowTheFightersRows)
{
    get_game_globals()->replay_mode = 0;
    CustomRecord *rec = get_custom_record(0);
    rec->force_color = 10;
    rec->body_color[BREAST] = 9;
    rec->body_color[R_PECS] = 4;
    rec->body_color[L_PECS] = 4;
    rec->grad_color1[L_PECS] = 2;
    rec->grad_color2[L_PECS] = 2;
    fighter_set_joint_state(0, 0, MOTOR_HOLD);
    fighter_set_joint_state(0, 1, MOTOR_RELAX);
    ASSERT_EQ(pov_save_scene(dir_.file("colours.pov").c_str()), 0);
    const std::vector<std::string> l = lines_of(read_file(dir_.file("colours.pov")));
    EXPECT_NE(first_with(l, "Joint (").find(rgb_text(10, "%.1f, %.1f, %.1f)// NECK")), std::string::npos)
        << first_with(l, "Joint (");
    const std::string white = ", 1.0, 1.0, 1.0)// ";
    int white_joints = 0;
    for (const std::string &line : l)
        white_joints += line.rfind("Joint (", 0) == 0 && line.find(white) != std::string::npos;
    EXPECT_EQ(white_joints, 2 * JOINT_COUNT - 1);
    auto body = [&](const char *name) {
        for (const std::string &line : l)
            if (line.find(std::string(") //") + name + " ") != std::string::npos)
                return line;
        return std::string();
    };
    const int own = get_player(0)->colour;
    EXPECT_EQ(body("BREAST").rfind("Body (" + rgb_text(own, "%f, %f, %f,"), 0), 0u) << body("BREAST");
    EXPECT_EQ(body("CHEST").rfind("Body (" + rgb_text(9, "%f, %f, %f,"), 0), 0u) << body("CHEST");
    EXPECT_EQ(body("R_PECS").rfind("Body (" + rgb_text(own, "%f, %f, %f,"), 0), 0u) << body("R_PECS");
    EXPECT_EQ(body("L_PECS").rfind("Body (" + rgb_text(4, "%f, %f, %f,"), 0), 0u) << body("L_PECS");
    clear_all_customs();
}
