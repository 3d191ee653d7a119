// The lobby room list: 256 room entries, each behind its own mutex, filled
// by the lobby reader thread through the lobby line handlers and read by
// the room browser on the main thread.
#pragma once
#include <cstdint>
#include <mutex>

#include "game/match_rules.h"

enum {
    SERVER_LIST_ENTRIES = 256,
    ROOM_WORD_SIZE = 64,
    ROOM_DESC_SIZE = 256,
    ROOM_CLIENTS = 32,
    ROOM_CLIENT_NAME_SIZE = 32,
};

struct RoomEntry {
    int32_t in_use;
    char address[ROOM_WORD_SIZE];       // first word of the SERVER line
    char name[ROOM_WORD_SIZE];          // second word
    int32_t is_server;
    int32_t info_number;                // number of the INFO line
    int32_t info[2];
    char desc[ROOM_DESC_SIZE];
    int32_t client_count;
    char clients[ROOM_CLIENTS][ROOM_CLIENT_NAME_SIZE];
    int32_t has_rules;
    MatchRules rules;
};

class ServerList {
public:
    ServerList();
    ~ServerList();
    ServerList(const ServerList &) = delete;
    ServerList &operator=(const ServerList &) = delete;

    // Starts the next entry (the first call after clear starts entry 0) and
    // empties it. When all 256 are taken: "Room list full" on standard
    // error, returns 1, and the setters drop their values until clear.
    int begin_entry(void);
    // The setters fill the current entry; with no current entry they drop
    // the value with a message and return 1.
    int set_server(const char *text);                 // "%s %s"
    int set_rules(const MatchRules &rules);
    int set_info(int number, const char *text);       // "%i %i"
    int set_desc(const char *text);                   // empty text: no change
    int set_clients(const char *text);                // tab-separated names

    // Forgets every entry; the next begin_entry starts entry 0.
    void clear(void);
    // Entries started since the last clear.
    int count(void);
    // Copies entry i under its lock; 1 for a bad index or an unused entry.
    int copy_entry(int i, RoomEntry *out);

private:
    // Locks the current entry; null (and a message naming what) when none.
    RoomEntry *lock_current(std::unique_lock<std::mutex> &lock, const char *what);

    RoomEntry entries_[SERVER_LIST_ENTRIES];
    std::mutex locks_[SERVER_LIST_ENTRIES];
    std::mutex cursor_lock_;
    int current_;                       // -1 before the first entry or when full
    int count_;
};

// The list that the lobby line handlers forward to (null: lines dropped).
void set_lobby_handler_target(ServerList *list);
ServerList *get_lobby_handler_target(void);
