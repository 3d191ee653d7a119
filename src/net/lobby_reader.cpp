#include "net/lobby_reader.h"

#include <cstdio>
#include <mutex>

#include "app/base/clock.h"
#include "app/base/text.h"
#include "game/protocol/command_table.h"
#include "net/line_socket.h"
#include "net/records/server_list.h"

namespace {

// Shared with the main thread: the address, the status and the count.
std::mutex g_lock;
char g_address[64] = "127.0.0.1";
int g_status = LOBBY_IDLE;
int g_lines = 0;

// The reader thread's own, between init and the end of the thread (and
// the main thread's in lobby_reader_close, once the thread has ended).
LineSocket g_socket;
bool g_socket_ready = false;
CommandCursor g_cursor;
uint32_t g_last_heard;

void set_status(int status)
{
    std::lock_guard<std::mutex> lk(g_lock);
    g_status = status;
}

void fail(const char *why)
{
    char address[64];
    lobby_get_address(address, sizeof address);
    fprintf(stderr, "Lobby %s: %s\n", address, why);
    line_socket_close(&g_socket);
    set_status(LOBBY_FAILED);
}

void dispatch(const char *line)
{
    parse_cmd(CMD_SOURCE_LOBBY, line, -1, &g_cursor);
    if (g_cursor.pending) {
        // The lobby sends no binary blocks: the next line is read as a line.
        fprintf(stderr, "Lobby: a line that announces a binary block is not taken\n");
        command_cursor_reset(&g_cursor);
    }
    std::lock_guard<std::mutex> lk(g_lock);
    g_lines++;
}

} // namespace

void lobby_reader_prepare(const char *address)
{
    std::lock_guard<std::mutex> lk(g_lock);
    n_strncpyz(g_address, address ? address : "", sizeof g_address);
    g_status = LOBBY_CONNECTING;
    g_lines = 0;
}

void lobby_get_address(char *out, int size)
{
    std::lock_guard<std::mutex> lk(g_lock);
    n_strncpyz(out, g_address, size);
}

void lobby_reader_init(void)
{
    if (!g_socket_ready) {
        line_socket_init(&g_socket);
        g_socket_ready = true;
    }
    line_socket_close(&g_socket);
    command_cursor_reset(&g_cursor);
    {
        std::lock_guard<std::mutex> lk(g_lock);
        g_lines = 0;
        g_status = LOBBY_CONNECTING;
    }
    // A refresh shows the lobby's list as it is now.
    if (ServerList *list = get_lobby_handler_target())
        list->clear();
    char address[64];
    lobby_get_address(address, sizeof address);
    g_last_heard = clock_ms();
    if (line_socket_begin_connect(&g_socket, address, LOBBY_DEFAULT_PORT) != 0)
        fail(g_socket.error);
}

void lobby_reader_step(void)
{
    const int status = lobby_reader_status();
    if (status == LOBBY_CONNECTING) {
        int r = line_socket_finish_connect(&g_socket, LOBBY_STEP_WAIT_MS);
        if (r < 0) {
            fail(g_socket.error);
        } else if (r == 0) {
            g_last_heard = clock_ms();
            set_status(LOBBY_READING);
        } else if ((int32_t)(clock_ms() - g_last_heard) >= LOBBY_CONNECT_TIMEOUT_MS) {
            fail("no answer to the connect");
        }
        return;
    }
    if (status != LOBBY_READING)
        return;
    char line[LINE_MESSAGE_MAX];
    const int64_t received_before = g_socket.received;
    for (int i = 0; i < LOBBY_LINES_PER_STEP; i++) {
        int r = line_socket_read_line(&g_socket, line, sizeof line, i == 0 ? LOBBY_STEP_WAIT_MS : 0);
        if (r == LINE_READ_LINE) {
            g_last_heard = clock_ms();
            dispatch(line);
            continue;
        }
        if (r == LINE_READ_CLOSED) {
            // The lobby sends its list and closes: the normal end. A read
            // error is a failure.
            if (g_socket.lost) {
                fail(g_socket.error);
                return;
            }
            line_socket_close(&g_socket);
            set_status(LOBBY_DONE);
            return;
        }
        break;
    }
    // Any bytes count as hearing from the lobby (a long line comes in
    // pieces); a peer that stops sending times out even mid-line.
    if (g_socket.received != received_before)
        g_last_heard = clock_ms();
    if ((int32_t)(clock_ms() - g_last_heard) >= LOBBY_SILENCE_MS)
        fail("no line for too long");
}

int lobby_reader_keep_going(void)
{
    const int status = lobby_reader_status();
    return status == LOBBY_CONNECTING || status == LOBBY_READING;
}

void lobby_reader_close(void)
{
    if (g_socket_ready)
        line_socket_close(&g_socket);
}

int lobby_reader_status(void)
{
    std::lock_guard<std::mutex> lk(g_lock);
    return g_status;
}

int lobby_reader_line_count(void)
{
    std::lock_guard<std::mutex> lk(g_lock);
    return g_lines;
}
