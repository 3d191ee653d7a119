// The bout list: the players the game server knows, sent as one BOUT line
// per entry and committed by the entry with index -1; and the access to the
// spectator name lists (BoutListEntry) that the SPECS line fills.
#pragma once
#include <cstdint>

// The spectator name lists belong to the shared user strings; until those
// are in the tree, bout_list_names.cpp defines the same record.
#if __has_include("app/user_strings.h")
#include "app/user_strings.h"
#else
#define KX_BOUT_NAMES_LOCAL 1
enum { BOUT_NAMES = 32, BOUT_NAME_SIZE = 32, BOUT_LISTS = 8 };
// 32 names of at most 31 characters; the first empty cell ends the list.
struct BoutListEntry {
    char names[BOUT_NAMES][BOUT_NAME_SIZE];
    BoutListEntry();
};
// The 8 bout lists.
BoutListEntry *get_bout_list(void);
// Bout list i (0..7), or null.
BoutListEntry *get_bout_entry(int i);
#endif

enum {
    BOUT_LINE_ENTRIES = 32,
    BOUT_LINE_NAME_SIZE = 256,
};

// One BOUT line from the game server: "%i %i %i %i %i %i %s %i".
struct BoutLine {
    int32_t server_id;
    int32_t qi;
    int32_t streak;
    int32_t winnings;
    int32_t flags;
    int32_t word5;             // sixth number, kept as sent
    char name[BOUT_LINE_NAME_SIZE];
    int32_t word7;             // number after the name, kept as sent
    int32_t used;              // 1 in a stored entry
};

// Reads the line into entry (zeroed first; fields missing from the text
// stay 0). Returns the fields read.
int parse_bout_entry(const char *text, BoutLine *entry);
// Stores entry at index 0..31 of the list being received; index -1 commits
// that list (it becomes the list get_bout_line reads, and a new one starts).
// Another index is dropped with a message. Returns 0, or 1 when dropped.
int bout_list_set(int index, const BoutLine *entry);
// Entry i of the committed list (null outside 0..31), and how many of its
// entries are used.
const BoutLine *get_bout_line(int i);
int bout_list_count(void);
// Empties both lists.
void bout_list_clear(void);

// The spectators named by the last SPECS line (names in bout list 0).
int get_spectator_count(void);
void set_spectator_count(int n);
// Splits tab-separated names into bout list 0 (at most 32, each cut to 31
// characters, CR and LF end the text); returns the count stored.
int set_spectators(const char *text);
