// The lobby reader's thread: made at start-up (not started), started for
// each refresh of the room list, stopped and deleted at shutdown.
#pragma once

class WorkerThread;

// Deletes the thread when there is one and makes a new one, not started,
// with the lobby reader's functions and a 1 ms interval.
void create_lobby_thread(void);
// Stops and deletes the thread and closes the lobby connection. Returns 1
// when the thread ended, 0 when it did not stop in time and was left
// running: what it uses (the room list) must then stay alive.
int delete_lobby_thread(void);
WorkerThread *get_lobby_thread(void);
// Refreshes the room list from the lobby at address: a reader still
// running is stopped first. 0, or 1 when the thread cannot start.
int lobby_refresh(const char *address);
