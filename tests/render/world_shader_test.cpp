#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cmath>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "gui/chat_text.h"
#include "gui/services/console_commands.h"
#include "render/color_table.h"
#include "render/hud_theme.h"
#include "render/world_shader.h"
#include "render/world_shader_file.h"
#include "support/test_support.h"

using kxtest::read_file;
using kxtest::ScopedChdir;
using kxtest::stderr_of;
using kxtest::TempDir;
using kxtest::write_file;

namespace {

typedef std::vector<float> Values;   // all 34 parameters, 4 floats each

Values snapshot()
{
    Values v(4 * WORLD_SHADER_PARAMS);
    for (int id = 0; id < WORLD_SHADER_PARAMS; id++)
        EXPECT_EQ(get_shader(id, &v[4 * id]), 0);
    return v;
}

void fresh()
{
    world_shader_reset();
    color_table_reset();
    world_shader_set_sky_hook(nullptr);
}

int g_applied;
int count_apply(void) { return ++g_applied, 1; }

bool console_has(const std::string &text)
{
    for (int i = 0; i < chat_line_count(0); i++)
        if (chat_text(0, i) == text)
            return true;
    return false;
}

} // namespace

// Ids 16..33 write the colour-table row of their own name (rows 77..94),
// never the row after it ("opal"); bad ids and values change nothing.
TEST(WorldShader, IdsMapToTheRowsOfTheirNamesAndBadIdsAreRefused)
{
    fresh();
    for (int id = WS_FIRST_TEXT_COLOR; id < WORLD_SHADER_PARAMS; id++) {
        char name[64];
        color_name_is(COLOR_ROW_SHADER_FIRST + id - WS_FIRST_TEXT_COLOR, name, sizeof name);
        EXPECT_STREQ(name, world_shader_params[id].name);
        EXPECT_EQ(world_shader_id(name), id);
    }
    float opal[3], rgb[3];
    get_color_rgb(COLOR_ROW_SHADER_LAST + 1, opal);
    ASSERT_EQ(set_background(world_shader_id("msg_urlsel"), 0.4f, 0.5f, 0.6f), 0);
    get_color_rgb(color_row_by_name("msg_urlsel"), rgb);
    EXPECT_EQ(rgb[0], 0.4f);
    get_color_rgb(COLOR_ROW_SHADER_LAST + 1, rgb);
    EXPECT_EQ(rgb[0], opal[0]);

    const Values before = snapshot();
    float out[4];
    for (int bad : {-1, 34, INT_MIN}) {
        EXPECT_EQ(stderr_of([&] { EXPECT_EQ(get_shader(bad, out), 1); }),
                  "get_shader : no such id " + std::to_string(bad) + "\n");
        EXPECT_EQ(stderr_of([&] { EXPECT_EQ(set_background(bad, 1, 1, 1), 1); }),
                  "set_background : no such id " + std::to_string(bad) + "\n");
    }
    stderr_of([] { EXPECT_EQ(set_background(WS_SUN_COLOR, 1, INFINITY, NAN), 1); });
    EXPECT_EQ(snapshot(), before);
}

// Flags, directions (a zero vector stays zero), and the start-up look with
// apply_world_shader's choice between the sky and the HUD's colour set.
TEST(WorldShader, KindsPresetAndApply)
{
    fresh();
    float v[4];
    set_background(WS_SHARP_SHADOW, 0.5f, 0, 0);
    EXPECT_EQ(world_shader_flag(WS_SHARP_SHADOW), 1);
    set_background(WS_POLAR_LIGHT_DIR, 0, 0, 0);
    get_shader(WS_POLAR_LIGHT_DIR, v);
    EXPECT_EQ(Values(v, v + 4), Values({0, 0, 0, 1}));
    set_hud_theme_a();
    apply_world_shader_slot();
    EXPECT_EQ(hud_colour_row(HUD_TEXT), color_row_by_name("text"));
    get_shader(WS_BACKGROUND_COLOR, v);
    EXPECT_EQ(Values(v, v + 4), Values({1, 1, 1, 1}));
    EXPECT_EQ(world_shader_flag(WS_SHARP_SHADOW), 0);
    get_shader(WS_AMBIENT_LIGHT_DIR, v);
    EXPECT_NEAR(v[2], std::sqrt(0.5f), 1e-6);
    world_shader_set_sky_hook(count_apply);
    g_applied = 0;
    set_background_and_apply(WS_SKY_ON, 0, 0, 0, 0);
    EXPECT_EQ(g_applied, 1);
}

