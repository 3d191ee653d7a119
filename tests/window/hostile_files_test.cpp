#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "window/game_run.h"

// The real program in a run folder a hostile player prepared: FIFOs and
// links where the program saves or reads, the player's own files named like
// temporary files, stale temporary files of earlier runs, and console
// output captured onto files the player kept. The program starts, plays,
// exports, saves and ends as usual, and nothing outside the run folder or
// kept inside it changes.
namespace {

using kxtest::ended_pid;
using kxtest::kind_of;
using kxtest::temp_by;

// Commits every turn as soon as it can: the single-play match runs to its
// end and is autosaved.
const char kPlayThrough[] = "set_hook('draw2d', function() step_game() end)\n";

// The autosave of that match: the fighters' names and no injuries.
const char kAutosave[] = "autosave/vako_vs_zud-0_0.rpl";

void make_fifo(GameRun &run, const std::string &rel) { ASSERT_EQ(mkfifo(run.path(rel).c_str(), 0644), 0) << rel; }

// The shared data folder rel (a link in the run folder) becomes a folder of
// links to its files, with a FIFO in place of the file name.
void fifo_in_shared_folder(GameRun &run, const std::string &rel, const std::string &name)
{
    namespace fs = std::filesystem;
    const fs::path shared = fs::read_symlink(run.path(rel));
    fs::remove(run.path(rel));
    fs::create_directory(run.path(rel));
    for (const fs::directory_entry &e : fs::directory_iterator(shared))
        if (e.path().filename() != name)
            fs::create_symlink(e.path(), run.path(rel + "/" + e.path().filename().string()));
    make_fifo(run, rel + "/" + name);
}

} // namespace

TEST(HostileFiles, FifosWhereTheProgramReadsAndSavesNeitherHangNorStopIt)
{
    GameRun run;
    for (const char *d : {"raytrace", "autosave", "data/textures"})
        ASSERT_EQ(mkdir(run.path(d).c_str(), 0755), 0);
    run.write("default.cfg", "#settings\r\nwidth \"800\"\r\n");
    run.write("profile.kxs", "raytrace x.pov\n");
    run.write("data/script/startup.lua", kPlayThrough);
    const char *fifos[] = {"default.cfg.tmp", "history.log.tmp", "raytrace/x.pov.tmp", "autosave/vako_vs_zud-0_0.rpl.tmp",
                           "data/textures/logo.png"};
    for (const char *f : fifos)
        make_fifo(run, f);
    fifo_in_shared_folder(run, "data/sounds", "pain1.wav");

    ASSERT_TRUE(run.start({}));
    ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();     // the picture was not waited on
    EXPECT_TRUE(run.wait_text("raytrace/x.pov", "#include \"glossy.inc\"")) << run.err();
    EXPECT_TRUE(run.wait_text(kAutosave, "NEWGAME", 60000)) << run.err();
    run.terminate();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();

    const std::string cfg = kxtest::read_file(run.path("default.cfg"));
    EXPECT_EQ(cfg.rfind("#Automatically generated from Setup. Don't edit\r\n", 0), 0u) << cfg;
    EXPECT_NE(cfg.find("width \"800\"\r\n"), std::string::npos) << cfg;
    EXPECT_EQ(kind_of(run.path("history.log")), "file");
    for (const char *f : fifos)
        EXPECT_EQ(kind_of(run.path(f)), "fifo") << f;
    EXPECT_NE(run.err().find("data/sounds/pain1.wav not a regular file that can be read"), std::string::npos)
        << run.err();
}

