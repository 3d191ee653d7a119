// The file helpers every save goes through, against what a hostile player
// can leave in the run folder: FIFOs, links (to files outside, dangling, to
// devices), folders and stale files at the temporary names, and FIFOs and
// links where a reader or an appender expects a file.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/base/utils.h"
#include "support/test_support.h"

namespace {

using kxtest::kind_of;
using kxtest::read_file;
using kxtest::write_file;

struct Hostile {
    const char *name;
    // Puts the thing at path; outside is a folder beyond the run folder.
    std::function<void(const std::string &path, const std::string &outside)> make;
    bool stays;     // still there after the save (else removed as stale)
};

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
    {"stale file of ours", [](const std::string &p, const std::string &) { write_file(p, "half a save"); }, false},
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
            h.make(path + ".tmp", outside.path());

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
            EXPECT_EQ(kind_of(path + ".tmp-2"), "none");
            check_outside(outside.path());
            if (h.stays) {
                EXPECT_NE(kind_of(path + ".tmp"), "none");
                EXPECT_NE(err.find(path + ".tmp is not a regular file of ours: left alone\n"), std::string::npos)
                    << err;
            } else {
                EXPECT_EQ(kind_of(path + ".tmp"), "none");
                EXPECT_EQ(err, "");
            }
        }
    }
}

TEST(SaveFiles, AGivenUpSaveRemovesOnlyItsOwnTemporaryFile)
{
    kxtest::TempDir run;
    const std::string path = run.file("x.rpl");
    ASSERT_EQ(mkfifo((path + ".tmp").c_str(), 0644), 0);
    std::string err = kxtest::stderr_of([&] {
        FILE *f = replace_file_open(path.c_str());
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(kind_of(path + ".tmp-2"), "file");
        replace_file_discard(f, path.c_str());
    });
    EXPECT_EQ(kind_of(path + ".tmp"), "fifo");
    EXPECT_EQ(kind_of(path + ".tmp-2"), "none");
    EXPECT_EQ(kind_of(path), "none");

    // The temporary file swapped for another under the save: the stranger
    // is neither renamed into place nor removed.
    FILE *f = replace_file_open(path.c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(unlink((path + ".tmp-2").c_str()), 0);
    write_file(path + ".tmp-2", "not ours");
    EXPECT_EQ(replace_file_commit(f, path.c_str()), 1);
    EXPECT_EQ(kind_of(path), "none");
    EXPECT_EQ(read_file(path + ".tmp-2"), "not ours");
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

TEST(SaveFiles, StaleTemporaryFilesOfOursAreRemovedAndNothingElse)
{
    kxtest::TempDir run, outside;
    write_file(outside.file("kept.txt"), "OUTSIDE\n");
    const std::string big(1 << 20, 'p');
    for (const char *name : {"animation.pov.tmp", "x.rpl.tmp-3", "default.cfg.tmp", "a.b.c.tmp-8"})
        write_file(run.file(name), big);
    // The player's own files, and what is not a regular file of ours.
    for (const char *name : {"notes.tmp", "x.rpl.tmp-9", "x.rpl.tmp-1", "x.rpl.tmp-", "x.rpl.tmp-2a", ".hidden.cfg.tmp",
                             "x.rpl", "x.tmp.txt", "x.rpl.tmpx"})
        write_file(run.file(name), "the player's");
    ASSERT_EQ(symlink(outside.file("kept.txt").c_str(), run.file("link.pov.tmp").c_str()), 0);
    ASSERT_EQ(mkfifo(run.file("pipe.cfg.tmp").c_str(), 0644), 0);
    ASSERT_EQ(mkdir(run.file("folder.rpl.tmp").c_str(), 0755), 0);

    std::string err = kxtest::stderr_of([&] { EXPECT_EQ(remove_stale_temp_files(run.path().c_str()), 4); });
    EXPECT_NE(err.find(run.file("animation.pov.tmp") + ", left by a save that did not finish"), std::string::npos)
        << err;
    for (const char *name : {"animation.pov.tmp", "x.rpl.tmp-3", "default.cfg.tmp", "a.b.c.tmp-8"})
        EXPECT_EQ(kind_of(run.file(name)), "none") << name;
    for (const char *name : {"notes.tmp", "x.rpl.tmp-9", "x.rpl.tmp-1", "x.rpl.tmp-", "x.rpl.tmp-2a", ".hidden.cfg.tmp",
                             "x.rpl", "x.tmp.txt", "x.rpl.tmpx"})
        EXPECT_EQ(read_file(run.file(name)), "the player's") << name;
    EXPECT_EQ(kind_of(run.file("link.pov.tmp")), "link");
    EXPECT_EQ(kind_of(run.file("pipe.cfg.tmp")), "fifo");
    EXPECT_EQ(kind_of(run.file("folder.rpl.tmp")), "dir");
    EXPECT_EQ(read_file(outside.file("kept.txt")), "OUTSIDE\n");
    EXPECT_EQ(remove_stale_temp_files(run.file("missing").c_str()), 0);
}