// Comments, unknown names, missing numbers, CRLF ends, over-long lines and
// numbers that are not finite; a file of comments still applies once.
TEST(WorldShader, LoadReadsKnownLinesAndSkipsBadOnes)
{
    fresh();
    TempDir dir;
    ScopedChdir cd(dir.path());
    std::string text = "# comment sky_on 0\nsun_light_dir 0 0 2\r\nno_such_name 1 2 3\nfog_distance\n";
    text += "# " + std::string(300, 'x') + " sky_on 0\n";   // its tail is no line of its own
    text += "sharp_shadow nan\nmirror_color 0.5 0.25\n";
    write_file("a.inc", text);
    world_shader_set_sky_hook(count_apply);
    g_applied = 0;
    const std::string err = stderr_of([] { EXPECT_EQ(load_world_shader("a.inc"), 0); });
    EXPECT_EQ(g_applied, 1);
    EXPECT_NE(err.find("a.inc:5: line longer than 255"), std::string::npos) << err;
    EXPECT_NE(err.find("a.inc:6: a number that is not finite"), std::string::npos) << err;
    float v[4];
    get_shader(WS_SUN_LIGHT_DIR, v);
    EXPECT_EQ(Values(v, v + 3), Values({0, 0, 1}));
    EXPECT_EQ(world_shader_value(WS_FOG_DISTANCE)[0], 0.0f);
    EXPECT_EQ(world_shader_flag(WS_SKY_ON), 1);
    EXPECT_EQ(world_shader_flag(WS_SHARP_SHADOW), 1);
    EXPECT_EQ(world_shader_value(WS_MIRROR_COLOR)[2], 0.0f);
    write_file("b.inc", "# nothing but a comment\n");
    EXPECT_EQ(load_world_shader("b.inc"), 0);
    EXPECT_EQ(g_applied, 2);
    EXPECT_EQ(stderr_of([] { EXPECT_EQ(load_world_shader("missing.inc"), 1); }), "Unable to open missing.inc\n");
    EXPECT_EQ(g_applied, 2);
}

// Every shipped file, and values that need more than two decimals: load,
// export, load again gives the same 34 values, and a second export the
// same text.
TEST(WorldShader, LoadExportLoadKeepsAll34Values)
{
    TempDir dir;
    const std::string shipped = std::string(KX_SOURCE_DIR) + "/data/shader/";
    std::vector<std::string> files;
    DIR *d = opendir(shipped.c_str());
    ASSERT_NE(d, nullptr);
    while (dirent *e = readdir(d))
        if (strstr(e->d_name, ".inc"))
            files.push_back(shipped + e->d_name);
    closedir(d);
    ASSERT_GE(files.size(), 3u);
    fresh();
    set_background(WS_SUN_LIGHT_DIR, 0.3f, 1, 0.26f);
    set_background(WS_FOG_DISTANCE, 1.0f / 3, 0, 0);
    set_background(world_shader_id("msg_player"), 1.4f, 0.123456f, 0);
    ASSERT_EQ(export_world_shader(dir.file("odd.inc").c_str()), 0);
    files.push_back(dir.file("odd.inc"));
    for (const std::string &f : files) {
        fresh();
        ASSERT_EQ(load_world_shader(f.c_str()), 0) << f;
        const Values first = snapshot();
        const std::string out = dir.file("out.inc");
        ASSERT_EQ(export_world_shader(out.c_str()), 0);
        const std::string written = read_file(out);
        fresh();
        ASSERT_EQ(load_world_shader(out.c_str()), 0);
        EXPECT_EQ(snapshot(), first) << f;
        ASSERT_EQ(export_world_shader(out.c_str()), 0);
        EXPECT_EQ(read_file(out), written) << f;
    }
    const std::string odd = read_file(dir.file("out.inc"));
    EXPECT_NE(odd.find("\nfog_distance 0.33333334\nsharp_shadow 1\nsky_on 1\n"), std::string::npos) << odd;
    EXPECT_NE(odd.find("\nmsg_player 1.40 0.123456 0.00\n"), std::string::npos) << odd;
}