TEST(HostileFiles, LinksStaleFilesAndCapturesLeaveEveryKeptFileAsItWas)
{
    GameRun run;
    kxtest::TempDir outside;
    kxtest::write_file(outside.file("kept.txt"), "OUTSIDE\n");
    for (const char *d : {"raytrace", "custom", "custom/ann"})
        ASSERT_EQ(mkdir(run.path(d).c_str(), 0755), 0);
    run.write("default.cfg", "#settings\r\nwidth \"800\"\r\n");
    // Notes each drawn frame, so that typing starts once the window runs.
    run.write("data/script/startup.lua", "local n = 0\n"
                                         "set_hook('draw2d', function()\n"
                                         "  n = n + 1\n"
                                         "  if n == 30 then\n"
                                         "    local f = io.open('data/drawn.log', 'w') f:write('drawn\\n') f:close()\n"
                                         "  end\n"
                                         "end)\n");
    // Links at the temporary names: to a file outside and dangling.
    ASSERT_EQ(symlink(outside.file("kept.txt").c_str(), run.path("default.cfg.tmp").c_str()), 0);
    ASSERT_EQ(symlink(outside.file("made.txt").c_str(), run.path("history.log.tmp").c_str()), 0);
    ASSERT_EQ(symlink(outside.file("kept.txt").c_str(), run.path("raytrace/x.pov.tmp").c_str()), 0);
    // Temporary files a killed run left, and the player's own files that
    // end in .tmp.
    const long gone = ended_pid();
    const std::vector<std::string> stale = {temp_by("raytrace", "animation.pov", gone),
                                            temp_by("replay", "old.rpl", gone), temp_by("custom/ann", "item.dat", gone),
                                            temp_by(".", "default.cfg", gone)};
    run.write(stale[0], std::string(1 << 20, 'a'));
    run.write(stale[1], "VERSION 0\n");
    run.write(stale[2], "half");
    run.write(stale[3], "width \"640\"\r\n");
    const std::vector<std::string> players = {"raytrace/notes.tmp", "draft.doc.tmp", "data/notes.txt.tmp",
                                              "replay/my match.rpl.tmp", "custom/ann/skin.png.tmp-3",
                                              "replay/old.rpl.tmp"};
    for (const std::string &p : players)
        run.write(p, "the player's notes\n");
    // Files the player kept, which captured output names.
    std::string replay = "#!/usr/bin/kaelmund\nVERSION 0\nFIGHTNAME 0; kept\nNEWGAME 0;500 10 0 0 0 2 100 0 0 "
                         "classic 0 0 100 0 0 0 1 0 2 0 0 0 0 0 0 0 0 -9.82 0 0\nFRAME 0; 0 0 0 0\n";
    while (replay.size() < 14000)
        replay += "#" + std::string(98, 'p') + "\n";
    replay += "FRAME 100; 0 0 0 0\n";
    run.write("replay/mine.rpl", replay);
    run.write("raytrace/glossy.inc", "// the shipped include\n");
    run.write("profile.kxs", "set nosuch 1 > replay/mine.rpl\nraytrace y.pov > raytrace/glossy.inc\nraytrace x.pov\n");

    ASSERT_TRUE(run.start({}));
    ASSERT_TRUE(run.wait_caption("KAELMUND")) << run.err();
    EXPECT_TRUE(run.wait_text("raytrace/x.pov", "#include \"glossy.inc\"")) << run.err();
    ASSERT_TRUE(run.wait_text("data/drawn.log", "drawn")) << run.err();
    // Typed into the chat input line.
    run.xdotool("windowfocus --sync " + std::to_string(run.window_id()));
    run.xdotool("key Escape");      // the welcome window a start without a replay shows
    run.xdotool("key t");
    usleep(300000);
    run.type("/set typed 1 > replay/mine.rpl", 30);
    run.xdotool("key Return");
    EXPECT_TRUE(run.wait_text("replay/mine-3.rpl", "No such option typed")) << run.err();
    run.close_window();
    EXPECT_EQ(run.wait_exit(), 0) << run.err();

    // Nothing outside changed or appeared; the saves are plain files.
    EXPECT_EQ(kxtest::read_file(outside.file("kept.txt")), "OUTSIDE\n");
    EXPECT_EQ(kind_of(outside.file("made.txt")), "none");
    EXPECT_EQ(kind_of(run.path("default.cfg")), "file");
    EXPECT_NE(kxtest::read_file(run.path("default.cfg")).find("width \"800\"\r\n"), std::string::npos);
    EXPECT_EQ(kind_of(run.path("history.log")), "file");
    EXPECT_NE(kxtest::read_file(run.path("history.log")).find("/set typed 1 > replay/mine.rpl"), std::string::npos);
    for (const char *l : {"default.cfg.tmp", "history.log.tmp", "raytrace/x.pov.tmp"})
        EXPECT_EQ(kind_of(run.path(l)), "link") << l;
    // The stale temporary files are gone, the player's own files are not.
    for (const std::string &s : stale)
        EXPECT_EQ(kind_of(run.path(s)), "none") << s;
    for (const std::string &p : players)
        EXPECT_EQ(kxtest::read_file(run.path(p)), "the player's notes\n") << p;
    // Captured output went beside the kept files.
    EXPECT_EQ(kxtest::read_file(run.path("replay/mine.rpl")), replay);
    EXPECT_EQ(kxtest::read_file(run.path("replay/mine-2.rpl")), "No such option nosuch\n");
    EXPECT_EQ(kxtest::read_file(run.path("raytrace/glossy.inc")), "// the shipped include\n");
    EXPECT_EQ(kxtest::read_file(run.path("raytrace/glossy-2.inc")), "saved file to raytrace/y.pov\n");
    EXPECT_NE(kxtest::read_file(run.path("raytrace/y.pov")).find("#include \"glossy.inc\""), std::string::npos);
}

