// The program's one game-server connection and the network side of a
// match: connecting, reading the server's messages into the line protocol
// on the tick, the keep-alive, the ready line, forwarding to another server,
// and ending the network game when the server goes away.
//
// Nothing here waits for the server, except a connect (at most
// NET_CONNECT_WAIT_MS). A connection that fails, closes or stays silent
// while the player waits for a turn ends the network game with a message:
// the socket is closed and a fresh single-play game starts.
#pragma once
#include "net/game_socket.h"

enum {
    NET_POLL_EVERY = 3,             // the server is read on every third poll
    NET_MESSAGES_PER_POLL = 2,
    NET_PING_MS = 20000,
    // How long a committed turn may wait on a silent server beyond the
    // reaction time before the game gives up on it.
    NET_STALL_MS = 60000,
};

// Fills the connection entries of the game's callback table.
void net_install_callbacks(void);

// The game-server socket (for tests and the shutdown).
NetSocket *net_game_socket(void);
int net_game_connected(void);

// Connects to "a.b.c.d[:port]" and starts a network game that waits for the
// server's match. 0 when connected; otherwise "Failed to connect to %s %s"
// (address, reason) is echoed and the current game goes on; 1.
int net_connect_server(const char *address);
// The current game-server address as "%s:%i".
void net_address_text(char *buf, int size);

// Once per tick in a connected network game: on every third call reads up
// to two messages (a block row and its block count as one) into parse_cmd
// as the game server; sends "PING\n" every NET_PING_MS.
void net_poll(void);

// Sends "READY\n" and marks the own fighter ready. A failed send ends the
// network game ("Disconnected. Lost contact with server").
void net_send_ready(void);
// In a connected network game net_send_ready, else a fresh single game.
void net_ready_or_reset(void);
// Sends protocol text; 0, or -1 when there is no connection or the send
// failed (which ends the network game with the lost-contact message).
int net_send_text(const char *text);

// Closes the connection ("QUIT\n" first when it is up) and resets the
// network state: single play, no bouts, nobody ready, nothing received.
void net_close_game(void);
// The network game ends: the connection closes, the message (when not null)
// is echoed and a fresh single-play game starts. While a poll dispatches
// lines this waits until the poll is done.
void net_end_game(const char *message);
// Leaves the current server for the address; when that fails, connects back
// to the current one; when that fails too, the network game ends. While a
// poll dispatches lines this waits until the poll is done.
void net_forward(const char *address);

// At program end: "QUIT\n" and close.
void net_shutdown(void);
