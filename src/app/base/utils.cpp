#include "app/base/utils.h"

#include "app/base/platform_fs.h"
#include "app/base/temp_names.h"
#include "app/base/text.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// ---- fixed point ----

int32_t double_to_micro(double d)
{
    double v = d * 1000000.0;
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return (int32_t)v;
}

double micro_to_double(int32_t i)
{
    return i * 1e-6;
}

static int micro_block(const int32_t *ints, int n_ints, double *out, int out_cap)
{
    if (!ints || n_ints < 1 || ints[0] < 1)
        return 0;
    int words = ints[0] < n_ints ? ints[0] : n_ints;
    int values = words - 1;
    if (values > out_cap)
        values = out_cap;
    for (int k = 0; k < values; k++)
        out[k] = micro_to_double(ints[k + 1]);
    return values < 0 ? 0 : values;
}

int micro_ints_to_vec3s(const int32_t *ints, int n_ints, double *out, int out_cap)
{
    return micro_block(ints, n_ints, out, out_cap);
}

int micro_ints_to_vec4s(const int32_t *ints, int n_ints, double *out, int out_cap)
{
    return micro_block(ints, n_ints, out, out_cap);
}

int micro_ints_to_body_state(const int32_t *ints, int n_ints, double pos[3], double quat[4], double lin[3],
                             double ang[3])
{
    if (!ints || n_ints < 13)
        return 1;
    for (int k = 0; k < 3; k++) {
        pos[k] = micro_to_double(ints[k]);
        lin[k] = micro_to_double(ints[7 + k]);
        ang[k] = micro_to_double(ints[10 + k]);
    }
    for (int k = 0; k < 4; k++)
        quat[k] = micro_to_double(ints[3 + k]);
    return 0;
}

// ---- files ----

int file_exists(const char *path)
{
    return fs_is_file(path);
}

int is_writable(const char *path)
{
    return fs_is_writable(path);
}

enum { PATH_BUF = 1024 };

void mkdir_each_prefix(const char *path)
{
    char buf[PATH_BUF];
    size_t len = strlen(path);
    if (len >= PATH_BUF) {
        fprintf(stderr, "mkdir_each_prefix: path too long: %s\n", path);
        return;
    }
    for (size_t i = 1; i < len; i++) {
        if (path[i] != '/' || path[i - 1] == '/')
            continue;
        memcpy(buf, path, i);
        buf[i] = '\0';
        fs_mkdir(buf);
    }
}

void ensure_parent_dirs(const char *path)
{
    if (!path || fs_exists(path))
        return;
    const char *slash = strrchr(path, '/');
    if (!slash || slash == path)
        return;
    char parent[PATH_BUF];
    size_t len = (size_t)(slash - path);
    if (len >= PATH_BUF) {
        fprintf(stderr, "ensure_parent_dirs: path too long: %s\n", path);
        return;
    }
    memcpy(parent, path, len);
    parent[len] = '\0';
    if (!fs_exists(parent))
        mkdir_each_prefix(path);
}