// Two copies of the program in one run folder: while the first records an
// animation (its temporary file open beside raytrace/animation.pov), the
// second starts, sweeps and ends. The first one's temporary file stays and
// its animation is written whole; a leftover of a process that is gone is
// removed, the player's files that end in .tmp are not.
TEST(HostileFiles, ASecondCopyInTheSameFolderKeepsTheFirstOnesTemporaryFiles)
{
    GameRun first;
    ASSERT_EQ(mkdir(first.path("raytrace").c_str(), 0755), 0);
    first.write("default.cfg", "#settings\r\nwidth \"800\"\r\n");
    first.write("data/script/startup.lua", "set_hook('console', function(text)\n"
                                           "  local f = io.open('data/console.log', 'a')\n"
                                           "  f:write(text, '\\n')\n"
                                           "  f:close()\n"
                                           "end)\n");
    const std::vector<std::string> players = {"raytrace/animation.pov.tmp", "raytrace/animation.pov.tmp-2",
                                              "draft.doc.tmp"};
    for (const std::string &p : players)
        first.write(p, "the player's\n");
    const std::string stale = temp_by("raytrace", "old.pov", ended_pid());
    first.write(stale, "half a scene");

    ASSERT_TRUE(first.start({}));
    ASSERT_TRUE(first.wait_caption("KAELMUND")) << first.err();
    ASSERT_EQ(first.xdotool("windowfocus --sync " + std::to_string(first.window_id())), 0);
    first.xdotool("key Escape");
    std::set<std::string> before;
    for (const auto &e : std::filesystem::directory_iterator(first.path("raytrace")))
        before.insert(e.path().filename().string());
    first.xdotool("key ctrl+F7");
    ASSERT_TRUE(first.wait_text("data/console.log", "Saving frames to raytrace/animation.pov.")) << first.err();
    // The file being recorded: the one new name, with the first copy's mark.
    std::string live;
    for (const auto &e : std::filesystem::directory_iterator(first.path("raytrace")))
        if (!before.count(e.path().filename().string()))
            live = "raytrace/" + e.path().filename().string();
    EXPECT_EQ(live.rfind("raytrace/.animation.pov.kaelmund-" + std::to_string(first.pid()) + "-", 0), 0u) << live;
    // The first copy's start-up sweep removed the leftover already.
    EXPECT_EQ(kind_of(first.path(stale)), "none");
    first.write(stale, "half a scene");

    GameRun second(first, "-2");
    ASSERT_TRUE(second.start({}));
    ASSERT_TRUE(second.wait_caption("KAELMUND")) << second.err();
    second.close_window();
    EXPECT_EQ(second.wait_exit(), 0) << second.err();
    EXPECT_EQ(kind_of(first.path(live)), "file") << second.err();
    EXPECT_EQ(kind_of(first.path(stale)), "none") << second.err();
    EXPECT_NE(second.err().find(stale + ", left by a save that did not finish"), std::string::npos) << second.err();

    first.xdotool("key ctrl+F7");
    ASSERT_TRUE(first.wait_text("data/console.log", " animation frames")) << first.err();
    const std::string log = kxtest::read_file(first.path("data/console.log"));
    EXPECT_EQ(log.find("Unable to write the animation file"), std::string::npos) << log;
    const std::string anim = kxtest::read_file(first.path("raytrace/animation.pov"));
    ASSERT_GT(anim.size(), 5u);
    EXPECT_EQ(anim.substr(anim.size() - 5), "#end\n");
    EXPECT_EQ(kind_of(first.path(live)), "none");
    first.close_window();
    EXPECT_EQ(first.wait_exit(), 0) << first.err();
    for (const std::string &p : players)
        EXPECT_EQ(kxtest::read_file(first.path(p)), "the player's\n") << p;
}
