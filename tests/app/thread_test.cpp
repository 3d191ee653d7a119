#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "app/base/line_queue.h"
#include "app/base/threads.h"

// ---- LineQueue ----

TEST(LineQueue, LongLinesAreCutAndResultsAlwaysTerminated)
{
    LineQueue q;
    std::string long_line(300, 'x');
    q.push(long_line.c_str());
    char small[8], buf[400];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(q.pop(buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf), std::string(255, 'x'));
    // A short destination still gets a terminated prefix.
    q.push("abcdefghij");
    memset(small, '#', sizeof small);
    q.pop(small, 4);
    EXPECT_STREQ(small, "abc");
}

// The ring's two positions: a full ring that keeps evicting has its oldest
// line where the next push goes.
TEST(LineQueue, PositionsFollowPushesAndEvictions)
{
    LineQueue q;
    EXPECT_EQ(q.read_pos() + q.write_pos(), 0);
    for (int i = 0; i < 130; i++)
        q.push_evict(std::to_string(i).c_str());
    EXPECT_EQ(q.get_count(), 128);
    EXPECT_EQ(q.write_pos(), 2);
    EXPECT_EQ(q.read_pos(), 2);
    char line[8];
    q.get_from_oldest(line, sizeof line, 0);
    EXPECT_STREQ(line, "2");
    q.pop(line, sizeof line);
    EXPECT_EQ(q.read_pos(), 3);
}

// 100,000 lines from one thread to another under one Mutex (taken twice by
// the producer: its holder may lock again): every line arrives once, in order.
TEST(LineQueue, HundredThousandLinesBetweenTwoThreads)
{
    static LineQueue q;
    q.clear();
    Mutex lock;
    const int total = 100000;
    std::thread producer([&] {
        for (int i = 0; i < total;) {
            lock.lock();
            lock.lock();
            if (q.push(std::to_string(i).c_str()) == 0)
                i++;
            lock.unlock();
            lock.unlock();
            if (i % 64 == 0)
                std::this_thread::yield();
        }
    });
    int expected = 0;
    bool in_order = true;
    char buf[LINE_QUEUE_LINE_SIZE];
    while (expected < total) {
        lock.lock();
        int rc = q.pop(buf, sizeof buf);
        lock.unlock();
        if (rc == 0)
            in_order = atoi(buf) == expected++ && in_order;
        else
            std::this_thread::yield();
    }
    producer.join();
    EXPECT_TRUE(in_order);
    EXPECT_EQ(q.get_count(), 0);
}

// ---- WorkerThread ----

static std::atomic<int> g_inits, g_steps;

static void count_init() { g_inits++; }
static void count_step() { g_steps++; }
static int keep_going() { return 1; }

static bool wait_until(const std::function<bool()> &cond)
{
    for (int i = 0; i < 5000; i++) {
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return cond();
}

// A one-minute pause that stop must wake rather than wait out, and a restart
// after the stop. (Init, then steps until keep-going fails: LobbyThread.*)
TEST(WorkerThread, StopEndsALongPauseAndItStartsAgain)
{
    WorkerThread slow(count_init, count_step, keep_going, 60000);
    ASSERT_EQ(slow.start(), 0);
    EXPECT_TRUE(wait_until([] { return g_steps.load() >= 1; }));
    EXPECT_EQ(slow.start(), 1); // already running
    auto t0 = std::chrono::steady_clock::now();
    slow.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_FALSE(slow.is_running());
    int steps = g_steps.load();
    // Started again after a stop: the old stop request must not end it.
    ASSERT_EQ(slow.start(), 0);
    EXPECT_TRUE(wait_until([&] { return g_steps.load() > steps; }));
    EXPECT_TRUE(slow.is_running());
    EXPECT_EQ(g_inits.load(), 2);
    slow.stop();
    EXPECT_FALSE(slow.is_running());
}

// ---- OneShotThread ----

static std::atomic<int> g_jobs;
static std::atomic<bool> g_release;
static char g_seen_arg[ONESHOT_ARG_SIZE + 8];

static void quick_job(const char *arg)
{
    strncpy(g_seen_arg, arg, sizeof g_seen_arg - 1);
    g_jobs++;
}

static void gated_job(const char *)
{
    while (!g_release.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    g_jobs++;
}

TEST(OneShotThread, BusyRefusesAndEachEndedJobLeavesItIdle)
{
    g_jobs = 0;
    g_release = false;
    OneShotThread t;
    EXPECT_FALSE(t.is_running());
    ASSERT_EQ(t.start(gated_job, "x"), 0);
    EXPECT_TRUE(t.is_running());
    EXPECT_EQ(t.start(quick_job, "y"), 1);
    g_release = true;
    EXPECT_TRUE(wait_until([&] { return !t.is_running(); }));
    // The argument is copied (cut to 255 bytes) before start returns.
    std::string arg(300, 'a');
    ASSERT_EQ(t.start(quick_job, arg.c_str()), 0);
    arg.assign(300, 'b');
    t.stop();
    EXPECT_FALSE(t.is_running());
    EXPECT_EQ(g_jobs.load(), 2);
    EXPECT_EQ(std::string(g_seen_arg), std::string(255, 'a'));
    EXPECT_EQ(t.start(nullptr, "x"), 1);
    // Many very short jobs: however the threads are scheduled, the object
    // must read idle once each job has returned.
    g_jobs = 0;
    for (int i = 0; i < 200; i++) {
        ASSERT_EQ(t.start(quick_job, "q"), 0) << i;
        ASSERT_TRUE(wait_until([&] { return !t.is_running(); })) << i;
    }
    EXPECT_EQ(g_jobs.load(), 200);
}
