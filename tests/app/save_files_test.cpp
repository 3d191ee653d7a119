// The file helpers every save goes through, against what a hostile player
// can leave in the run folder: FIFOs, links (to files outside, dangling, to
// devices), folders and files at the temporary names, and FIFOs and links
// where a reader or an appender expects a file; and the start-up sweep,
// which takes only our own leftovers of processes that are gone.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/base/temp_names.h"
#include "app/base/utils.h"
#include "support/test_support.h"

namespace {

using kxtest::ended_pid;
using kxtest::kind_of;
using kxtest::temp_by;
using kxtest::read_file;
using kxtest::write_file;

struct Hostile {
    const char *name;
    // Puts the thing at path; outside is a folder beyond the run folder.
    std::function<void(const std::string &path, const std::string &outside)> make;
    bool reported;  // named on standard error (a regular file of ours is not)
};

// This process's n-th temporary name beside path.
std::string temp_of(const std::string &path, int n = 1)
{
    char tmp[4200];
    EXPECT_EQ(temp_name_beside(tmp, sizeof tmp, path.c_str(), n), 1);
    return tmp;
}

const Hostile kHostile[] = {
    {"fifo", [](const std::string &p, const std::string &) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }, true},
    {"link to a file outside",
     [](const std::string &p, const std::string &o) { ASSERT_EQ(symlink((o + "/kept.txt").c_str(), p.c_str()), 0); },
     true},
    {"dangling link outside",
     [](const std::string &p, const std::string &o) { ASSERT_EQ(symlink((o + "/made.txt").c_str(), p.c_str()), 0); },
     true},
    {"link to /dev/full", [](const std::string &p, const std::string &) { ASSERT_EQ(symlink("/dev/full", p.c_str()), 0); },
     true},
    {"link to a fifo outside",
     [](const std::string &p, const std::string &o) { ASSERT_EQ(symlink((o + "/pipe").c_str(), p.c_str()), 0); },
     true},
    {"folder", [](const std::string &p, const std::string &) { ASSERT_EQ(mkdir(p.c_str(), 0755), 0); }, true},
    {"hard link to a file outside",
     [](const std::string &p, const std::string &o) { ASSERT_EQ(link((o + "/kept.txt").c_str(), p.c_str()), 0); },
     false},
    {"file of ours", [](const std::string &p, const std::string &) { write_file(p, "half a save"); }, false},
};

// The folder outside the run folder: a file, a FIFO, and no made.txt.
void check_outside(const std::string &outside)
{
    EXPECT_EQ(read_file(outside + "/kept.txt"), "OUTSIDE\n");
    EXPECT_EQ(kind_of(outside + "/made.txt"), "none");
    EXPECT_EQ(kind_of(outside + "/pipe"), "fifo");
}

} // namespace

TEST(SaveFiles, WhatLiesAtTheTemporaryNameIsNeverWrittenThroughAndTheSaveGoesOn)
{
    for (const Hostile &h : kHostile) {
        for (bool counted : {false, true}) {
            SCOPED_TRACE(std::string(h.name) + (counted ? ", new file" : ", rewrite"));
            kxtest::TempDir run, outside;
            write_file(outside.file("kept.txt"), "OUTSIDE\n");
            ASSERT_EQ(mkfifo(outside.file("pipe").c_str(), 0644), 0);
            const std::string path = run.file("x.cfg");
            write_file(path, "old\n");
            h.make(temp_of(path), outside.path());

            std::string err = kxtest::stderr_of([&] {
                FILE *f = replace_file_open(path.c_str());
                ASSERT_NE(f, nullptr);
                fputs("new\n", f);
                char saved[1100] = "";
                if (counted) {
                    EXPECT_EQ(new_file_commit(f, path.c_str(), saved, sizeof saved), 0);
                    EXPECT_EQ(std::string(saved), run.file("x-2.cfg"));
                } else {
                    EXPECT_EQ(replace_file_commit(f, path.c_str()), 0);
                }
            });
            EXPECT_EQ(read_file(path), counted ? "old\n" : "new\n");
            if (counted) {
                EXPECT_EQ(read_file(run.file("x-2.cfg")), "new\n");
            }
            EXPECT_EQ(kind_of(path), "file");
            EXPECT_EQ(kind_of(temp_of(path, 2)), "none");
            check_outside(outside.path());
            // Whatever was at the name stays there, untouched.
            EXPECT_NE(kind_of(temp_of(path)), "none");
            if (h.reported)
                EXPECT_NE(err.find(temp_of(path) + " is not a regular file of ours: left alone\n"), std::string::npos)
                    << err;
            else
                EXPECT_EQ(err, "");
        }
    }
}

