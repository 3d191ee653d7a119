#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "window/game_run.h"

// The real program in a run folder a hostile player prepared: FIFOs and
// links where the program saves or reads, stale temporary files of earlier
// runs, and console output captured onto files the player kept. The
// program starts, plays, exports, saves and ends as usual, and nothing
// outside the run folder or kept inside it changes.
namespace {

using kxtest::kind_of;

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
    for (const char *f : {"default.cfg.tmp", "history.log.tmp", "raytrace/x.pov.tmp"})
        EXPECT_NE(run.err().find(std::string(f) + " is not a regular file of ours: left alone"), std::string::npos)
            << f << "\n" << run.err();
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
    // Temporary files a killed run left, and the player's own .tmp file.
    run.write("raytrace/animation.pov.tmp", std::string(1 << 20, 'a'));
    run.write("replay/old.rpl.tmp", "VERSION 0\n");
    run.write("custom/ann/item.dat.tmp", "half");
    run.write("raytrace/notes.tmp", "the player's notes\n");
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
    // The stale temporary files are gone, the player's own file is not.
    for (const char *s : {"raytrace/animation.pov.tmp", "replay/old.rpl.tmp", "custom/ann/item.dat.tmp"})
        EXPECT_EQ(kind_of(run.path(s)), "none") << s;
    EXPECT_EQ(kxtest::read_file(run.path("raytrace/notes.tmp")), "the player's notes\n");
    // Captured output went beside the kept files.
    EXPECT_EQ(kxtest::read_file(run.path("replay/mine.rpl")), replay);
    EXPECT_EQ(kxtest::read_file(run.path("replay/mine-2.rpl")), "No such option nosuch\n");
    EXPECT_EQ(kxtest::read_file(run.path("raytrace/glossy.inc")), "// the shipped include\n");
    EXPECT_EQ(kxtest::read_file(run.path("raytrace/glossy-2.inc")), "saved file to raytrace/y.pov\n");
    EXPECT_NE(kxtest::read_file(run.path("raytrace/y.pov")).find("#include \"glossy.inc\""), std::string::npos);
}
