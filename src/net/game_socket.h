// The TCP client socket to a game server: an IPv4 dotted address with an
// optional port, a connect that waits a bounded time, sends that never block
// (what the kernel does not take at once waits in an outgoing buffer), and a
// reader that cuts the received bytes into protocol messages.
//
// A message is a text line ended by a line feed (or a NUL, which ends the
// header of a binary block), at most NET_MESSAGE_MAX bytes; or, when the
// caller asks for one, a binary block: a little-endian count word N, N - 1
// further words, and an optional line feed after them. Bytes that arrive in
// pieces wait in the socket until the message is whole; nothing from the
// peer is trusted.
#pragma once
#include <cstdint>

enum {
    NET_MESSAGE_MAX = 4096,           // longest message, its end included
    NET_DEFAULT_PORT = 20184,
    NET_ADDRESS_SIZE = 64,
    NET_OUT_MAX = 16384,              // sends waiting for the kernel
    NET_CONNECT_WAIT_MS = 3000,       // longest wait for a connect
};

// What net_socket_read_message found.
enum NetReadResult {
    NET_READ_NONE = 0,                // nothing whole yet (or a line dropped)
    NET_READ_MESSAGE = 1,             // one message in the caller's buffer
    NET_READ_CLOSED = -1,             // the peer closed or the socket failed
};

struct NetSocket {
    int fd;                           // -1: no socket
    int connected;
    char host[NET_ADDRESS_SIZE];      // dotted address of the last connect
    int port;
    // Received bytes not yet handed out as messages.
    char in[2 * NET_MESSAGE_MAX];
    int in_len;
    int discarding;                   // dropping the rest of an over-long line
    // Sent bytes the kernel has not taken yet.
    char out[NET_OUT_MAX];
    int out_len;
    char error[128];                  // why the last operation failed
    long long received_bytes;         // bytes read since the object was made
};

// A socket object with no socket, not connected.
void net_socket_init(NetSocket *s);
int net_socket_is_connected(const NetSocket *s);

// Reads "a.b.c.d" or "a.b.c.d:port" (port 1..65535, default_port when none
// is given) into host and port. 0 when good; 1 with a reason in error (at
// least 64 bytes) when the text is no such address. Every connection of the
// program (game server, lobby, room links) reads its address here.
int net_parse_address(const char *text, int default_port, char *host, int host_size, int *port, char *error,
                      int error_size);

// Connects to the address text; a connection the object holds is closed
// once the new one stands and kept when it fails. Waits at most wait_ms for
// the peer. 0 when connected; 1 with the reason in s->error.
int net_socket_connect(NetSocket *s, const char *address, int wait_ms);

// Queues bytes and hands the kernel what it takes now. 0 when all were taken
// or queued; -1 when the connection failed or the queue is full (the socket
// is then closed, with the reason in s->error).
int net_socket_send(NetSocket *s, const char *data, int length);
// Hands the kernel queued bytes; the same results as net_socket_send.
int net_socket_flush(NetSocket *s);

// The next whole text message into buf (NUL-terminated; *length gets its
// byte count, the line feed or NUL that ended it included). buf must hold
// NET_MESSAGE_MAX + 1 bytes. A line longer than NET_MESSAGE_MAX is dropped
// with a message on standard error. Reads what the kernel has, never waits.
int net_socket_read_message(NetSocket *s, char *buf, int *length);
// The next whole binary block into buf (the count word first); a count
// outside 1..max_words gives NET_READ_MESSAGE with *length 4 (the count
// alone, for the caller to refuse) and drops the stream up to the next line
// feed.
int net_socket_read_block(NetSocket *s, char *buf, int *length, int max_words);

// When connected, sends "QUIT\n" (as far as the kernel takes it now) and
// closes; always leaves the object not connected. Returns 1 when it was not
// connected.
int net_socket_disconnect(NetSocket *s);
// The same, for the owner that ends the object.
int net_socket_close(NetSocket *s);
// The file descriptor, -1 when none (for waiting on it in tests).
int net_socket_fd(const NetSocket *s);
