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

#include "app/base/bytes.h"
#include "app/base/text.h"

static void set_error(NetSocket *s, const char *reason)
{
    n_strncpyz(s->error, reason, sizeof s->error);
}

void net_socket_init(NetSocket *s)
{
    s->fd = -1;
    s->connected = 0;
    s->host[0] = '\0';
    s->port = 0;
    s->in_len = 0;
    s->discarding = 0;
    s->out_len = 0;
    s->error[0] = '\0';
    s->received_bytes = 0;
}

int net_socket_is_connected(const NetSocket *s) { return s && s->connected && s->fd >= 0; }
int net_socket_fd(const NetSocket *s) { return s ? s->fd : -1; }

int net_parse_address(const char *text, int default_port, char *host, int host_size, int *port, char *error,
                      int error_size)
{
    char copy[NET_ADDRESS_SIZE];
    if (!text || !text[0]) {
        snprintf(error, (size_t)error_size, "no address");
        return 1;
    }
    if (strlen(text) >= sizeof copy) {
        snprintf(error, (size_t)error_size, "address too long");
        return 1;
    }
    n_strncpyz(copy, text, sizeof copy);
    int p = default_port;
    if (char *colon = strchr(copy, ':')) {
        *colon = '\0';
        char *end = nullptr;
        errno = 0;
        const long v = strtol(colon + 1, &end, 10);
        if (end == colon + 1 || *end != '\0' || errno != 0 || v < 1 || v > 65535) {
            snprintf(error, (size_t)error_size, "bad port");
            return 1;
        }
        p = (int)v;
    }
    struct in_addr a;
    // Only a dotted IPv4 address: a name would need a resolver that can
    // hold the main loop for as long as it likes.
    if (inet_pton(AF_INET, copy, &a) != 1) {
        snprintf(error, (size_t)error_size, "not a dotted IPv4 address");
        return 1;
    }
    n_strncpyz(host, copy, (size_t)host_size);
    *port = p;
    return 0;
}

static void drop_socket(NetSocket *s)
{
    if (s->fd >= 0)
        close(s->fd);
    s->fd = -1;
    s->connected = 0;
    s->in_len = 0;
    s->discarding = 0;
    s->out_len = 0;
}

int net_socket_connect(NetSocket *s, const char *address, int wait_ms)
{
    char host[NET_ADDRESS_SIZE];
    int port = 0;
    if (net_parse_address(address, NET_DEFAULT_PORT, host, sizeof host, &port, s->error, sizeof s->error))
        return 1;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        set_error(s, strerror(errno));
        return 1;
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    struct sockaddr_in sa;
    memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons((uint16_t)port);
    inet_pton(AF_INET, host, &sa.sin_addr);
    int rc = connect(fd, (struct sockaddr *)&sa, sizeof sa);
    if (rc != 0 && errno == EINPROGRESS) {
        struct pollfd pfd = {fd, POLLOUT, 0};
        int ready;
        do {
            ready = poll(&pfd, 1, wait_ms);
        } while (ready < 0 && errno == EINTR);
        if (ready == 0) {
            close(fd);
            set_error(s, "timed out");
            return 1;
        }
        int err = 0;
        socklen_t len = sizeof err;
        if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
            err = errno;
        rc = err == 0 ? 0 : -1;
        errno = err;
    }
    if (rc != 0) {
        set_error(s, strerror(errno));
        close(fd);
        return 1;
    }
    // The old connection ends only once the new one stands.
    if (s->fd >= 0)
        net_socket_disconnect(s);
    s->fd = fd;
    s->connected = 1;
    n_strncpyz(s->host, host, sizeof s->host);
    s->port = port;
    s->in_len = 0;
    s->discarding = 0;
    s->out_len = 0;
    s->error[0] = '\0';
    return 0;
}

