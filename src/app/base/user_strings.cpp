#include "app/base/user_strings.h"

#include "app/base/text.h"

#include <cstring>

static char g_nick[USER_STRING_SIZE];
static char g_password[USER_STRING_SIZE];
static char g_whisper_target[USER_STRING_SIZE];
static char g_login_user[USER_STRING_SIZE];
static char g_login_pass[USER_STRING_SIZE];
static char g_nick_escaped[USER_STRING_SIZE];

static void set_string(char *dst, const char *text)
{
    n_strncpyz(dst, text ? text : "", USER_STRING_SIZE);
}

void set_nick(const char *text) { set_string(g_nick, text); }
void set_password(const char *text) { set_string(g_password, text); }
void set_whisper_target(const char *text) { set_string(g_whisper_target, text); }
void set_login_user(const char *text) { set_string(g_login_user, text); }
void set_login_pass(const char *text) { set_string(g_login_pass, text); }
const char *get_nick(void) { return g_nick; }
const char *get_password(void) { return g_password; }
const char *get_whisper_target(void) { return g_whisper_target; }
const char *get_login_user(void) { return g_login_user; }
const char *get_login_pass(void) { return g_login_pass; }

const char *get_nick_escaped(void)
{
    char tag[USER_STRING_SIZE];
    split_clan_tag(g_nick, USER_STRING_SIZE, tag, g_nick_escaped);
    return g_nick_escaped;
}

BoutListEntry::BoutListEntry()
{
    memset(names, 0, sizeof names);
}

static BoutListEntry g_bouts[BOUT_LISTS];

BoutListEntry *get_bout_list(void)
{
    return g_bouts;
}

BoutListEntry *get_bout_entry(int i)
{
    return i >= 0 && i < BOUT_LISTS ? &g_bouts[i] : nullptr;
}
