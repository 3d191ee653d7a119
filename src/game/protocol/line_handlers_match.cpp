// The match set-up rows (NEWGAME, ENGAGE, TEAMS) of both columns, the replay
// header rows, and the server rows that pass a line on to the chat, the
// centre print or the fighters' names.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/base/download_queue.h"
#include "app/base/options.h"
#include "app/base/text.h"
#include "game/camera_keys.h"
#include "game/game_state.h"
#include "game/protocol/line_handlers_match.h"
#include "game/protocol/line_values.h"
#include "game/match_start.h"
#include "app/base/message_type.h"
#include "game/game_callbacks.h"
#include "net/records/wire_text.h"
#include "app/base/number_text.h"

static std::unique_ptr<MatchRules> g_scratch;
static int g_server_matches;

MatchRules *scratch_rules(void)
{
    if (!g_scratch) {
        g_scratch.reset(new MatchRules);
        memset(g_scratch.get(), 0, sizeof(MatchRules));
    }
    return g_scratch.get();
}

void release_scratch_rules(void) { g_scratch.reset(); }
int server_matches_started(void) { return g_server_matches; }

// ---- match set-up ----

// The ENGAGE and TEAMS lines of a replay or of a game server stand before
// the NEWGAME line, whose rules start from the defaults: their placement
// and teams are put back, so that the match (and its replay) keeps them.
// The scratch goes with the NEWGAME line: the next match has its own.
static void keep_header_rules(const MatchRules *header, MatchRules *r)
{
    if (header->engage_set) {
        memcpy(r->engage_pos, header->engage_pos, sizeof r->engage_pos);
        memcpy(r->engage_rot, header->engage_rot, sizeof r->engage_rot);
        r->engage_set = 1;
    }
    if (header->teams > 1) {
        memcpy(r->team_of, header->team_of, sizeof r->team_of);
        r->teams = header->teams;
    }
}

void server_newgame(int, const LineArg *arg)
{
    MatchRules *r = scratch_rules();
    const MatchRules header = *r;
    parse_newgame_line(line_arg_text(arg), r);
    keep_header_rules(&header, r);
    game_floor_stains_clear();
    camera_keys_clear();
    ++g_server_matches;
    new_match(1, 0, r, 0);
    release_scratch_rules();
}

// A replay's match keeps the names, fight name and author its header lines
// set before this line, and the frames that follow it; the last match's
// stains leave the floor.
void replay_newgame(int, const LineArg *arg)
{
    GameGlobals *g = get_game_globals();
    if (g->replay_mode == 0)
        g->replay_mode = 1;
    MatchRules *r = scratch_rules();
    const MatchRules header = *r;
    parse_newgame_line(line_arg_text(arg), r);
    keep_header_rules(&header, r);
    game_floor_stains_clear();
    new_match(0, 1, r, 1);
    release_scratch_rules();
}

// n integers: one team index per fighter.
void line_teams(int number, const LineArg *arg)
{
    if (number > RULES_PLAYER_SLOTS) {
        fprintf(stderr, "TEAMS: %d players, at most %d, dropped\n", number, RULES_PLAYER_SLOTS);
        return;
    }
    int32_t teams[RULES_PLAYER_SLOTS] = {0, 0};
    const int n = number < 1 ? 0 : number;
    if (read_int_list(line_arg_text(arg), BASE_C_FORMS, n, teams) < n) {
        fprintf(stderr, "TEAMS: needs %d team indices, dropped\n", n);
        return;
    }
    int highest = -1;
    for (int i = 0; i < n; i++) {
        if (teams[i] < 0 || teams[i] >= RULES_PLAYER_SLOTS) {
            fprintf(stderr, "TEAMS: team %d of fighter %d out of range, dropped\n", teams[i], i);
            return;
        }
        highest = teams[i] > highest ? teams[i] : highest;
    }
    MatchRules *r = scratch_rules();
    r->players = n;
    for (int i = 0; i < n; i++)
        r->team_of[i] = teams[i];
    r->teams = n < 1 ? 0 : highest + 1;
}

void line_engage(int number, const LineArg *arg)
{
    if (number < 0 || number >= RULES_PLAYER_SLOTS) {
        fprintf(stderr, "ENGAGE: player %d out of range, dropped\n", number);
        return;
    }
    parse_engage_line(line_arg_text(arg), number, scratch_rules());
}

// ---- replay header rows ----

static void copy_trimmed(char *dst, const char *text, int size)
{
    wire_copy_field(dst, text, size);
}

void replay_bout(int number, const LineArg *arg)
{
    char name[PLAYER_NAME_SIZE];
    copy_trimmed(name, line_arg_text(arg), sizeof name);
    if (number < 0 || number > 1 || !get_player(number)) {
        fprintf(stderr, "BOUT parameter out of range (%d ; \"%s\")\n", number, name);
        return;
    }
    set_player_name(number, name);
}

// "%s %s %s": fight name, fighter 0's name, fighter 1's name.
void replay_fight(int, const LineArg *arg)
{
    char words[3][PLAYER_NAME_SIZE] = {};
    const char *s = line_arg_text(arg);
    for (int k = 0; k < 3 && s; k++)
        s = wire_read_word(s, words[k], PLAYER_NAME_SIZE);
    set_fight_name(words[0]);
    for (int i = 0; i < 2; i++)
        if (words[1 + i][0] && get_player(i))
            set_player_name(i, words[1 + i]);
}

