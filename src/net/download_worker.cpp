#include "net/download_worker.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include <curl/curl.h>

#include "app/base/data_dirs.h"
#include "app/base/download_queue.h"
#include "app/base/text.h"
#include "app/base/threads.h"
#include "app/base/utils.h"
#include "net/records/wire_text.h"

namespace {

// Under the download mutex: the run flag, the two flags for the tick and
// the base address.
int g_run = 0;
int g_content_flag = 0;
int g_flames_flag = 0;
char g_base_url[DOWNLOAD_URL_SIZE] = DOWNLOAD_BASE_URL_DEFAULT;
long g_low_speed = DOWNLOAD_LOW_SPEED;
long g_low_speed_seconds = DOWNLOAD_STALL_SECONDS;

OneShotThread *g_thread = nullptr;     // main thread only
bool g_curl_ready = false;             // main thread only

// The worker sleeps on this while the queue is empty; stop wakes it.
std::mutex g_wake_lock;
std::condition_variable g_wake;

// The socket of the transfer under way, so that stop can shut it down and
// wake a transfer that waits on a silent server.
std::mutex g_socket_lock;
curl_socket_t g_active_socket = CURL_SOCKET_BAD;

struct DownloadLock {
    DownloadLock() { download_mutex()->lock(); }
    ~DownloadLock() { download_mutex()->unlock(); }
};

int running(void)
{
    DownloadLock lock;
    return g_run;
}

// ---- one transfer ----

struct Sink {
    FILE *file;                 // written to a file, or
    std::string *text;          // kept in memory
    size_t size;
    size_t max;
};

size_t on_data(char *data, size_t size, size_t count, void *user)
{
    Sink *sink = (Sink *)user;
    const size_t n = size * count;
    if (n > sink->max - sink->size)
        return 0; // larger than allowed: the transfer fails
    if (sink->file && fwrite(data, 1, n, sink->file) != n)
        return 0;
    if (sink->text)
        sink->text->append(data, n);
    sink->size += n;
    return n;
}

int on_progress(void *, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return running() ? 0 : 1; // non-zero breaks the transfer off
}

curl_socket_t on_open_socket(void *, curlsocktype, struct curl_sockaddr *a)
{
    curl_socket_t fd = socket(a->family, a->socktype | SOCK_CLOEXEC, a->protocol);
    std::lock_guard<std::mutex> lk(g_socket_lock);
    g_active_socket = fd;
    return fd;
}

int on_close_socket(void *, curl_socket_t fd)
{
    std::lock_guard<std::mutex> lk(g_socket_lock);
    if (g_active_socket == fd)
        g_active_socket = CURL_SOCKET_BAD;
    return close(fd);
}

// 0 when the whole body of a 200 answer arrived into sink.
int fetch(CURL *curl, const char *url, Sink *sink)
{
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_URL, url);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, (long)DOWNLOAD_CONNECT_TIMEOUT_MS);
    long low_speed, low_speed_seconds;
    {
        DownloadLock lock;
        low_speed = g_low_speed;
        low_speed_seconds = g_low_speed_seconds;
    }
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, low_speed);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, low_speed_seconds);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, (curl_off_t)sink->max);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Kaelmund");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, on_data);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, sink);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, on_progress);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, on_open_socket);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, on_close_socket);
    // A connection is never kept for the next transfer: stop finds at most
    // one socket to shut down, and it belongs to the transfer under way.
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (rc != CURLE_OK) {
        fprintf(stderr, "Download of %s failed: %s\n", url, curl_easy_strerror(rc));
        return 1;
    }
    if (status != 200) {
        fprintf(stderr, "Download of %s failed: HTTP status %ld\n", url, status);
        return 1;
    }
    return 0;
}

// Fetches url into the file at path, replacing it only when the transfer
// was complete. 0 when replaced.
int fetch_to_file(CURL *curl, const char *url, const char *path)
{
    const char *full = data_path(path);
    mkdir_each_prefix(full);
    FILE *f = replace_file_open(full);
    if (!f) {
        fprintf(stderr, "Download: cannot write beside %s\n", full);
        return 1;
    }
    Sink sink = {f, nullptr, 0, DOWNLOAD_FILE_MAX};
    if (fetch(curl, url, &sink) != 0) {
        replace_file_discard(f, full);
        return 1;
    }
    if (replace_file_commit(f, full) != 0) {
        fprintf(stderr, "Download: could not store %s\n", full);
        return 1;
    }
    return 0;
}

std::string base_url(void)
{
    DownloadLock lock;
    return g_base_url;
}

// A texture list names pictures only: nothing else in the player's folder
// (the equipment file, the items) can be overwritten through it.
bool is_texture_name(const char *file)
{
    size_t n = strlen(file);
    return n > 4 && (strcasecmp(file + n - 4, ".tga") == 0 || strcasecmp(file + n - 4, ".png") == 0);
}

