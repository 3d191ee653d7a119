// The buddy list: the names in data/buddies.txt, one a line (blanks around
// a name are dropped; empty lines and lines that begin with '#' are
// skipped). The list has its own mutex: the lobby thread may ask about a
// name while the main thread loads or clears the list.
#pragma once

enum {
    BUDDY_NAME_SIZE = 32,        // at most 31 bytes a name
    BUDDY_START_ROOM = 20,       // room made at start
    BUDDY_MAX = 1024,            // names kept at most
};

// Reads data/buddies.txt in place of the current list. A line too long for
// a name is reported and skipped; names past BUDDY_MAX are reported and
// dropped. Returns the number of names read, or -1 when the file cannot be
// opened (the list is then empty).
int buddies_load(void);
int buddies_load_from(const char *path);
// Forgets every name.
void buddies_clear(void);
int buddy_count(void);
// Copies name i into out; 1 (out empty) when there is no name i.
int buddy_name(int i, char *out, int size);
// 1 when the name is on the list (ASCII case ignored).
int is_buddy(const char *name);
