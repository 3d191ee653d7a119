// The download worker: one background job, run on a OneShotThread, that
// takes request lines from the download queue (download_queue.h) and
// fetches each player's customisation files over HTTP with libcurl's easy
// interface. A request line holds player names separated by blanks; for
// each name whose text is a safe file name:
//   items.php?username=NAME        -> custom/NAME/item.dat
//   usertextures.php?username=NAME -> a list of "FILE URL" lines; each
//                                     FILE that is a safe name of a .tga
//                                     or .png picture -> custom/NAME/FILE
// and once per request flames.php?username=NAME,NAME... -> data/flames.dat.
// Every file is written beside its place and renamed over it only after a
// complete, successful transfer, so a failed or cut download never replaces
// a good file. The worker tells the main thread through two flags, read and
// cleared by the tick: content done (2 when a file was replaced, else 1)
// and flames cache done. The queue, the run flag and both flags are shared
// only under the download mutex.
#pragma once

class OneShotThread;

enum {
    DOWNLOAD_STOP_WAIT_MS = 5 * 200,            // the worker's time to end at shutdown
    DOWNLOAD_CONNECT_TIMEOUT_MS = 10000,
    // A transfer that stays below DOWNLOAD_LOW_SPEED bytes a second for
    // DOWNLOAD_STALL_SECONDS fails: a server trickling a few bytes a second
    // would otherwise hold the worker for hours.
    DOWNLOAD_LOW_SPEED = 512,
    DOWNLOAD_STALL_SECONDS = 30,
    DOWNLOAD_FILE_MAX = 16 * 1024 * 1024,       // largest file taken
    DOWNLOAD_LIST_MAX = 64 * 1024,              // largest texture list taken
    DOWNLOAD_LIST_FILES = 64,                   // files taken from one texture list
    DOWNLOAD_URL_SIZE = 512,
};

enum { DOWNLOAD_CONTENT_DONE = 1, DOWNLOAD_CONTENT_NEW = 2 };

#define DOWNLOAD_BASE_URL_DEFAULT "http://content.kaelmund.invalid/"

// The address the service paths are appended to (ends with '/'; one is
// added when missing). Takes effect with the next request.
void download_set_base_url(const char *url);
// The low-speed cut: bytes a second and seconds (each at least 1). Takes
// effect with the next transfer.
void download_set_low_speed(long bytes_per_second, long seconds);

// Initialises the HTTP library and starts the worker on thread. 0, or 1
// when it already runs or cannot start.
int download_worker_start(OneShotThread *thread);
// Asks the worker to stop, breaks off a transfer under way, and waits up to
// DOWNLOAD_STOP_WAIT_MS; a worker that has not ended then is reported and
// left to end on its own (the HTTP library is then not released under it).
void download_worker_stop(void);
int download_worker_running(void);

// The flags for the tick: each returns the value and clears it.
int download_take_content_flag(void);
int download_take_flames_flag(void);