// The files of one texture list: "FILE URL" lines; a URL that does not
// start with http:// or https:// is taken relative to the base address.
int fetch_texture_list(CURL *curl, const std::string &base, const char *name, const std::string &list)
{
    int replaced = 0, taken = 0;
    size_t pos = 0;
    while (pos < list.size() && running()) {
        size_t end = list.find('\n', pos);
        if (end == std::string::npos)
            end = list.size();
        std::string line = list.substr(pos, end - pos);
        pos = end + 1;
        char file[128], url[DOWNLOAD_URL_SIZE];
        const char *rest = wire_read_word(line.c_str(), file, sizeof file);
        if (!rest)
            continue; // empty line
        if (!wire_read_word(rest, url, sizeof url) || strlen(url) >= sizeof url - 1) {
            fprintf(stderr, "Download: texture list line without a usable address dropped\n");
            continue;
        }
        if (!is_safe_path(file, 0) || strlen(file) >= sizeof file - 1 || !is_texture_name(file)) {
            fprintf(stderr, "Download: file name %s in the texture list of %s refused\n", file, name);
            continue;
        }
        if (++taken > DOWNLOAD_LIST_FILES) {
            fprintf(stderr, "Download: texture list of %s holds more than %d files; the rest is dropped\n", name,
                    DOWNLOAD_LIST_FILES);
            break;
        }
        std::string target = url;
        if (strncmp(url, "http://", 7) != 0 && strncmp(url, "https://", 8) != 0)
            target = base + (url[0] == '/' ? url + 1 : url);
        std::string path = std::string("custom/") + name + "/" + file;
        if (fetch_to_file(curl, target.c_str(), path.c_str()) == 0)
            replaced++;
    }
    return replaced;
}

// One request line; returns the number of files replaced.
int run_request(CURL *curl, const char *line)
{
    const std::string base = base_url();
    std::string names;
    int replaced = 0;
    const char *p = line;
    char name[64];
    while ((p = wire_read_word(p, name, sizeof name)) != nullptr && running()) {
        if (!is_safe_path(name, 0) || strlen(name) >= sizeof name - 1) {
            fprintf(stderr, "Download: player name %s refused (not a safe file name)\n", name);
            continue;
        }
        std::string folder = std::string("custom/") + name;
        if (fetch_to_file(curl, (base + "items.php?username=" + name).c_str(), (folder + "/item.dat").c_str()) == 0)
            replaced++;
        std::string list;
        Sink sink = {nullptr, &list, 0, DOWNLOAD_LIST_MAX};
        if (fetch(curl, (base + "usertextures.php?username=" + name).c_str(), &sink) == 0)
            replaced += fetch_texture_list(curl, base, name, list);
        names += names.empty() ? "" : ",";
        names += name;
    }
    if (!names.empty() && running() &&
        fetch_to_file(curl, (base + "flames.php?username=" + names).c_str(), "data/flames.dat") == 0) {
        replaced++;
        DownloadLock lock;
        g_flames_flag = 1;
    }
    return replaced;
}

// The job on the worker thread: requests one after another until stopped.
void worker_main(const char *)
{
    CURL *curl = curl_easy_init();
    if (!curl)
        fprintf(stderr, "Download: the HTTP library did not start; requests are dropped\n");
    char line[DOWNLOAD_LINE_SIZE];
    while (running()) {
        if (download_dequeue(line, sizeof line) != 0) {
            std::unique_lock<std::mutex> lk(g_wake_lock);
            g_wake.wait_for(lk, std::chrono::milliseconds(50), [] { return !running(); });
            continue;
        }
        if (!curl)
            continue;
        int replaced = run_request(curl, line);
        DownloadLock lock;
        if (!g_run)
            break; // broken off by stop: nothing to report
        if (replaced > 0)
            g_content_flag = DOWNLOAD_CONTENT_NEW;
        else if (g_content_flag == 0)
            g_content_flag = DOWNLOAD_CONTENT_DONE;
    }
    if (curl)
        curl_easy_cleanup(curl);
}

} // namespace

void download_set_base_url(const char *url)
{
    DownloadLock lock;
    n_strncpyz(g_base_url, url ? url : "", sizeof g_base_url - 1);
    size_t n = strlen(g_base_url);
    if (n > 0 && g_base_url[n - 1] != '/') {
        g_base_url[n] = '/';
        g_base_url[n + 1] = '\0';
    }
}

void download_set_low_speed(long bytes_per_second, long seconds)
{
    DownloadLock lock;
    g_low_speed = bytes_per_second < 1 ? 1 : bytes_per_second;
    g_low_speed_seconds = seconds < 1 ? 1 : seconds;
}

int download_worker_start(OneShotThread *thread)
{
    if (!thread || g_thread)
        return 1;
    if (!g_curl_ready) {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            fprintf(stderr, "Download: the HTTP library did not start\n");
            return 1;
        }
        g_curl_ready = true;
    }
    {
        DownloadLock lock;
        g_run = 1;
    }
    if (thread->start(worker_main, "") != 0) {
        DownloadLock lock;
        g_run = 0;
        fprintf(stderr, "Download: the worker thread did not start\n");
        return 1;
    }
    g_thread = thread;
    return 0;
}

void download_worker_stop(void)
{
    {
        DownloadLock lock;
        g_run = 0;
    }
    {
        std::lock_guard<std::mutex> lk(g_socket_lock);
        if (g_active_socket != CURL_SOCKET_BAD)
            shutdown(g_active_socket, SHUT_RDWR);
    }
    {
        std::lock_guard<std::mutex> lk(g_wake_lock);
        g_wake.notify_all();
    }
    bool ended = true;
    if (g_thread) {
        g_thread->stop(DOWNLOAD_STOP_WAIT_MS);
        ended = !g_thread->is_running();
        g_thread = nullptr;
    }
    if (!ended) {
        fprintf(stderr, "Download worker did not stop within %d ms; left to end on its own\n",
                DOWNLOAD_STOP_WAIT_MS);
        return;
    }
    if (g_curl_ready) {
        curl_global_cleanup();
        g_curl_ready = false;
    }
}

int download_worker_running(void)
{
    return g_thread && g_thread->is_running();
}

int download_take_content_flag(void)
{
    DownloadLock lock;
    int v = g_content_flag;
    g_content_flag = 0;
    return v;
}

int download_take_flames_flag(void)
{
    DownloadLock lock;
    int v = g_flames_flag;
    g_flames_flag = 0;
    return v;
}
