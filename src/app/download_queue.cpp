#include "app/download_queue.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "app/options.h"
#include "app/text.h"

// A ring of request lines; stands in for the shared LineQueue until that is
// in the tree, with the same limits.
struct RequestRing {
    char lines[DOWNLOAD_QUEUE_LINES][DOWNLOAD_LINE_SIZE];
    int count;
    int write_pos;
    int read_pos;
};

static std::mutex g_download_mutex;
static RequestRing g_queue;

void download_enqueue(int kind, const char *line)
{
    (void)kind;
    if (option_get(OPT_AUTOUPDATE) == 0 || !line)
        return;
    // Trim blanks, tabs and line ends at both ends.
    while (*line == ' ' || *line == '\t')
        line++;
    size_t n = strlen(line);
    while (n > 0 && strchr(" \t\r\n", line[n - 1]))
        n--;
    if (n == 0)
        return;
    if (n >= DOWNLOAD_LINE_SIZE) {
        fprintf(stderr, "download request longer than %d characters dropped\n",
                DOWNLOAD_LINE_SIZE - 1);
        return;
    }
    std::lock_guard<std::mutex> lock(g_download_mutex);
    if (g_queue.count >= DOWNLOAD_QUEUE_LINES) {
        fprintf(stderr, "queue full\n");
        return;
    }
    memcpy(g_queue.lines[g_queue.write_pos], line, n);
    g_queue.lines[g_queue.write_pos][n] = '\0';
    g_queue.write_pos = (g_queue.write_pos + 1) % DOWNLOAD_QUEUE_LINES;
    g_queue.count++;
}

int download_dequeue(char *dst, int len)
{
    std::lock_guard<std::mutex> lock(g_download_mutex);
    if (dst && len > 0)
        dst[0] = '\0';
    if (g_queue.count == 0)
        return 1;
    if (dst && len > 0)
        n_strncpyz(dst, g_queue.lines[g_queue.read_pos], len);
    g_queue.lines[g_queue.read_pos][0] = '\0';
    g_queue.read_pos = (g_queue.read_pos + 1) % DOWNLOAD_QUEUE_LINES;
    g_queue.count--;
    return 0;
}

int download_queue_count(void)
{
    std::lock_guard<std::mutex> lock(g_download_mutex);
    return g_queue.count;
}

void download_queue_clear(void)
{
    std::lock_guard<std::mutex> lock(g_download_mutex);
    memset(&g_queue, 0, sizeof g_queue);
}