TEST(SaveFiles, AGivenUpSaveRemovesOnlyItsOwnTemporaryFile)
{
    kxtest::TempDir run;
    const std::string path = run.file("x.rpl");
    ASSERT_EQ(mkfifo(temp_of(path).c_str(), 0644), 0);
    std::string err = kxtest::stderr_of([&] {
        FILE *f = replace_file_open(path.c_str());
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(kind_of(temp_of(path, 2)), "file");
        replace_file_discard(f, path.c_str());
    });
    EXPECT_EQ(kind_of(temp_of(path)), "fifo");
    EXPECT_EQ(kind_of(temp_of(path, 2)), "none");
    EXPECT_EQ(kind_of(path), "none");

    // The temporary file swapped for another under the save: the stranger
    // is neither renamed into place nor removed.
    FILE *f = replace_file_open(path.c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(unlink(temp_of(path, 2).c_str()), 0);
    write_file(temp_of(path, 2), "not ours");
    EXPECT_EQ(replace_file_commit(f, path.c_str()), 1);
    EXPECT_EQ(kind_of(path), "none");
    EXPECT_EQ(read_file(temp_of(path, 2)), "not ours");
}

TEST(SaveFiles, ReadersAndAppendersTakeOnlyRegularFilesAndNeverWait)
{
    kxtest::TempDir run, outside;
    write_file(outside.file("kept.txt"), "OUTSIDE\n");
    ASSERT_EQ(mkfifo(run.file("pipe").c_str(), 0644), 0);
    ASSERT_EQ(symlink(outside.file("kept.txt").c_str(), run.file("link").c_str()), 0);
    ASSERT_EQ(mkdir(run.file("dir").c_str(), 0755), 0);
    write_file(run.file("log.txt"), "one\n");

    // Reading: a FIFO without a writer and a folder are refused at once; a
    // link to a regular file is read.
    for (const char *name : {"pipe", "dir", "missing"}) {
        EXPECT_EQ(fopen_regular(run.file(name).c_str(), "rb"), nullptr) << name;
        EXPECT_EQ(open_regular(run.file(name).c_str()), -1) << name;
    }
    FILE *f = fopen_regular(run.file("link").c_str(), "r");
    ASSERT_NE(f, nullptr);
    char line[32] = "";
    EXPECT_NE(fgets(line, sizeof line, f), nullptr);
    fclose(f);
    EXPECT_STREQ(line, "OUTSIDE\n");

    // Appending: never to a FIFO, a folder or through a link.
    for (const char *name : {"pipe", "dir", "link"})
        EXPECT_EQ(fopen_append_regular(run.file(name).c_str()), nullptr) << name;
    append_log_line(run.file("link").c_str(), "through the link");
    EXPECT_EQ(read_file(outside.file("kept.txt")), "OUTSIDE\n");
    f = fopen_append_regular(run.file("log.txt").c_str());
    ASSERT_NE(f, nullptr);
    fputs("two\n", f);
    fclose(f);
    EXPECT_EQ(read_file(run.file("log.txt")), "one\ntwo\n");
}

// Two saves of one file at once in one process each get a name of their
// own; the temporary names are hidden and carry the program's name, the
// process id and the process's start time.
TEST(SaveFiles, TemporaryNamesSayWhoseTheyAre)
{
    kxtest::TempDir run;
    const std::string path = run.file("x.cfg");
    const std::string pid = std::to_string(getpid());
    EXPECT_EQ(temp_of(path), temp_by(run.path(), "x.cfg", getpid(), process_start_time(getpid())));
    EXPECT_NE(process_start_time(getpid()), 0u);
    EXPECT_EQ(temp_of("x.cfg").rfind(".x.cfg.kaelmund-" + pid + "-", 0), 0u);
    long p = 0;
    unsigned long long start = 0;
    const std::string own = temp_of("x.cfg", 3);
    EXPECT_EQ(temp_name_writer(own.c_str(), &p, &start), 1);
    EXPECT_EQ(p, (long)getpid());
    EXPECT_EQ(start, process_start_time(getpid()));
    EXPECT_EQ(process_running(p, start), 1);

    FILE *a = replace_file_open(path.c_str());
    FILE *b = replace_file_open(path.c_str());
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    fputs("a\n", a);
    fputs("b\n", b);
    EXPECT_EQ(kind_of(temp_of(path, 2)), "file");
    EXPECT_EQ(replace_file_commit(b, path.c_str()), 0);
    EXPECT_EQ(read_file(path), "b\n");
    EXPECT_EQ(replace_file_commit(a, path.c_str()), 0);
    EXPECT_EQ(read_file(path), "a\n");
    EXPECT_EQ(kind_of(temp_of(path)), "none");
    EXPECT_EQ(kind_of(temp_of(path, 2)), "none");
}

// Only files of the temporary form, regular, this user's, whose process is
// gone (ended, or its id now taken by a process that started at another
// time) are removed; the player's files that merely end in ".tmp", files of
// a process that runs, and links, FIFOs and folders all stay.
TEST(SaveFiles, TheSweepTakesOnlyOurLeftoversOfProcessesThatAreGone)
{
    kxtest::TempDir run, outside;
    write_file(outside.file("kept.txt"), "OUTSIDE\n");
    const std::string dir = run.path();
    const long gone = ended_pid();
    const long me = getpid();
    const unsigned long long my_start = process_start_time(me);
    const std::string big(1 << 20, 'p');
    const std::vector<std::string> stale = {
        temp_by(dir, "animation.pov", gone, 12345), temp_by(dir, "x.rpl", gone, 0, 8),
        temp_by(dir, "a.b.c", gone, 1, 3), temp_by(dir, "default.cfg", me, my_start + 1),
        temp_by(dir, "my match.rpl", gone, 7)};
    for (const std::string &s : stale)
        write_file(s, big);
    // The player's own files, and names not quite of our form.
    const std::vector<std::string> players = {
        "draft.doc.tmp", "notes.txt.tmp", "my match.rpl.tmp", "skin.png.tmp-3", "x.rpl.tmp-2", "notes.tmp",
        ".hidden.cfg.tmp", "x.tmp.txt", "x.rpl.kaelmund-" + std::to_string(gone) + "-1-1.tmp",
        ".x.kaelmund-" + std::to_string(gone) + "-1-9.tmp", ".x.kaelmund-" + std::to_string(gone) + "-1-0.tmp",
        ".x.kaelmund-" + std::to_string(gone) + "-1-1.tmpx", ".x.kaelmund--1-1.tmp", ".x.kaelmund-0-1-1.tmp",
        ".kaelmund-" + std::to_string(gone) + "-1-1.tmp", ".x.kaelmund-" + std::to_string(gone) + "-1.tmp",
        ".x.kaelmund-+5-1-1.tmp", ".x.kaelmund-99999999999999999999-1-1.tmp"};
    for (const std::string &name : players)
        write_file(run.file(name), "the player's");
    // Files of processes that run: this one, and a copy of the program
    // that started when the mark says.
    const std::vector<std::string> live = {temp_by(dir, "default.cfg", me, my_start),
                                           temp_by(dir, "history.log", me, my_start, 2),
                                           temp_by(dir, "old.rpl", 1, process_start_time(1))};
    for (const std::string &s : live)
        write_file(s, "being written");
    // Not regular files, at names of a process that is gone.
    ASSERT_EQ(symlink(outside.file("kept.txt").c_str(), temp_by(dir, "link.pov", gone, 1).c_str()), 0);
    ASSERT_EQ(mkfifo(temp_by(dir, "pipe.cfg", gone, 1).c_str(), 0644), 0);
    ASSERT_EQ(mkdir(temp_by(dir, "folder.rpl", gone, 1).c_str(), 0755), 0);

    std::string err = kxtest::stderr_of([&] { EXPECT_EQ(remove_stale_temp_files(dir.c_str()), 5); });
    EXPECT_NE(err.find(stale[0] + ", left by a save that did not finish"), std::string::npos) << err;
    for (const std::string &s : stale)
        EXPECT_EQ(kind_of(s), "none") << s;
    for (const std::string &name : players)
        EXPECT_EQ(read_file(run.file(name)), "the player's") << name;
    for (const std::string &s : live)
        EXPECT_EQ(read_file(s), "being written") << s;
    EXPECT_EQ(kind_of(temp_by(dir, "link.pov", gone, 1)), "link");
    EXPECT_EQ(kind_of(temp_by(dir, "pipe.cfg", gone, 1)), "fifo");
    EXPECT_EQ(kind_of(temp_by(dir, "folder.rpl", gone, 1)), "dir");
    EXPECT_EQ(read_file(outside.file("kept.txt")), "OUTSIDE\n");
    EXPECT_EQ(remove_stale_temp_files(run.file("missing").c_str()), 0);
}