// A write that cannot be made is reported and leaves the old file and no
// temporary file behind.
TEST(WorldShader, ExportReportsAFailedWrite)
{
    fresh();
    TempDir dir;
    ScopedChdir cd(dir.path());
    EXPECT_EQ(stderr_of([] { EXPECT_EQ(export_world_shader("no/such/folder.inc"), 1); }).rfind("Unable to open", 0),
              0u);
    mkdir("taken.inc", 0755);   // a folder in the way: the rename fails
    write_file("taken.inc/keep", "kept");
    EXPECT_NE(stderr_of([] { EXPECT_EQ(export_world_shader("taken.inc"), 1); }).find("Unable to write"),
              std::string::npos);
    EXPECT_EQ(read_file("taken.inc/keep"), "kept");
    struct stat st;
    EXPECT_NE(stat("taken.inc.tmp", &st), 0);
}

TEST(WorldShader, ConsoleCommands)
{
    fresh();
    chat_init();
    TempDir dir;
    ScopedChdir cd(dir.path());
    EXPECT_EQ(run_command("worldshader 6 0.5"), 0);
    EXPECT_EQ(world_shader_flag(WS_SHARP_SHADOW), 1);
    run_command("worldshader 9 0 0 3 7");
    run_command("worldshader 9");
    EXPECT_TRUE(console_has("worldshader 9 0.00 0.00 1.00 1.00"));
    stderr_of([] { run_command("worldshader 34 1"); run_command("worldshader -1"); });
    EXPECT_TRUE(console_has("worldshader: no such id or value (ids 0 to 33)"));

    stderr_of([] { run_command("exportworldshader mine.inc"); });
    EXPECT_TRUE(console_has("unable to export to data/shader/mine.inc"));
    mkdir("data", 0755);
    mkdir("data/shader", 0755);
    run_command("exportworldshader mine.inc");
    run_command("exportworldshader mine.inc");   // the first is kept
    EXPECT_TRUE(console_has("exported to data/shader/mine-1.inc"));
    EXPECT_EQ(read_file("data/shader/mine.inc"), read_file("data/shader/mine-1.inc"));
    set_background(WS_SHARP_SHADOW, 0, 0, 0);
    run_command("loadworldshader mine.inc");
    EXPECT_EQ(world_shader_flag(WS_SHARP_SHADOW), 1);
    stderr_of([] {
        run_command("loadworldshader ../mine.inc");
        run_command("loadworldshader gone.inc");
    });
    EXPECT_TRUE(console_has("unable to load data/shader/../mine.inc"));
    EXPECT_TRUE(console_has("unable to load data/shader/gone.inc"));
}

// The blend moves values a step a frame, keeps directions unit length,
// holds the flags until the last frame and then applies once.
TEST(WorldShader, TimedBlendReachesThePreset)
{
    fresh();
    world_shader_set_sky_hook(count_apply);
    g_applied = 0;
    set_background(WS_BACKGROUND_COLOR, 0, 0, 0);
    set_background(WS_SHARP_SHADOW, 1, 0, 0);
    set_background(WS_SKY_ON, 0, 0, 0);
    set_background(WS_AMBIENT_LIGHT_DIR, 1, 0, 0);
    EXPECT_EQ(stderr_of([] { EXPECT_EQ(start_world_shader_blend(0, 0), 1); }).empty(), false);
    stderr_of([] { EXPECT_EQ(start_world_shader_blend(WORLD_SHADER_SLOTS, 4), 1); });
    EXPECT_EQ(world_shader_blend_step(), 0);          // nothing started

    ASSERT_EQ(start_world_shader_blend(0, 4), 0);
    float v[4];
    for (int frame = 1; frame < 4; frame++) {
        EXPECT_EQ(world_shader_blend_step(), 1);
        get_shader(WS_BACKGROUND_COLOR, v);
        EXPECT_NEAR(v[0], 0.25f * frame, 1e-6);
        get_shader(WS_AMBIENT_LIGHT_DIR, v);
        EXPECT_NEAR(v[0] * v[0] + v[1] * v[1] + v[2] * v[2], 1.0f, 1e-5);
        EXPECT_EQ(world_shader_flag(WS_SHARP_SHADOW), 1);
        EXPECT_EQ(world_shader_flag(WS_SKY_ON), 0);
    }
    EXPECT_EQ(g_applied, 0);
    EXPECT_EQ(world_shader_blend_step(), 0);
    EXPECT_FALSE(world_shader_blending());
    EXPECT_EQ(g_applied, 1);
    get_shader(WS_BACKGROUND_COLOR, v);
    EXPECT_EQ(Values(v, v + 4), Values({1, 1, 1, 1}));
    EXPECT_EQ(world_shader_flag(WS_SHARP_SHADOW), 0);
    EXPECT_EQ(world_shader_flag(WS_SKY_ON), 1);
    get_shader(WS_AMBIENT_LIGHT_DIR, v);
    EXPECT_NEAR(v[1], std::sqrt(0.5f), 1e-6);
    EXPECT_EQ(world_shader_blend_step(), 0);
    EXPECT_EQ(g_applied, 1);

    // A further preset gives the built-in look.
    ASSERT_EQ(start_world_shader_blend(WORLD_SHADER_SLOTS - 1, 1), 0);
    EXPECT_EQ(world_shader_blend_step(), 0);
    get_shader(WS_FLOOR_COLOR, v);
    EXPECT_EQ(Values(v, v + 3), Values({0.8f, 0.75f, 0.7f}));
    EXPECT_EQ(world_shader_flag(WS_SHARP_SHADOW), 1);
}