void replay_fightname(int, const LineArg *arg)
{
    char text[LONG_TEXT_SIZE];
    copy_trimmed(text, line_arg_text(arg), sizeof text);
    set_fight_name(text);
}

void replay_author(int, const LineArg *arg)
{
    char text[LONG_TEXT_SIZE];
    copy_trimmed(text, line_arg_text(arg), sizeof text);
    set_author(text);
}

void replay_version(int number, const LineArg *) { set_turn_owner(number); }

// ---- lines passed on ----

void server_id(int number, const LineArg *) { set_own_id(number); }

void server_say(int number, const LineArg *arg)
{
    char text[1024];
    wire_copy_field(text, line_arg_text(arg), sizeof text);
    const MessageType type = number == 0 ? MSG_SERVER : (number == get_own_id() ? MSG_PLAYER : MSG_USER);
    game_echo_tab(0, text, type);
}

void server_centerprint(int, const LineArg *arg)
{
    char text[CENTERPRINT_LINE_SIZE];
    wire_copy_field(text, line_arg_text(arg), sizeof text);
    // Mode 2, colour row 78, for 10 seconds; the other two lines empty.
    game_centerprint(get_game_state(), 2, 78, 10, text, "", "");
}

// The script's global announce_callback(n, text); a failure is reported as a
// script error and the game goes on.
void server_announce(int number, const LineArg *arg)
{
    char text[CMD_LINE_MAX + 1];
    wire_copy_field(text, line_arg_text(arg), sizeof text);
    game_script_announce(number, text);
}

// n = 2: two tab-separated names become fighters 0 and 1's names.
void server_clients(int number, const LineArg *arg)
{
    if (number != 2)
        return;
    const char *s = line_arg_text(arg);
    for (int i = 0; i < 2; i++) {
        char name[PLAYER_NAME_SIZE];
        int k = 0;
        while (*s && *s != '\t' && *s != '\r' && *s != '\n') {
            if (k < PLAYER_NAME_SIZE - 1)
                name[k++] = (unsigned char)*s < 0x20 ? ' ' : *s;
            s++;
        }
        name[k] = '\0';
        if (get_player(i))
            set_player_name(i, name);
        if (*s == '\t')
            s++;
    }
}

void server_emote(int number, const LineArg *arg)
{
    if (!line_fighter_ok("EMOTE", number))
        return;
    char text[PLAYER_NAME_SIZE];
    wire_copy_field(text, line_arg_text(arg), sizeof text);
    set_player_emote(number, text, 10.0f);
}

// "%i *%32s %[^\n]": sender id, a name, the text. An incoming whisper goes
// to the sender's tab (opened when there is none), one the player sent to
// the tab of the line's id when there is one; else into the console.
void server_whisper(int number, const LineArg *arg)
{
    const char *s = line_arg_text(arg);
    int32_t sender = 0;
    int err = 0;
    s = next_int_word(s, &sender, &err);
    char name[33] = "";
    char text[1024] = "";
    if (!err && *s == '*') {
        s = wire_read_word(s + 1, name, sizeof name);
        wire_copy_field(text, s ? s : "", sizeof text);
    }
    const int own = get_own_id();
    if (err || strlen(name) < 3 || (sender == own && number == own)) {
        char line[1100];
        wire_copy_field(line, line_arg_text(arg), sizeof line);
        game_echo_tab(0, line, MSG_WHISPER);
        return;
    }
    const bool incoming = sender != own;
    int tab = game_chat_tab_find(incoming ? sender : number);
    if (tab < 0 && incoming)
        tab = game_chat_tab_open(sender, name);
    if (tab >= 0)
        game_echo_tab(tab, va_format("%s: %s", name, text), MSG_USER);
    else
        game_echo_tab(0, va_format("*%s %s", name, text), MSG_WHISPER);
}

void server_disconnect(int number, const LineArg *arg)
{
    char text[1024];
    wire_copy_field(text, line_arg_text(arg), sizeof text);
    game_echo_tab(0, text, MSG_SERVER);
    const int tab = game_chat_tab_find(number);
    if (tab > 0)
        game_echo_tab(tab, text, MSG_SERVER);
    game_chat_tab_unbind(number);
}

// The server's message, the start-up flags when the line asks, then the end
// of the network game.
void server_kick(int number, const LineArg *arg)
{
    char text[1024];
    wire_copy_field(text, line_arg_text(arg), sizeof text);
    game_echo(text, MSG_SERVER);
    if (number == 1)
        clear_startup_flags();
    game_net_end(nullptr);
}

void server_forward(int, const LineArg *arg)
{
    char address[256];
    wire_read_word(line_arg_text(arg), address, sizeof address);
    game_echo(va_format("forwarding to %s", address), MSG_SERVER);
    game_net_forward(address);
}

void server_kaelmund(int number, const LineArg *)
{
    if (number == 30)
        return;
    game_echo(va_format("Server protocol version %d, this game speaks 30: please update the game", number),
              MSG_INGAME);
    game_net_end(nullptr);
}

void server_ugc(int number, const LineArg *arg)
{
    if (number == -1 || !option_get(OPT_AUTOUPDATE))
        return;
    char line[256];
    wire_copy_field(line, line_arg_text(arg), sizeof line);
    if (line[0])
        download_enqueue(0, line);
}
