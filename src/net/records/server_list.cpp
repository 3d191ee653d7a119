#include "net/records/server_list.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "app/base/text.h"
#include "net/records/wire_text.h"
#include "app/base/number_text.h"

static std::atomic<ServerList *> g_lobby_target{nullptr};

void set_lobby_handler_target(ServerList *list)
{
    g_lobby_target.store(list);
}

ServerList *get_lobby_handler_target(void)
{
    return g_lobby_target.load();
}

ServerList::ServerList() : current_(-1), count_(0)
{
    memset(entries_, 0, sizeof entries_);
}

ServerList::~ServerList()
{
    // A list going away stops being the handlers' target.
    ServerList *self = this;
    g_lobby_target.compare_exchange_strong(self, nullptr);
}

int ServerList::begin_entry(void)
{
    std::lock_guard<std::mutex> cursor(cursor_lock_);
    if (count_ >= SERVER_LIST_ENTRIES) {
        current_ = -1;
        fprintf(stderr, "Room list full\n");
        return 1;
    }
    int i = count_++;
    std::lock_guard<std::mutex> entry(locks_[i]);
    memset(&entries_[i], 0, sizeof entries_[i]);
    entries_[i].in_use = 1;
    current_ = i;
    return 0;
}

RoomEntry *ServerList::lock_current(std::unique_lock<std::mutex> &lock, const char *what)
{
    std::lock_guard<std::mutex> cursor(cursor_lock_);
    if (current_ < 0) {
        fprintf(stderr, "Room list: %s without a room entry, dropped\n", what);
        return nullptr;
    }
    lock = std::unique_lock<std::mutex>(locks_[current_]);
    return &entries_[current_];
}

int ServerList::set_server(const char *text)
{
    std::unique_lock<std::mutex> lock;
    RoomEntry *e = lock_current(lock, "SERVER");
    if (!e)
        return 1;
    const char *p = wire_read_word(text, e->address, ROOM_WORD_SIZE);
    if (p)
        wire_read_word(p, e->name, ROOM_WORD_SIZE);
    e->is_server = 1;
    return 0;
}

int ServerList::set_rules(const MatchRules &rules)
{
    std::unique_lock<std::mutex> lock;
    RoomEntry *e = lock_current(lock, "NEWGAME");
    if (!e)
        return 1;
    e->rules = rules;
    e->has_rules = 1;
    return 0;
}

int ServerList::set_info(int number, const char *text)
{
    std::unique_lock<std::mutex> lock;
    RoomEntry *e = lock_current(lock, "INFO");
    if (!e)
        return 1;
    e->info_number = number;
    read_int_list(text, BASE_C_FORMS, 2, e->info);
    return 0;
}

int ServerList::set_desc(const char *text)
{
    if (!text || !*text)
        return 0;
    std::unique_lock<std::mutex> lock;
    RoomEntry *e = lock_current(lock, "DESC");
    if (!e)
        return 1;
    char desc[ROOM_DESC_SIZE];
    wire_copy_field(desc, text, ROOM_DESC_SIZE);
    if (desc[0])
        memcpy(e->desc, desc, sizeof desc);
    return 0;
}

int ServerList::set_clients(const char *text)
{
    std::unique_lock<std::mutex> lock;
    RoomEntry *e = lock_current(lock, "CLIENTS");
    if (!e)
        return 1;
    int n = wire_split_names(text, &e->clients[0][0], ROOM_CLIENT_NAME_SIZE, ROOM_CLIENTS);
    e->client_count = n;
    return 0;
}

void ServerList::clear(void)
{
    std::lock_guard<std::mutex> cursor(cursor_lock_);
    for (int i = 0; i < SERVER_LIST_ENTRIES; i++) {
        std::lock_guard<std::mutex> entry(locks_[i]);
        memset(&entries_[i], 0, sizeof entries_[i]);
    }
    current_ = -1;
    count_ = 0;
}

int ServerList::count(void)
{
    std::lock_guard<std::mutex> cursor(cursor_lock_);
    return count_;
}

int ServerList::copy_entry(int i, RoomEntry *out)
{
    if (i < 0 || i >= SERVER_LIST_ENTRIES || !out)
        return 1;
    std::lock_guard<std::mutex> entry(locks_[i]);
    if (!entries_[i].in_use)
        return 1;
    *out = entries_[i];
    return 0;
}
