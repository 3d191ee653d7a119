// The player's strings (nick, password, whisper target, remembered login)
// and the bout list record.
#pragma once

enum { USER_STRING_SIZE = 32 };

// Each setter keeps at most 31 characters; a null text clears the string.
void set_nick(const char *text);
void set_password(const char *text);
void set_whisper_target(const char *text);
void set_login_user(const char *text);
void set_login_pass(const char *text);
const char *get_nick(void);
const char *get_password(void);
const char *get_whisper_target(void);
const char *get_login_user(void);
const char *get_login_pass(void);
// The nick's name part without its clan tag, lower-cased.
const char *get_nick_escaped(void);

enum { BOUT_NAMES = 32, BOUT_LIST_NAME_SIZE = 32, BOUT_LISTS = 8 };

// 32 names of at most 31 characters; the first empty cell ends the list.
struct BoutListEntry {
    char names[BOUT_NAMES][BOUT_LIST_NAME_SIZE];
    BoutListEntry();
};

// The 8 bout lists.
BoutListEntry *get_bout_list(void);
// Bout list i (0..7), or null.
BoutListEntry *get_bout_entry(int i);