int net_socket_flush(NetSocket *s)
{
    if (!net_socket_is_connected(s))
        return -1;
    int sent = 0;
    while (sent < s->out_len) {
        const ssize_t n = send(s->fd, s->out + sent, (size_t)(s->out_len - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += (int)n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        set_error(s, n < 0 ? strerror(errno) : "send failed");
        drop_socket(s);
        return -1;
    }
    memmove(s->out, s->out + sent, (size_t)(s->out_len - sent));
    s->out_len -= sent;
    return 0;
}

int net_socket_send(NetSocket *s, const char *data, int length)
{
    if (!net_socket_is_connected(s) || length < 0)
        return -1;
    if (length > NET_OUT_MAX - s->out_len) {
        // The peer has not read for a long time: it is gone for our purposes.
        set_error(s, "the server does not take what is sent");
        drop_socket(s);
        return -1;
    }
    memcpy(s->out + s->out_len, data, (size_t)length);
    s->out_len += length;
    return net_socket_flush(s);
}

// Reads what the kernel has into the free part of the input buffer.
// 0 when the socket is still good, -1 when the peer closed or it failed.
static int fill(NetSocket *s)
{
    while (s->in_len < (int)sizeof s->in) {
        const ssize_t n = recv(s->fd, s->in + s->in_len, sizeof s->in - (size_t)s->in_len, 0);
        if (n > 0) {
            s->in_len += (int)n;
            s->received_bytes += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return 0;
        set_error(s, n == 0 ? "closed by the server" : strerror(errno));
        return -1;
    }
    return 0;
}

static void consume(NetSocket *s, int n)
{
    memmove(s->in, s->in + n, (size_t)(s->in_len - n));
    s->in_len -= n;
}

// The length of the first message in the buffer (its end included), 0 when
// none is whole.
static int line_end(const NetSocket *s)
{
    const int limit = s->in_len < NET_MESSAGE_MAX ? s->in_len : NET_MESSAGE_MAX;
    for (int i = 0; i < limit; i++)
        if (s->in[i] == '\n' || s->in[i] == '\0')
            return i + 1;
    return 0;
}

// Drops bytes up to and including the next line feed (binary bytes of a
// broken block may hold NULs); 1 when it was found.
static int discard_to_line_end(NetSocket *s)
{
    for (int i = 0; i < s->in_len; i++) {
        if (s->in[i] == '\n') {
            consume(s, i + 1);
            s->discarding = 0;
            return 1;
        }
    }
    s->in_len = 0;
    return 0;
}

// A message the buffer holds whole, or NET_READ_NONE.
static int take_line(NetSocket *s, char *buf, int *length)
{
    for (;;) {
        if (s->discarding && !discard_to_line_end(s))
            return NET_READ_NONE;
        const int n = line_end(s);
        if (n == 0) {
            if (s->in_len >= NET_MESSAGE_MAX) {
                fprintf(stderr, "Server line longer than %d bytes dropped\n", NET_MESSAGE_MAX);
                s->discarding = 1;
                continue;
            }
            return NET_READ_NONE;
        }
        memcpy(buf, s->in, (size_t)n);
        buf[n] = '\0';
        *length = n;
        consume(s, n);
        return NET_READ_MESSAGE;
    }
}

int net_socket_read_message(NetSocket *s, char *buf, int *length)
{
    *length = 0;
    buf[0] = '\0';
    if (!net_socket_is_connected(s))
        return NET_READ_CLOSED;
    if (take_line(s, buf, length) == NET_READ_MESSAGE)
        return NET_READ_MESSAGE;
    // Whatever arrived before the peer closed is still handed out whole; a
    // line cut by the close is not.
    const int failed = fill(s);
    if (take_line(s, buf, length) == NET_READ_MESSAGE)
        return NET_READ_MESSAGE;
    return failed ? NET_READ_CLOSED : NET_READ_NONE;
}

static int take_block(NetSocket *s, char *buf, int *length, int max_words)
{
    if (s->in_len < 4)
        return NET_READ_NONE;
    const int32_t count = (int32_t)le32_at(s->in, (size_t)s->in_len, 0);
    if (count < 1 || count > max_words || count > NET_MESSAGE_MAX / 4) {
        memcpy(buf, s->in, 4);
        *length = 4;
        consume(s, 4);
        // The rest of the block cannot be measured: skip to the next line.
        s->discarding = 1;
        return NET_READ_MESSAGE;
    }
    const int bytes = count * 4;
    if (s->in_len < bytes)
        return NET_READ_NONE;
    memcpy(buf, s->in, (size_t)bytes);
    *length = bytes;
    consume(s, bytes);
    // The line feed that closes a block, when it is there already; one that
    // comes later is an empty line, which readers skip.
    if (s->in_len > 0 && s->in[0] == '\n')
        consume(s, 1);
    return NET_READ_MESSAGE;
}

int net_socket_read_block(NetSocket *s, char *buf, int *length, int max_words)
{
    *length = 0;
    if (!net_socket_is_connected(s))
        return NET_READ_CLOSED;
    if (take_block(s, buf, length, max_words) == NET_READ_MESSAGE)
        return NET_READ_MESSAGE;
    const int failed = fill(s);
    if (take_block(s, buf, length, max_words) == NET_READ_MESSAGE)
        return NET_READ_MESSAGE;
    return failed ? NET_READ_CLOSED : NET_READ_NONE;
}

int net_socket_disconnect(NetSocket *s)
{
    if (!net_socket_is_connected(s)) {
        drop_socket(s);
        return 1;
    }
    static const char quit[] = "QUIT\n";
    // The goodbye goes after anything still queued, as far as the kernel
    // takes it now; the close never waits for the peer.
    if (net_socket_flush(s) == 0)
        send(s->fd, quit, sizeof quit - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    drop_socket(s);
    return 0;
}

int net_socket_close(NetSocket *s) { return net_socket_disconnect(s); }
