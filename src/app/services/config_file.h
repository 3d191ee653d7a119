// The configuration file default.cfg: a static table of known keys with
// their text values, read at start-up and written back at shutdown.
#pragma once

enum { CONFIG_VALUE_SIZE = 128, CONFIG_NAME_SIZE = 256, CONFIG_LINE_SIZE = 1024 };

struct ConfigRow {
    const char *key;              // "" in the terminating row
    char value[CONFIG_VALUE_SIZE]; // "" = not set
    int game_rule;                // 1 for the game-rule keys
};

// The ConfigTable object: keeps the file name and reads the file at once
// into a table whose values start empty. config_open returns config_load's
// result; config_close forgets the name
// (it writes nothing).
int config_open(const char *name);
void config_close(void);

// Row of a key (exact match) or null with "no such key %s\n" on stderr.
ConfigRow *config_find(const char *key);
// 0, or 1 for an unknown key. Keeps at most 127 characters.
int config_set(const char *key, const char *text);
// 0 and the value in dst (at most len bytes, terminated), or 1 when the key
// is unknown or its value is empty.
int config_get(const char *key, char *dst, int len);
// Reads name into the table; 1 with "unable to open default.cfg\n" when the
// file cannot be opened.
int config_load(const char *name);
// Writes the table to the file kept by config_open/config_load (through a
// temporary file renamed over it); 1 with "Unable to open default.cfg\n".
int config_save(void);
// Empties every value (as at start).
void config_clear(void);
