#include "app/lobby_thread.h"

#include <cstdio>

#include "app/base/threads.h"
#include "net/lobby_reader.h"

static WorkerThread *g_lobby_thread;

void create_lobby_thread(void)
{
    if (g_lobby_thread)
        delete_lobby_thread();
    g_lobby_thread = new WorkerThread(lobby_reader_init, lobby_reader_step, lobby_reader_keep_going, 1);
}

int delete_lobby_thread(void)
{
    if (!g_lobby_thread)
        return 1;
    g_lobby_thread->stop();
    if (g_lobby_thread->is_running()) {
        // Left running: the object and its connection stay with it.
        fprintf(stderr, "Lobby reader left running\n");
        g_lobby_thread = nullptr;
        return 0;
    }
    delete g_lobby_thread;
    g_lobby_thread = nullptr;
    lobby_reader_close();
    return 1;
}

WorkerThread *get_lobby_thread(void) { return g_lobby_thread; }

int lobby_refresh(const char *address)
{
    if (!g_lobby_thread)
        return 1;
    g_lobby_thread->stop();
    if (g_lobby_thread->is_running())
        return 1;
    lobby_reader_close();
    lobby_reader_prepare(address);
    return g_lobby_thread->start();
}
