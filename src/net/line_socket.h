// A TCP client socket that reads the protocol's text lines: IPv4 dotted
// addresses with an optional port, a connect that never blocks its caller
// longer than it asks, and a bounded line reader. Everything a server sends
// is untrusted: a message is at most LINE_MESSAGE_MAX bytes with its line
// end, a longer line is dropped whole, a line that arrives in pieces is put
// together, and a line cut off by the peer closing is dropped.
// One socket belongs to one thread at a time.
#pragma once
#include <cstdint>

enum {
    LINE_MESSAGE_MAX = 4096,     // bytes of one message, its line end included
    LINE_SOCKET_ERROR_SIZE = 160,
};

enum LineSocketState {
    LINE_SOCKET_CLOSED = 0,
    LINE_SOCKET_CONNECTING = 1,
    LINE_SOCKET_OPEN = 2,
};

// What line_socket_read_line found.
enum LineReadResult {
    LINE_READ_CLOSED = -1,       // the peer closed or the connection failed
    LINE_READ_NONE = 0,          // no complete line yet
    LINE_READ_LINE = 1,          // one line in the caller's buffer
};

struct LineSocket {
    int fd;
    int32_t state;               // LineSocketState
    int32_t used;                // bytes held in buf
    int32_t skipping;            // dropping the rest of an overlong line
    int32_t dropped;             // overlong lines dropped since the connect
    int64_t received;            // bytes received since the connect
    int32_t lost;                // the last close was a read error
    char buf[LINE_MESSAGE_MAX];
    char error[LINE_SOCKET_ERROR_SIZE];  // why the last connect or read failed
};

void line_socket_init(LineSocket *s);
// Starts connecting to address (see net_parse_address); nothing waits.
// 0 when under way (state CONNECTING, or OPEN at once), 1 when the address
// is bad or the connect was refused at once (the reason in s->error).
int line_socket_begin_connect(LineSocket *s, const char *address, int default_port);
// Waits at most wait_ms (0: only looks) for a connect under way to end:
// 0 when open, 1 while still connecting, -1 when it failed (the socket is
// then closed and the reason in s->error).
int line_socket_finish_connect(LineSocket *s, int wait_ms);
// Takes one complete line (without CR/LF) into out (size bytes, at least
// LINE_MESSAGE_MAX to hold any line; a longer one is cut). When none is
// buffered it waits at most wait_ms for bytes and reads once.
// LINE_READ_CLOSED comes only after every complete line has been taken.
int line_socket_read_line(LineSocket *s, char *out, int size, int wait_ms);
// Sends all of text. 0, or -1 when the socket is not open or the send
// failed (the socket is then closed).
int line_socket_send(LineSocket *s, const char *text);
// Closes the socket and forgets buffered bytes; nothing when closed.
void line_socket_close(LineSocket *s);
