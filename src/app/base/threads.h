// The thread types the background jobs are built from: Mutex (one recursive
// lock), WorkerThread (repeats a step at a fixed interval until told to
// stop) and OneShotThread (runs one function on a copied text argument).
// Stopping is cooperative: a stop request plus a wake-up; a thread that does
// not end within STOP_WAIT_MS is reported and left running (never killed),
// and what it uses stays alive. Every finished thread is joined.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

enum { STOP_WAIT_MS = 10000, ONESHOT_ARG_SIZE = 256 };

class Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex &) = delete;
    Mutex &operator=(const Mutex &) = delete;
    void lock() { m_.lock(); }
    void unlock() { m_.unlock(); }

private:
    std::recursive_mutex m_;
};

typedef void (*WorkerFn)(void);
typedef int (*WorkerTest)(void);

class WorkerThread {
public:
    // init runs once, then step and a pause of interval_ms while keep_going
    // returns non-zero (a null keep_going means "until stopped").
    WorkerThread(WorkerFn init, WorkerFn step, WorkerTest keep_going, uint32_t interval_ms);
    ~WorkerThread();
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    // 0, or 1 when already running or the thread cannot be created.
    int start();
    int is_running();
    // Asks the thread to stop and waits for it; nothing when not running.
    void stop();

    struct State;

private:
    std::shared_ptr<State> st_;
    std::thread thread_;
};

typedef void (*OneShotFn)(const char *arg);

class OneShotThread {
public:
    OneShotThread();
    ~OneShotThread();
    OneShotThread(const OneShotThread &) = delete;
    OneShotThread &operator=(const OneShotThread &) = delete;

    // Runs fn on a copy of arg (at most 255 characters) on a new thread.
    // 0, or 1 when a job still runs or the thread cannot be created.
    int start(OneShotFn fn, const char *arg);
    // Whether a job runs; false as soon as the job has returned.
    int is_running();
    // Waits up to wait_ms for a running job to end; a job still running
    // then is reported and left to end on its own.
    void stop(int wait_ms = STOP_WAIT_MS);

    struct State;

private:
    std::shared_ptr<State> st_;
    std::thread thread_;
};
