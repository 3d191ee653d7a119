#include "net/game_connection.h"

#include <cstdio>
#include <cstring>

#include "app/base/clock.h"
#include "app/base/message_type.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "game/game_callbacks.h"
#include "game/game_resets.h"
#include "game/game_state.h"
#include "game/match_end.h"
#include "game/match_rules.h"
#include "game/protocol/command_table.h"
#include "game/received_state.h"
#include "game/turn_control.h"

static const char k_lost_contact[] = "Disconnected. Lost contact with server";

// The socket object, made without a socket at start.
static NetSocket &game_socket(void)
{
    static NetSocket s;
    static bool made;
    if (!made) {
        net_socket_init(&s);
        made = true;
    }
    return s;
}
static CommandCursor g_cursor = {0, -1, 0};
static unsigned g_poll_calls;
static uint32_t g_last_ping;
static uint32_t g_last_heard;
static long long g_heard_bytes;
static uint32_t g_wait_start;
static int g_waiting;

// What a line asked for while a poll was dispatching: done once it ends.
enum { ACTION_NONE, ACTION_END, ACTION_FORWARD };
static int g_polling;
static int g_action;
static char g_action_text[256];

NetSocket *net_game_socket(void) { return &game_socket(); }
int net_game_connected(void) { return net_socket_is_connected(&game_socket()); }

void net_address_text(char *buf, int size)
{
    snprintf(buf, (size_t)size, "%.*s:%i", (int)NET_ADDRESS_SIZE - 1, game_socket().host, game_socket().port);
}

static void fresh_connection_state(void)
{
    command_cursor_reset(&g_cursor);
    g_poll_calls = 0;
    g_last_ping = g_last_heard = clock_ms();
    g_heard_bytes = game_socket().received_bytes;
    g_waiting = 0;
}

static int connect_to(const char *address)
{
    if (net_socket_connect(&game_socket(), address, NET_CONNECT_WAIT_MS) != 0) {
        game_echo(va_format("Failed to connect to %s %s", address, game_socket().error), MSG_INGAME);
        return 1;
    }
    fresh_connection_state();
    // The game waits for the server's match as a network game.
    reset_network_game();
    return 0;
}

int net_connect_server(const char *address)
{
    if (g_polling) {
        // A line asking for a new server mid-poll: the same as FORWARD.
        net_forward(address);
        return 0;
    }
    return connect_to(address ? address : "");
}

void net_close_game(void)
{
    net_socket_disconnect(&game_socket());
    command_cursor_reset(&g_cursor);
    GameGlobals *g = get_game_globals();
    g->network_mode = 0;
    g->bouts_present = 0;
    g->turn_deadline = 0;
    clear_bouts();
    for (int i = 0; i < fighter_count(); i++)
        if (Player *p = get_player(i))
            p->ready = 0;
    clear_received_state();
    clear_server_result();
    g_waiting = 0;
}

static void end_now(const char *message)
{
    net_close_game();
    if (message && message[0])
        game_echo(message, MSG_INGAME);
    reset_game();
}

void net_end_game(const char *message)
{
    if (!g_polling) {
        end_now(message);
        return;
    }
    // The socket closes at once, so that the poll reads nothing more; the
    // game changes once the handler that asked has returned.
    net_socket_disconnect(&game_socket());
    if (g_action == ACTION_END && !message)
        return;
    g_action = ACTION_END;
    n_strncpyz(g_action_text, message ? message : "", sizeof g_action_text);
}

static void forward_now(const char *address)
{
    char previous[NET_ADDRESS_SIZE + 16];
    net_address_text(previous, sizeof previous);
    // The server that forwards is left first, as it asked.
    net_socket_disconnect(&game_socket());
    if (connect_to(address) == 0)
        return;
    if (previous[0] != ':' && connect_to(previous) == 0)
        return;
    end_now(k_lost_contact);
}

void net_forward(const char *address)
{
    if (!g_polling) {
        forward_now(address ? address : "");
        return;
    }
    if (g_action == ACTION_END)
        return;
    g_action = ACTION_FORWARD;
    n_strncpyz(g_action_text, address ? address : "", sizeof g_action_text);
}

int net_send_text(const char *text)
{
    if (!net_game_connected())
        return -1;
    if (net_socket_send(&game_socket(), text, (int)strlen(text)) != 0) {
        fprintf(stderr, "Game server send failed: %s\n", game_socket().error);
        net_end_game(k_lost_contact);
        return -1;
    }
    return 0;
}

