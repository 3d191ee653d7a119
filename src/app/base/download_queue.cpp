#include "app/base/download_queue.h"

#include <cstdio>
#include <cstring>

#include "app/base/line_queue.h"
#include "app/base/options.h"
#include "app/base/text.h"

static Mutex g_download_mutex;
static LineQueue g_queue;

Mutex *download_mutex(void) { return &g_download_mutex; }

void download_enqueue(int kind, const char *line)
{
    (void)kind;
    if (option_get(OPT_AUTOUPDATE) == 0 || !line)
        return;
    char text[DOWNLOAD_LINE_SIZE];
    size_t n = strlen(line);
    // A request cut to fit would ask for something else: refuse it whole.
    while (n > 0 && strchr(" \t\r\n", line[n - 1]))
        n--;
    while (n > 0 && (*line == ' ' || *line == '\t')) {
        line++;
        n--;
    }
    if (n == 0)
        return;
    if (n >= sizeof text) {
        fprintf(stderr, "download request longer than %d characters dropped\n",
                DOWNLOAD_LINE_SIZE - 1);
        return;
    }
    memcpy(text, line, n);
    text[n] = '\0';
    g_download_mutex.lock();
    int full = g_queue.push(text);
    g_download_mutex.unlock();
    if (full)
        fprintf(stderr, "queue full\n");
}

int download_dequeue(char *dst, int len)
{
    char line[DOWNLOAD_LINE_SIZE];
    g_download_mutex.lock();
    int empty = g_queue.pop(line, sizeof line);
    g_download_mutex.unlock();
    if (dst && len > 0)
        n_strncpyz(dst, empty ? "" : line, len);
    return empty;
}

int download_queue_count(void)
{
    g_download_mutex.lock();
    int n = g_queue.get_count();
    g_download_mutex.unlock();
    return n;
}

void download_queue_clear(void)
{
    g_download_mutex.lock();
    g_queue.clear();
    g_download_mutex.unlock();
}
