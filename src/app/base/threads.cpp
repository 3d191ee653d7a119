#include "app/base/threads.h"

#include "app/base/text.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <system_error>

// ---- WorkerThread ----

// Shared between the object and its thread, so that a thread left running
// after a timed-out stop never uses freed memory.
struct WorkerThread::State {
    std::mutex m;
    std::condition_variable cv;
    bool stop_requested = false;
    bool running = false;
    WorkerFn init, step;
    WorkerTest keep_going;
    uint32_t interval_ms;
};

static void worker_body(std::shared_ptr<WorkerThread::State> st)
{
    if (st->init)
        st->init();
    bool go = !st->keep_going || st->keep_going();
    while (go) {
        if (st->step)
            st->step();
        {
            // The pause ends early on a stop request.
            std::unique_lock<std::mutex> lk(st->m);
            st->cv.wait_for(lk, std::chrono::milliseconds(st->interval_ms), [&] { return st->stop_requested; });
            if (st->stop_requested)
                break;
        }
        go = !st->keep_going || st->keep_going();
    }
    std::lock_guard<std::mutex> lk(st->m);
    st->running = false;
    st->cv.notify_all();
}

WorkerThread::WorkerThread(WorkerFn init, WorkerFn step, WorkerTest keep_going, uint32_t interval_ms)
    : st_(std::make_shared<State>())
{
    st_->init = init;
    st_->step = step;
    st_->keep_going = keep_going;
    st_->interval_ms = interval_ms;
}

WorkerThread::~WorkerThread()
{
    stop();
}

int WorkerThread::start()
{
    {
        std::lock_guard<std::mutex> lk(st_->m);
        if (st_->running)
            return 1;
        // Marked running before the thread exists, so a body that ends at
        // once leaves it at 0; an earlier stop request is forgotten.
        st_->running = true;
        st_->stop_requested = false;
    }
    if (thread_.joinable())
        thread_.join(); // the previous run has ended
    try {
        thread_ = std::thread(worker_body, st_);
    } catch (const std::system_error &) {
        std::lock_guard<std::mutex> lk(st_->m);
        st_->running = false;
        fprintf(stderr, "Failed to create thread\n");
        return 1;
    }
    return 0;
}

int WorkerThread::is_running()
{
    std::lock_guard<std::mutex> lk(st_->m);
    return st_->running;
}

void WorkerThread::stop()
{
    std::unique_lock<std::mutex> lk(st_->m);
    if (st_->running) {
        st_->stop_requested = true;
        st_->cv.notify_all();
        if (!st_->cv.wait_for(lk, std::chrono::milliseconds(STOP_WAIT_MS), [&] { return !st_->running; })) {
            lk.unlock();
            fprintf(stderr, "Worker thread did not stop within %d ms; left running\n", STOP_WAIT_MS);
            thread_.detach();
            return;
        }
    }
    lk.unlock();
    if (thread_.joinable())
        thread_.join();
}

// ---- OneShotThread ----

struct OneShotThread::State {
    std::mutex m;
    std::condition_variable cv;
    bool busy = false;
    OneShotFn fn = nullptr;
    char arg[ONESHOT_ARG_SIZE] = "";
};

static void oneshot_body(std::shared_ptr<OneShotThread::State> st)
{
    // fn and arg are written only while no job runs, before this thread
    // was created.
    st->fn(st->arg);
    std::lock_guard<std::mutex> lk(st->m);
    st->busy = false;
    st->fn = nullptr;
    st->cv.notify_all();
}

OneShotThread::OneShotThread() : st_(std::make_shared<State>()) {}

OneShotThread::~OneShotThread()
{
    stop();
}

int OneShotThread::start(OneShotFn fn, const char *arg)
{
    if (!fn)
        return 1;
    {
        std::lock_guard<std::mutex> lk(st_->m);
        if (st_->busy)
            return 1;
        st_->busy = true;
    }
    if (thread_.joinable())
        thread_.join(); // the previous job has returned
    n_strncpyz(st_->arg, arg ? arg : "", ONESHOT_ARG_SIZE);
    st_->fn = fn;
    try {
        thread_ = std::thread(oneshot_body, st_);
    } catch (const std::system_error &) {
        std::lock_guard<std::mutex> lk(st_->m);
        st_->busy = false;
        st_->fn = nullptr;
        return 1;
    }
    return 0;
}

int OneShotThread::is_running()
{
    std::lock_guard<std::mutex> lk(st_->m);
    return st_->busy;
}

void OneShotThread::stop(int wait_ms)
{
    std::unique_lock<std::mutex> lk(st_->m);
    if (st_->busy &&
        !st_->cv.wait_for(lk, std::chrono::milliseconds(wait_ms), [&] { return !st_->busy; })) {
        lk.unlock();
        fprintf(stderr, "One-shot thread did not end within %d ms; left running\n", wait_ms);
        thread_.detach();
        return;
    }
    lk.unlock();
    if (thread_.joinable())
        thread_.join();
}
