// The bout list: the players the game server knows, sent as one BOUT line
// per entry and committed by the entry with index -1; and the access to the
// spectator name lists (BoutListEntry) that the SPECS line fills.
#pragma once
#include <cstdint>

// The spectator name lists (BoutListEntry) are the shared user strings'.
#include "app/base/user_strings.h"

#include "net/records/bout_line.h"

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
