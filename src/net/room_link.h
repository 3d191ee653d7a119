// Room links: one connection per extra chat tab (ROOM_LINKS of them),
// polled by the main thread on every fifth tick. A poll never waits: it
// moves a connect along or reads at most one line and dispatches it
// through the room keyword table into the link's chat tab.
#pragma once
#include <cstdint>

#include "net/line_socket.h"

enum {
    ROOM_LINKS = 4,
    ROOM_DEFAULT_PORT = 20184,
    ROOM_CONNECT_TIMEOUT_MS = 10000,
    ROOM_ADDRESS_SIZE = 64,
};

class RoomLink {
public:
    RoomLink();
    ~RoomLink();
    RoomLink(const RoomLink &) = delete;
    RoomLink &operator=(const RoomLink &) = delete;

    LineSocket socket;
    int32_t tab;                         // chat tab the room's lines go to
    uint32_t connect_start;              // clock when the connect began
    char address[ROOM_ADDRESS_SIZE];
};

// One row of the room keyword table: what a room line does in its tab.
typedef void (*RoomLineHandler)(RoomLink *link, int number, const char *text);
struct RoomKeyword {
    const char *keyword;
    RoomLineHandler handler;
};

// Starts connecting link to address ("a.b.c.d[:port]") for chat tab tab
// (closing what it had). 0, or 1 with a message in the tab when the
// address is bad or refused at once.
int room_link_open(RoomLink *link, const char *address, int tab);
// Closes the link; nothing when it is closed.
void room_link_close(RoomLink *link);
int room_link_is_connected(const RoomLink *link);
// One poll: finishes a connect under way (a time-out after
// ROOM_CONNECT_TIMEOUT_MS), else reads one line and dispatches it.
void room_link_poll(RoomLink *link);
