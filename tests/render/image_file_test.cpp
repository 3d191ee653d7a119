// Whole-file reads: exact bytes, and failure on what is not a whole
// regular file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "render/image_file.h"
#include "support/test_support.h"

TEST(ImageFile, ReadsTheWholeFileExactlyOrFailsWithAnEmptyBuffer)
{
    kxtest::TempDir dir;
    std::string content("\x89PNG\0\0\x01\xff", 8);
    for (int i = 0; i < 100000; i++)
        content += (char)(i * 7);
    kxtest::write_file(dir.file("a.png"), content);
    kxtest::write_file(dir.file("empty.png"), "");
    std::vector<uint8_t> buf;
    ASSERT_EQ(load_file_to_buffer(buf, dir.file("a.png").c_str()), 0);
    EXPECT_EQ(std::string(buf.begin(), buf.end()), content);
    // A folder opens for reading on Linux but is no file.
    // A FIFO without a writer is refused at once, never waited on.
    const std::string missing = dir.file("missing.png"), empty = dir.file("empty.png"), fifo = dir.file("logo.png");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    for (const char *path : {missing.c_str(), empty.c_str(), dir.path().c_str(), "/dev/null", fifo.c_str(),
                             (const char *)nullptr}) {
        buf.assign(10, 1);
        EXPECT_EQ(load_file_to_buffer(buf, path), 1) << (path ? path : "null");
        EXPECT_TRUE(buf.empty()) << (path ? path : "null");
    }
}

// Files under /sys report a size of a page but deliver a few bytes: a real
// short read of a regular file.
TEST(ImageFile, FailsOnAShortRead)
{
    for (const char *path : {"/sys/kernel/mm/transparent_hugepage/enabled", "/sys/devices/system/cpu/online",
                             "/sys/kernel/profiling", "/sys/power/state"}) {
        struct stat st;
        if (stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0)
            continue;
        std::string content = kxtest::read_file(path);
        if (content.empty() || content.size() >= (size_t)st.st_size)
            continue;
        std::vector<uint8_t> buf(3, 1);
        EXPECT_EQ(load_file_to_buffer(buf, path), 1) << path;
        EXPECT_TRUE(buf.empty());
        return;
    }
    GTEST_SKIP() << "no file here reports more bytes than it delivers";
}
