#include "net/room_link.h"

#include <cstdio>
#include <cstring>

#include "app/base/clock.h"
#include "app/base/message_type.h"
#include "app/base/number_text.h"
#include "app/base/text.h"
#include "gui/services/chat_log.h"
#include "net/records/wire_text.h"

RoomLink::RoomLink() : tab(0), connect_start(0)
{
    line_socket_init(&socket);
    address[0] = '\0';
}

RoomLink::~RoomLink()
{
    line_socket_close(&socket);
}

// ---- the room keyword table ----

static void echo_field(RoomLink *link, const char *text, MessageType type)
{
    char field[LINE_MESSAGE_MAX];
    wire_copy_field(field, text, sizeof field);
    if (field[0])
        console_echo_tab(link->tab, field, type);
}

// SAY n;text: n 0 is the room itself, any other number a member.
static void room_say(RoomLink *link, int number, const char *text)
{
    echo_field(link, text, number == 0 ? MSG_SERVER : MSG_USER);
}

static void room_echo(RoomLink *link, int, const char *text)
{
    echo_field(link, text, MSG_SERVER);
}

// KICK n;text: the reason, then the room is left.
static void room_kick(RoomLink *link, int, const char *text)
{
    echo_field(link, text, MSG_SERVER);
    room_link_close(link);
}

static const RoomKeyword kRoomKeywords[] = {
    {"SAY", room_say},
    {"ECHO", room_echo},
    {"CONNECT", room_echo},
    {"DISCONNECT", room_echo},
    {"KICK", room_kick},
    {nullptr, nullptr},
};

// "KEYWORD n;text": dispatched by the keyword; a line of another form or
// with an unknown keyword is reported and dropped.
static void dispatch_room_line(RoomLink *link, const char *line)
{
    char keyword[24];
    const char *rest = wire_read_word(line, keyword, sizeof keyword);
    const char *semi = rest ? strchr(rest, ';') : nullptr;
    if (!semi) {
        fprintf(stderr, "Room %s: line without \"n;\" dropped\n", link->address);
        return;
    }
    char number[16];
    size_t len = (size_t)(semi - rest);
    if (len >= sizeof number)
        len = sizeof number - 1;
    memcpy(number, rest, len);
    number[len] = '\0';
    for (const RoomKeyword *row = kRoomKeywords; row->keyword; row++) {
        if (strcmp(row->keyword, keyword) == 0) {
            row->handler(link, text_to_int32(number), semi + 1);
            return;
        }
    }
    fprintf(stderr, "Room %s: unknown keyword %s dropped\n", link->address, keyword);
}

// ---- the link ----

int room_link_open(RoomLink *link, const char *address, int tab)
{
    room_link_close(link);
    link->tab = tab;
    n_strncpyz(link->address, address ? address : "", sizeof link->address);
    link->connect_start = clock_ms();
    if (line_socket_begin_connect(&link->socket, link->address, ROOM_DEFAULT_PORT) != 0) {
        console_echo_tab(tab, va_format("Failed to connect to %s %s", link->address, link->socket.error), MSG_INGAME);
        return 1;
    }
    return 0;
}

void room_link_close(RoomLink *link)
{
    line_socket_close(&link->socket);
}

int room_link_is_connected(const RoomLink *link)
{
    return link->socket.state == LINE_SOCKET_OPEN;
}

void room_link_poll(RoomLink *link)
{
    LineSocket *s = &link->socket;
    if (s->state == LINE_SOCKET_CONNECTING) {
        int r = line_socket_finish_connect(s, 0);
        if (r == 1 && (int32_t)(clock_ms() - link->connect_start) >= ROOM_CONNECT_TIMEOUT_MS) {
            line_socket_close(s);
            n_strncpyz(s->error, "no answer", sizeof s->error);
            r = -1;
        }
        if (r < 0)
            console_echo_tab(link->tab, va_format("Failed to connect to %s %s", link->address, s->error),
                             MSG_INGAME);
        else if (r == 0)
            console_echo_tab(link->tab, va_format("Connected to %s", link->address), MSG_INGAME);
        return;
    }
    if (s->state != LINE_SOCKET_OPEN)
        return;
    char line[LINE_MESSAGE_MAX];
    int r = line_socket_read_line(s, line, sizeof line, 0);
    if (r == LINE_READ_LINE)
        dispatch_room_line(link, line);
    else if (r == LINE_READ_CLOSED)
        console_echo_tab(link->tab, va_format("Disconnected from %s", link->address), MSG_INGAME);
}