static int safe_path_char(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

bool is_safe_path(const char *path, int allow_folders)
{
    if (!path || !*path)
        return false;
    const char *part = path;
    for (const char *p = path;; p++) {
        if (*p == '/' || *p == '\\' || *p == '\0') {
            if (p == part || *part == '.')
                return false;
            if (*p == '\0')
                return true;
            if (!allow_folders)
                return false;
            part = p + 1;
        } else if (!safe_path_char(*p)) {
            return false;
        }
    }
}

// Regular files of this user only: a link, a FIFO, a folder or another
// user's file at a temporary name is never one of our saves.
static bool regular_and_ours(const struct stat &st)
{
    return S_ISREG(st.st_mode) && st.st_uid == geteuid();
}

// Creates tmp new: never an existing file, never through a link.
static int create_new(const char *tmp)
{
    return open(tmp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

FILE *replace_file_open(const char *path)
{
    char tmp[PATH_BUF];
    for (int n = 1; n <= TEMP_NAME_TRIES; n++) {
        if (!temp_name_beside(tmp, sizeof tmp, path, n)) {
            errno = ENAMETOOLONG;
            return nullptr;
        }
        int fd = create_new(tmp);
        if (fd < 0 && errno == EEXIST) {
            // A regular file of ours at this process's own name is another
            // save of the same file still being written; anything else was
            // put there by someone else. Both stay, and the next name is
            // taken.
            struct stat st;
            if (lstat(tmp, &st) != 0 || !regular_and_ours(st))
                fprintf(stderr, "%s is not a regular file of ours: left alone\n", tmp);
            errno = EEXIST;
        }
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return nullptr;
        }
        FILE *f = fdopen(fd, "wb");
        if (!f) {
            const int e = errno;
            close(fd);
            unlink(tmp);
            errno = e;
        }
        return f;
    }
    fprintf(stderr, "%s: every temporary name beside it is taken\n", path);
    errno = EEXIST;
    return nullptr;
}

// The temporary name beside path that holds the open file fd (the same
// file, not merely the same name); 0, or 1 when none does.
static int temp_of(int fd, const char *path, char *tmp, size_t size)
{
    struct stat mine, st;
    if (fd < 0 || fstat(fd, &mine) != 0)
        return 1;
    for (int n = 1; n <= TEMP_NAME_TRIES; n++)
        if (temp_name_beside(tmp, size, path, n) && lstat(tmp, &st) == 0 && st.st_dev == mine.st_dev &&
            st.st_ino == mine.st_ino)
            return 0;
    return 1;
}

// Flushes, syncs and closes the stream; 0 when every step succeeded.
static int flush_sync_close(FILE *f)
{
    int failed = ferror(f);
    failed |= fflush(f) != 0;
    failed |= fsync(fileno(f)) != 0;
    failed |= fclose(f) != 0;
    return failed;
}

int replace_file_commit(FILE *f, const char *path)
{
    char tmp[PATH_BUF];
    if (!f)
        return 1;
    const int lost = temp_of(fileno(f), path, tmp, sizeof tmp);
    const int failed = flush_sync_close(f);
    if (lost)
        return 1;
    if (failed || rename(tmp, path) != 0) {
        unlink(tmp);
        return 1;
    }
    return 0;
}

void replace_file_discard(FILE *f, const char *path)
{
    char tmp[PATH_BUF];
    if (!f)
        return;
    const int lost = temp_of(fileno(f), path, tmp, sizeof tmp);
    fclose(f);
    if (!lost)
        unlink(tmp);
}

// Moves from to to unless to exists (errno EEXIST then). File systems
// without the no-replace rename get a hard link and an unlink; those
// without links a check and a plain rename.
static int move_no_replace(const char *from, const char *to)
{
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return -1;
    if (link(from, to) == 0)
        return unlink(from) == 0 || errno == ENOENT ? 0 : -1;
    if (errno != EPERM && errno != EOPNOTSUPP)
        return -1;
    if (fs_exists(to)) {
        errno = EEXIST;
        return -1;
    }
    return rename(from, to);
}

int counted_name(char *dst, int size, const char *path, int n)
{
    const char *slash = strrchr(path, '/');
    const char *dot = strrchr(slash ? slash + 1 : path, '.');
    if (!dot || dot == (slash ? slash + 1 : path))
        dot = path + strlen(path);
    const int r = snprintf(dst, (size_t)size, "%.*s-%d%s", (int)(dot - path), path, n, dot);
    return r < 0 || r >= size;
}

int new_file_commit(FILE *f, const char *path, char *final_name, int size)
{
    char tmp[PATH_BUF], name[PATH_BUF];
    if (final_name && size > 0)
        final_name[0] = '\0';
    if (!f)
        return 1;
    const int lost = temp_of(fileno(f), path, tmp, sizeof tmp);
    int failed = flush_sync_close(f);
    if (lost)
        return 1;
    for (int n = 1; !failed; n++) {
        if (n > NEW_FILE_MAX_COUNT || (n > 1 && counted_name(name, sizeof name, path, n) != 0)) {
            failed = 1;
            break;
        }
        if (n == 1)
            n_strncpyz(name, path, sizeof name);
        if (move_no_replace(tmp, name) == 0) {
            if (final_name && size > 0)
                n_strncpyz(final_name, name, size);
            return 0;
        }
        if (errno != EEXIST)
            failed = 1;
    }
    unlink(tmp);
    return 1;
}

// Clears O_NONBLOCK again once the open is done: reads and writes of a
// regular file wait as usual.
static void set_blocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

// fd when it is a regular file, else -1 (closed, errno EINVAL).
static int keep_if_regular(int fd)
{
    struct stat st;
    if (fd < 0)
        return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    set_blocking(fd);
    return fd;
}

int open_regular(const char *path)
{
    if (!path) {
        errno = EINVAL;
        return -1;
    }
    // Not blocking in open: a FIFO without a writer would wait forever.
    return keep_if_regular(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

static FILE *stream_of(int fd, const char *mode)
{
    if (fd < 0)
        return nullptr;
    FILE *f = fdopen(fd, mode);
    if (!f)
        close(fd);
    return f;
}

FILE *fopen_regular(const char *path, const char *mode)
{
    if (!mode) {
        errno = EINVAL;
        return nullptr;
    }
    return stream_of(open_regular(path), mode);
}

FILE *fopen_append_regular(const char *path)
{
    if (!path) {
        errno = EINVAL;
        return nullptr;
    }
    // A FIFO without a reader fails at once (ENXIO) instead of waiting.
    const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    return stream_of(keep_if_regular(fd), "a");
}

void append_log_line(const char *path, const char *text)
{
    FILE *f = fopen_append_regular(path);
    if (!f)
        return;
    time_t now = time(nullptr);
    struct tm tm;
    localtime_r(&now, &tm);
    fprintf(f, "%02i-%02i-%i %02i:%02i:%02i %s\n", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour,
            tm.tm_min, tm.tm_sec, text ? text : "");
    fclose(f);
}

// ---- text ----

void sanitize_nick(char *text)
{
    static const char banned[] = "~!./\\*&| +'/:;<>";
    char *out = text;
    for (char *p = text; *p; p++)
        if (!strchr(banned, *p))
            *out++ = *p;
    *out = '\0';
}

void collapse_blanks(char *text)
{
    char *out = text;
    for (char *p = text; *p; p++)
        if (!(*p == ' ' && out > text && out[-1] == ' '))
            *out++ = *p;
    *out = '\0';
}

bool str_cut_tail(char *text, int n)
{
    if (!text || n < 0)
        return false;
    size_t len = strlen(text);
    if (len < (size_t)n)
        return false;
    text[len - (size_t)n] = '\0';
    return true;
}

void str_toupper(char *s)
{
    for (; *s; s++)
        if (*s >= 'a' && *s <= 'z')
            *s = (char)(*s - 'a' + 'A');
}

void str_tolower(char *s)
{
    for (; *s; s++)
        if (*s >= 'A' && *s <= 'Z')
            *s = (char)(*s - 'A' + 'a');
}

const char *split_at_tab(const char *text, char *dst, int dst_size)
{
    const char *tab = strchr(text, '\t');
    size_t len = tab ? (size_t)(tab - text) : strlen(text);
    if (dst_size > 0) {
        if (len > (size_t)dst_size - 1)
            len = (size_t)dst_size - 1;
        memcpy(dst, text, len);
        dst[len] = '\0';
    }
    return tab ? tab + 1 : nullptr;
}

template <typename Unit>
static int find_ascii(const Unit *text, int len, const char *pat)
{
    int pl = (int)strlen(pat);
    for (int i = 0; i + pl <= len; i++) {
        int k = 0;
        while (k < pl && text[i + k] == (Unit)pat[k])
            k++;
        if (k == pl)
            return i;
    }
    return -1;
}

template <typename Unit>
static void url_span(const Unit *text, int len, int *start, int *end)
{
    int s = find_ascii(text, len, "http://");
    if (s < 0)
        s = find_ascii(text, len, "www.");
    *start = s;
    if (s < 0) {
        *end = -1;
        return;
    }
    int e = s;
    while (e < len && text[e] != (Unit)' ')
        e++;
    *end = e - 1;
}

void find_url_span(const wchar16 *text, int *start, int *end)
{
    url_span(text, wstr_len(text), start, end);
}

void find_url_span_narrow(const char *text, int *start, int *end)
{
    url_span(text ? text : "", text ? (int)strlen(text) : 0, start, end);
}

int is_ascii_alnum(unsigned unit)
{
    return (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z') || (unit >= '0' && unit <= '9');
}

int is_power_of_two(long long n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

uint32_t next_power_of_two(int32_t n)
{
    uint32_t p = 1;
    while ((int64_t)p < (int64_t)n)
        p <<= 1;
    return p;
}