void net_send_ready(void)
{
    if (net_send_text("READY\n") != 0)
        return;
    const int own = get_game_globals()->own_slot;
    if (own >= 0 && own < fighter_count())
        set_player_flag(own, 1);
}

void net_ready_or_reset(void)
{
    if (get_game_globals()->network_mode == 1 && net_game_connected())
        net_send_ready();
    else
        reset_game();
}

// One message (a block row with its block) into parse_cmd. 1 when one was
// dispatched, 0 when nothing whole has arrived, -1 when the connection is
// gone.
static int dispatch_one(void)
{
    static char buf[NET_MESSAGE_MAX + 1];
    int length = 0;
    for (;;) {
        int r;
        if (g_cursor.pending) {
            r = net_socket_read_block(&game_socket(), buf, &length, CMD_BLOCK_MAX_WORDS);
            if (r == NET_READ_MESSAGE)
                parse_cmd(CMD_SOURCE_SERVER, buf, length, &g_cursor);
            return r;
        }
        r = net_socket_read_message(&game_socket(), buf, &length);
        if (r != NET_READ_MESSAGE)
            return r;
        // Blank lines (such as a block's closing line feed that came late)
        // carry nothing.
        if (strspn(buf, "\r\n") == (size_t)length)
            continue;
        parse_cmd(CMD_SOURCE_SERVER, buf, length, &g_cursor);
        if (!g_cursor.pending)
            return NET_READ_MESSAGE;
        // The block follows: it belongs to this message.
    }
}

// A committed turn that the server leaves unanswered far beyond the
// reaction time: the server is gone for the player.
static void check_stall(uint32_t now)
{
    const GameGlobals *g = get_game_globals();
    const WorldState *w = get_game_state();
    const int own = g->own_slot;
    const Player *p = own >= 0 && own < fighter_count() ? get_player(own) : nullptr;
    const bool waiting = p && p->ready == 1 && !w->game_over && w->frames_left == 0 && g->network_mode == 1;
    if (!waiting) {
        g_waiting = 0;
        return;
    }
    if (!g_waiting) {
        g_waiting = 1;
        g_wait_start = now;
    }
    const uint32_t limit = (uint32_t)NET_STALL_MS + (uint32_t)(get_match_rules()->reactiontime > 0
                                                                    ? get_match_rules()->reactiontime : 0) * 1000u;
    if (now - g_wait_start > limit && now - g_last_heard > limit) {
        fprintf(stderr, "Game server silent for %u ms while a turn waits\n", (unsigned)(now - g_last_heard));
        net_end_game("Disconnected. The server stopped answering");
    }
}

void net_poll(void)
{
    if (!net_game_connected() || g_polling)
        return;
    const uint32_t now = clock_ms();
    if (now - g_last_ping >= (uint32_t)NET_PING_MS) {
        g_last_ping = now;
        if (net_send_text("PING\n") != 0)
            return;
    }
    if (net_socket_flush(&game_socket()) != 0) {
        net_end_game(k_lost_contact);
        return;
    }
    if (g_poll_calls++ % NET_POLL_EVERY == 0) {
        g_polling = 1;
        g_action = ACTION_NONE;
        for (int k = 0; k < NET_MESSAGES_PER_POLL && net_game_connected(); k++) {
            const int r = dispatch_one();
            if (r == NET_READ_CLOSED && g_action == ACTION_NONE) {
                fprintf(stderr, "Game server connection lost: %s\n", game_socket().error);
                net_end_game(k_lost_contact);
            }
            if (r != NET_READ_MESSAGE)
                break;
        }
        g_polling = 0;
        if (game_socket().received_bytes != g_heard_bytes) {
            g_heard_bytes = game_socket().received_bytes;
            g_last_heard = now;
        }
        const int action = g_action;
        g_action = ACTION_NONE;
        if (action == ACTION_END)
            end_now(g_action_text);
        else if (action == ACTION_FORWARD)
            forward_now(g_action_text);
        if (action != ACTION_NONE)
            return;
    }
    if (net_game_connected())
        check_stall(now);
}

void net_shutdown(void)
{
    net_socket_disconnect(&game_socket());
}

static int cb_send(const char *text) { return net_send_text(text); }

void net_install_callbacks(void)
{
    GameCallbacks *cb = game_callbacks();
    cb->net_connected = net_game_connected;
    cb->net_send = cb_send;
    cb->net_close = net_close_game;
    cb->net_end = net_end_game;
    cb->net_forward = net_forward;
}
