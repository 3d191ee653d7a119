// The download request queue: at most 128 request lines of at most 255
// characters, filled by the main thread and emptied by the download worker,
// every access under the download mutex.
#pragma once

#include "app/base/threads.h"

enum { DOWNLOAD_QUEUE_LINES = 128, DOWNLOAD_LINE_SIZE = 256 };

// Queues the trimmed line unless the autoupdate option is 0; "queue full\n"
// on standard error when 128 requests wait. The kind is not used.
void download_enqueue(int kind, const char *line);
// Takes the oldest request: 0 and the line in dst, 1 and "" when none.
int download_dequeue(char *dst, int len);
int download_queue_count(void);
void download_queue_clear(void);
// The download mutex: the worker takes it around its own queue and flag use.
Mutex *download_mutex(void);
