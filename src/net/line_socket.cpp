#include "net/line_socket.h"
#include "net/game_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// A send that cannot go out within this time gives up: a peer that stops
// reading never holds the caller.
enum { SEND_WAIT_MS = 1000 };

void line_socket_init(LineSocket *s)
{
    s->fd = -1;
    s->state = LINE_SOCKET_CLOSED;
    s->used = 0;
    s->skipping = 0;
    s->dropped = 0;
    s->received = 0;
    s->lost = 0;
    s->buf[0] = '\0';
    s->error[0] = '\0';
}

static void set_error(LineSocket *s, const char *what, int err)
{
    snprintf(s->error, sizeof s->error, "%s%s%s", what, err ? ": " : "", err ? strerror(err) : "");
}

int line_socket_begin_connect(LineSocket *s, const char *address, int default_port)
{
    line_socket_close(s);
    s->dropped = 0;
    s->received = 0;
    s->lost = 0;
    char host[16];
    int port = 0;
    char why[64];
    if (net_parse_address(address, default_port, host, sizeof host, &port, why, sizeof why) != 0) {
        set_error(s, "not an IPv4 address with an optional port", 0);
        return 1;
    }
    sockaddr_in sa;
    memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons((uint16_t)port);
    inet_pton(AF_INET, host, &sa.sin_addr);

    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        set_error(s, "no socket", errno);
        return 1;
    }
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    s->fd = fd;
    if (connect(fd, (const sockaddr *)&sa, sizeof sa) == 0) {
        s->state = LINE_SOCKET_OPEN;
        return 0;
    }
    if (errno != EINPROGRESS) {
        set_error(s, "connect failed", errno);
        line_socket_close(s);
        return 1;
    }
    s->state = LINE_SOCKET_CONNECTING;
    return 0;
}

int line_socket_finish_connect(LineSocket *s, int wait_ms)
{
    if (s->state == LINE_SOCKET_OPEN)
        return 0;
    if (s->state != LINE_SOCKET_CONNECTING)
        return -1;
    pollfd p = {s->fd, POLLOUT, 0};
    int n = poll(&p, 1, wait_ms < 0 ? 0 : wait_ms);
    if (n == 0 || (n < 0 && errno == EINTR))
        return 1;
    int err = 0;
    socklen_t len = sizeof err;
    if (n < 0 || getsockopt(s->fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
        set_error(s, "connect failed", n < 0 ? errno : err ? err : ECONNREFUSED);
        line_socket_close(s);
        return -1;
    }
    s->state = LINE_SOCKET_OPEN;
    return 0;
}

// Moves the first complete line out of the buffer; 1 when there was one.
// While an overlong line is being dropped, its bytes go without a word.
static int take_buffered_line(LineSocket *s, char *out, int size)
{
    for (;;) {
        char *nl = (char *)memchr(s->buf, '\n', (size_t)s->used);
        if (!nl)
            return 0;
        int len = (int)(nl - s->buf);
        int rest = s->used - len - 1;
        int was_skipping = s->skipping;
        if (!was_skipping && out && size > 0) {
            int n = len;
            if (n > 0 && s->buf[n - 1] == '\r')
                n--;
            if (n > size - 1)
                n = size - 1;
            memcpy(out, s->buf, (size_t)n);
            out[n] = '\0';
        }
        memmove(s->buf, nl + 1, (size_t)rest);
        s->used = rest;
        s->skipping = 0;
        if (!was_skipping)
            return 1;
    }
}

int line_socket_read_line(LineSocket *s, char *out, int size, int wait_ms)
{
    if (out && size > 0)
        out[0] = '\0';
    if (take_buffered_line(s, out, size))
        return LINE_READ_LINE;
    if (s->state != LINE_SOCKET_OPEN)
        return s->state == LINE_SOCKET_CONNECTING ? LINE_READ_NONE : LINE_READ_CLOSED;
    if (wait_ms > 0) {
        pollfd p = {s->fd, POLLIN, 0};
        int n = poll(&p, 1, wait_ms);
        if (n == 0 || (n < 0 && errno == EINTR))
            return LINE_READ_NONE;
    }
    ssize_t got = recv(s->fd, s->buf + s->used, (size_t)(LINE_MESSAGE_MAX - s->used), MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return LINE_READ_NONE;
    if (got <= 0) {
        if (got < 0)
            set_error(s, "connection lost", errno);
        else
            set_error(s, "connection closed by the server", 0);
        // A read error is a lost connection; the peer closing (even inside
        // a line, whose part is dropped) is its ordinary end.
        s->lost = got < 0;
        if (s->used > 0 && !s->skipping)
            fprintf(stderr, "Server closed the connection in the middle of a line; the part line is dropped\n");
        line_socket_close(s);
        return LINE_READ_CLOSED;
    }
    s->used += (int)got;
    s->received += got;
    if (take_buffered_line(s, out, size))
        return LINE_READ_LINE;
    if (s->skipping) {
        // Still inside an overlong line: keep nothing of it.
        s->used = 0;
    } else if (s->used >= LINE_MESSAGE_MAX) {
        // A full buffer without a line end: the line is longer than any
        // message may be. Drop it up to its end.
        fprintf(stderr, "Dropped a server line longer than %d bytes\n", LINE_MESSAGE_MAX - 1);
        s->used = 0;
        s->skipping = 1;
        s->dropped++;
    }
    return LINE_READ_NONE;
}

int line_socket_send(LineSocket *s, const char *text)
{
    if (s->state != LINE_SOCKET_OPEN || !text)
        return -1;
    size_t left = strlen(text);
    while (left > 0) {
        ssize_t n = send(s->fd, text, left, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            text += n;
            left -= (size_t)n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p = {s->fd, POLLOUT, 0};
            if (poll(&p, 1, SEND_WAIT_MS) > 0)
                continue;
            set_error(s, "send timed out", 0);
        } else {
            set_error(s, "send failed", n < 0 ? errno : 0);
        }
        line_socket_close(s);
        return -1;
    }
    return 0;
}

void line_socket_close(LineSocket *s)
{
    if (s->fd >= 0)
        close(s->fd);
    s->fd = -1;
    s->state = LINE_SOCKET_CLOSED;
    s->used = 0;
    s->skipping = 0;
}