// The script text has the dump's exact lines, and running its commands on
// fresh values gives back every parameter to two decimals.
TEST(WorldShader, ScriptDumpRunsBackToTheSameValues)
{
    fresh();
    chat_init();
    set_background(WS_FLOOR_COLOR, 0.25f, 0.5f, 0.75f);
    set_background(WS_FOG_DISTANCE, 12.5f, 0, 0);
    set_background(WS_SHARP_SHADOW, 0, 0, 0);
    set_background(world_shader_id("msg_user"), 0.1f, 0.2f, 0.3f);
    const Values before = snapshot();
    testing::internal::CaptureStdout();
    print_world_shader_script();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("-- floor_color 1.0 1.0 1.0 \nrun_cmd(\"worldshader 2 0.25 0.50 0.75\")\n"),
              std::string::npos);
    EXPECT_NE(out.find("-- fog_distance 1.0\nrun_cmd(\"worldshader 5 12.50\")\n"), std::string::npos);
    EXPECT_NE(out.find("-- sky_on 1\nrun_cmd(\"worldshader 7 1\")\n"), std::string::npos);
    EXPECT_NE(out.find("run_cmd(\"worldshader 30 0.10 0.20 0.30\")\n-- msg_player"), std::string::npos);

    fresh();
    set_background(WS_SKY_ON, 0, 0, 0);
    int commands = 0;
    for (size_t at = 0; (at = out.find("run_cmd(\"", at)) != std::string::npos; commands++) {
        at += 9;
        EXPECT_EQ(run_command(out.substr(at, out.find('"', at) - at).c_str()), 0);
    }
    EXPECT_EQ(commands, WORLD_SHADER_PARAMS);
    const Values after = snapshot();
    for (size_t k = 0; k < before.size(); k++)
        EXPECT_NEAR(after[k], before[k], 0.005f) << "value " << k;
}

// One line is read as a file line is and applied at once; bad lines are
// refused and set nothing.
TEST(WorldShader, OneLineApply)
{
    fresh();
    world_shader_set_sky_hook(count_apply);
    g_applied = 0;
    float v[4];
    EXPECT_EQ(apply_world_shader_line("sun_light_dir 0 0 2"), 0);
    get_shader(WS_SUN_LIGHT_DIR, v);
    EXPECT_EQ(Values(v, v + 3), Values({0, 0, 1}));
    EXPECT_EQ(g_applied, 1);
    EXPECT_EQ(apply_world_shader_line("# sky_on 0"), 0);
    EXPECT_EQ(world_shader_flag(WS_SKY_ON), 1);
    stderr_of([] {
        EXPECT_EQ(apply_world_shader_line("sky_on nan"), 1);
        EXPECT_EQ(apply_world_shader_line(std::string(300, 'x').c_str()), 1);
        EXPECT_EQ(apply_world_shader_line(nullptr), 1);
    });
    EXPECT_EQ(world_shader_flag(WS_SKY_ON), 1);
}
