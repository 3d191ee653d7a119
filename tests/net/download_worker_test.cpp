// The download worker on its real thread, with libcurl against an HTTP
// server of our own on 127.0.0.1, writing into a temporary folder.
#include <gtest/gtest.h>

#include <chrono>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "app/base/download_queue.h"
#include "app/base/options.h"
#include "app/base/threads.h"
#include "support/loopback_servers.h"
#include "net/download_worker.h"
#include "support/test_support.h"

namespace {

bool exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Names in a folder that end in ".tmp" (left-over partial files).
int temp_files(const std::string &dir)
{
    int n = 0;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d)) {
            std::string name = e->d_name;
            n += name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
        }
        closedir(d);
    }
    return n;
}

struct DownloadFixture : testing::Test {
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd{dir.path()};
    kxtest::LoopbackHttpServer http;
    OneShotThread thread;
    DownloadFixture()
    {
        option_set(OPT_AUTOUPDATE, 1);
        download_queue_clear();
        download_take_content_flag();
        download_take_flames_flag();
        download_set_base_url(http.base_url().c_str());
        mkdir("custom", 0755);
        mkdir("data", 0755);
    }
    ~DownloadFixture() override { download_worker_stop(); }
    // Waits for the worker's content flag; a bound only so that a broken
    // worker fails the test instead of hanging it.
    int wait_for_content()
    {
        for (int i = 0; i < 6000; i++) {
            if (int v = download_take_content_flag())
                return v;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return 0;
    }
    bool requested(const std::string &needle)
    {
        for (const std::string &r : http.requests())
            if (r.find(needle) != std::string::npos)
                return true;
        return false;
    }
};

} // namespace

using DownloadThread = DownloadFixture;

TEST_F(DownloadThread, FilesArriveAndNamesFromTheServerStayInTheirFolder)
{
    mkdir("custom/ann", 0755);
    kxtest::write_file("custom/ann/item.dat", "old items\n");
    const std::string head("TGA\0\x01\x02\xff body", 13);
    http.route("/items.php?username=ann", "items of ann\n");
    http.route("/usertextures.php?username=ann",
               "head.tga /files/head.tga\n../up.tga /files/up\nsub/x.tga /files/x\n.hidden /files/x\n\n"
               "equipment.dat /files/x\nitem.dat /files/x\n"
               "chest.tga " + http.base_url() + "files/chest.tga\nlonely\nfeet.tga file:///etc/passwd\n");
    http.route("/files/head.tga", head);
    http.route("/files/chest.tga", "chest");
    http.route("/files/x", "not for this folder");
    http.route("/files/up", "not for this folder");
    http.route("/flames.php?username=ann,bob", "flames of both\n");

    ASSERT_EQ(download_worker_start(&thread), 0);
    std::string err = kxtest::stderr_of([&] {
        download_enqueue(0, "ann ../etc bob");
        EXPECT_EQ(wait_for_content(), DOWNLOAD_CONTENT_NEW);
    });
    EXPECT_EQ(download_take_flames_flag(), 1);
    EXPECT_EQ(kxtest::read_file("custom/ann/item.dat"), "items of ann\n");
    EXPECT_EQ(kxtest::read_file("custom/ann/head.tga"), head);
    EXPECT_EQ(kxtest::read_file("custom/ann/chest.tga"), "chest");
    EXPECT_EQ(kxtest::read_file("data/flames.dat"), "flames of both\n");
    // Unsafe names were never asked for nor written; bob has no files.
    EXPECT_FALSE(requested("/files/up"));
    EXPECT_FALSE(requested("/files/x"));
    EXPECT_FALSE(requested("username=.."));
    EXPECT_TRUE(requested("/items.php?username=bob"));
    EXPECT_FALSE(exists("custom/up.tga"));
    EXPECT_FALSE(exists("custom/ann/feet.tga"));
    EXPECT_FALSE(exists("custom/bob/item.dat"));
    EXPECT_EQ(temp_files("custom/ann") + temp_files("custom/bob") + temp_files("data"), 0);
    EXPECT_NE(err.find("refused"), std::string::npos);
}

TEST_F(DownloadThread, FailedAndCutDownloadsLeaveTheOldFiles)
{
    mkdir("custom/cat", 0755);
    kxtest::write_file("custom/cat/item.dat", "GOOD ITEMS");
    kxtest::write_file("custom/cat/skin.tga", "GOOD SKIN");
    kxtest::write_file("custom/cat/face.tga", "GOOD FACE");
    kxtest::write_file("data/flames.dat", "GOOD FLAMES");
    kxtest::LoopbackHttpServer::Route missing;
    missing.status = 404;
    missing.body = "no such user";
    http.route("/items.php?username=cat", missing);
    http.route("/usertextures.php?username=cat", "skin.tga /files/skin\nface.tga /files/face\n");
    kxtest::LoopbackHttpServer::Route cut;
    cut.body = std::string(1000, 's');
    cut.cut_after = 100;
    http.route("/files/skin", cut);
    kxtest::LoopbackHttpServer::Route error;
    error.status = 500;
    error.body = "broken";
    http.route("/files/face", error);
    cut.body = "FLAMES THAT NEVER END";
    cut.cut_after = 3;
    http.route("/flames.php?username=cat", cut);

    ASSERT_EQ(download_worker_start(&thread), 0);
    kxtest::stderr_of([&] {
        download_enqueue(0, "cat");
        EXPECT_EQ(wait_for_content(), DOWNLOAD_CONTENT_DONE);
    });
    EXPECT_EQ(download_take_flames_flag(), 0);
    EXPECT_TRUE(requested("/files/skin"));
    EXPECT_EQ(kxtest::read_file("custom/cat/item.dat"), "GOOD ITEMS");
    EXPECT_EQ(kxtest::read_file("custom/cat/skin.tga"), "GOOD SKIN");
    EXPECT_EQ(kxtest::read_file("custom/cat/face.tga"), "GOOD FACE");
    EXPECT_EQ(kxtest::read_file("data/flames.dat"), "GOOD FLAMES");
    EXPECT_EQ(temp_files("custom/cat") + temp_files("data"), 0);
}

TEST_F(DownloadThread, QueueFullAt128WhileBusyAndAStalledTransferEndsAtShutdown)
{
    mkdir("custom/first", 0755);
    kxtest::write_file("custom/first/item.dat", "KEEP");
    kxtest::LoopbackHttpServer::Route stall;
    stall.body = std::string(100, 'n');
    stall.cut_after = 10;
    stall.stall = true;
    http.route("/items.php?username=first", stall);

    ASSERT_EQ(download_worker_start(&thread), 0);
    EXPECT_EQ(download_worker_start(&thread), 1); // already running
    download_enqueue(0, "first");
    for (int i = 0; i < 6000 && !http.stalling(); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(http.stalling());
    // The worker holds "first"; the queue takes 128 more and no further.
    for (int i = 0; i < DOWNLOAD_QUEUE_LINES; i++)
        download_enqueue(0, ("player" + std::to_string(i)).c_str());
    std::string err = kxtest::stderr_of([] { download_enqueue(0, "one_too_many"); });
    EXPECT_EQ(err, "queue full\n");
    EXPECT_EQ(download_queue_count(), DOWNLOAD_QUEUE_LINES);

    kxtest::stderr_of([] { download_worker_stop(); });
    EXPECT_FALSE(thread.is_running());
    EXPECT_FALSE(download_worker_running());
    EXPECT_EQ(kxtest::read_file("custom/first/item.dat"), "KEEP");
    EXPECT_EQ(temp_files("custom/first"), 0);
    EXPECT_FALSE(requested("player0"));

    // The worker starts again after a stop and carries on with the queue.
    download_queue_clear();
    http.route("/items.php?username=again", "again\n");
    ASSERT_EQ(download_worker_start(&thread), 0);
    kxtest::stderr_of([&] {
        download_enqueue(0, "again");
        EXPECT_EQ(wait_for_content(), DOWNLOAD_CONTENT_NEW);
    });
    EXPECT_EQ(kxtest::read_file("custom/again/item.dat"), "again\n");
}

TEST_F(DownloadThread, ATransferThatStaysTooSlowIsCutAndTheOldFileKept)
{
    mkdir("custom/slow", 0755);
    kxtest::write_file("custom/slow/item.dat", "KEEP");
    // Two bytes a second: the whole body would take minutes.
    kxtest::LoopbackHttpServer::Route trickle;
    trickle.body = std::string(400, 't');
    trickle.cut_after = 2;
    trickle.trickle_ms = 500;
    http.route("/items.php?username=slow", trickle);
    http.route("/usertextures.php?username=slow", trickle);
    http.route("/flames.php?username=slow", trickle);
    // Below 100 bytes a second for a second is too slow here.
    download_set_low_speed(100, 1);
    ASSERT_EQ(download_worker_start(&thread), 0);
    std::string err = kxtest::stderr_of([&] {
        download_enqueue(0, "slow");
        EXPECT_EQ(wait_for_content(), DOWNLOAD_CONTENT_DONE);
    });
    download_set_low_speed(DOWNLOAD_LOW_SPEED, DOWNLOAD_STALL_SECONDS);
    EXPECT_NE(err.find("Download of " + http.base_url() + "items.php?username=slow failed"), std::string::npos)
        << err;
    EXPECT_EQ(kxtest::read_file("custom/slow/item.dat"), "KEEP");
    EXPECT_EQ(download_take_flames_flag(), 0);
    EXPECT_EQ(temp_files("custom/slow") + temp_files("data"), 0);
    EXPECT_TRUE(download_worker_running());   // the worker goes on with the next request
}
