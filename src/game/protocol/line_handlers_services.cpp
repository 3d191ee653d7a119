// The handlers whose lines only reach the services around the match: the
// customisation and per-player records, the bout list, the console, and the
// lobby's room list.
#include <cstdio>
#include <cstring>

#include "app/base/text.h"
#include "game/protocol/line_handlers_services.h"
#include "game/protocol/line_values.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "app/base/message_type.h"
#include "game/game_callbacks.h"
#include "net/records/bout_list.h"
#include "net/records/custom_record.h"
#include "net/records/player_records.h"
#include "net/records/server_list.h"
#include "net/records/user_equipment.h"


void server_no_action(int, const LineArg *) {}
void replay_no_action(int, const LineArg *) {}

// ---- customisation ----

static void custom_line(const char *keyword, int player, const LineArg *arg, CustomParser parser)
{
    CustomRecord *rec = get_custom_record(player);
    if (!rec) {
        fprintf(stderr, "%s: player %d out of range\n", keyword, player);
        return;
    }
    parser(line_arg_text(arg), rec);
}

#define CUSTOM_LINE(handler, keyword, parser) \
    void handler(int number, const LineArg *arg) { custom_line(keyword, number, arg, parser); }

CUSTOM_LINE(line_bodcol, "BODCOL", parse_custom_bodcol)
CUSTOM_LINE(line_gradcol1, "GRADCOL1", parse_custom_gradcol1)
CUSTOM_LINE(line_gradcol2, "GRADCOL2", parse_custom_gradcol2)
CUSTOM_LINE(line_jforce, "JFORCE", parse_custom_forcol)
CUSTOM_LINE(line_jrelax, "JRELAX", parse_custom_relcol)
CUSTOM_LINE(line_jreplay, "JREPLAY", parse_custom_repcol)
CUSTOM_LINE(line_trailcol, "TRAILCOL", parse_custom_trailcol)
CUSTOM_LINE(line_item, "ITEM", parse_custom_item)
CUSTOM_LINE(line_decal, "DECAL", parse_custom_decal)
CUSTOM_LINE(line_text, "TEXT", parse_custom_text)
CUSTOM_LINE(line_sig, "SIG", parse_custom_sig)
CUSTOM_LINE(line_beltname, "BELTNAME", parse_custom_beltname)
CUSTOM_LINE(line_texbody, "TEXBODY", parse_custom_texbody)
CUSTOM_LINE(line_bmapbody, "BMAPBODY", parse_custom_bmapbody)
CUSTOM_LINE(line_texjoint, "TEXJOINT", parse_custom_texjoint)
CUSTOM_LINE(line_bmapjoint, "BMAPJOINT", parse_custom_bmapjoint)
CUSTOM_LINE(line_textrail, "TEXTRAIL", parse_custom_textrail)
CUSTOM_LINE(line_texground, "TEXGROUND", parse_custom_texground)
CUSTOM_LINE(line_flame0, "FLAME0", parse_custom_flame0)
CUSTOM_LINE(line_flame1, "FLAME1", parse_custom_flame1)
CUSTOM_LINE(line_flame2, "FLAME2", parse_custom_flame2)
CUSTOM_LINE(line_flame3, "FLAME3", parse_custom_flame3)
CUSTOM_LINE(line_flame4, "FLAME4", parse_custom_flame4)

#undef CUSTOM_LINE

// ---- user records and RPG ----

void line_rpg(int number, const LineArg *arg)
{
    RpgStats *stats = get_rpg_stats(number);
    if (!stats) {
        fprintf(stderr, "RPG: player %d out of range\n", number);
        return;
    }
    parse_rpg_stats(line_arg_text(arg), stats);
}

void server_ghost(int, const LineArg *arg)
{
    parse_ghost_line(line_arg_text(arg), get_ghost_buffer());
    save_user_equipment();
}

void server_money(int, const LineArg *arg)
{
    parse_money_reply(line_arg_text(arg), get_money_record());
}

// ---- bout list ----

// An entry of the bout list; the entry -1 commits it, and a match with
// fewer bouts than fighters starts again from its placement.
void server_bout(int number, const LineArg *arg)
{
    BoutLine entry;
    parse_bout_entry(line_arg_text(arg), &entry);
    if (bout_list_set(number, &entry) == 0 && number == -1 && !all_bouts_present())
        reset_match(0);
}

void server_specs(int, const LineArg *arg)
{
    set_spectators(line_arg_text(arg));
}

// ---- console ----

void server_connect(int, const LineArg *)
{
    game_echo("Player connected", MSG_SERVER);
}

void server_run(int, const LineArg *arg)
{
    char line[CMD_LINE_MAX + 1];
    n_strncpyz(line, line_arg_text(arg), sizeof line);
    line[strcspn(line, "\r\n")] = '\0';
    game_run_command(line);
}

// Connection test: the server sends a line whose text holds 'A' at 1499 and
// a line feed at 1500, so only a full-length line that came through whole
// passes.
void server_echo(int, const LineArg *arg)
{
    const char *t = line_arg_text(arg);
    if (strnlen(t, 1501) == 1501 && t[1499] == 'A' && t[1500] == '\n')
        game_echo("echo test succeded", MSG_SERVER);
    else
        game_echo("echo test failed\n", MSG_INGAME);
}

// ---- lobby column ----

// The room's rules only: nothing of the running match is touched from the
// lobby reader's thread.
void lobby_newgame(int, const LineArg *arg)
{
    ServerList *list = get_lobby_handler_target();
    if (!list)
        return;
    MatchRules rules{};
    memset(&rules, 0, sizeof rules);
    read_newgame_fields(line_arg_text(arg), &rules);
    list->set_rules(rules);
}

void lobby_kaelmund(int, const LineArg *)
{
    if (ServerList *list = get_lobby_handler_target())
        list->begin_entry();
}

void lobby_server(int, const LineArg *arg)
{
    if (ServerList *list = get_lobby_handler_target())
        list->set_server(line_arg_text(arg));
}

void lobby_info(int number, const LineArg *arg)
{
    if (ServerList *list = get_lobby_handler_target())
        list->set_info(number, line_arg_text(arg));
}

void lobby_desc(int, const LineArg *arg)
{
    if (ServerList *list = get_lobby_handler_target())
        list->set_desc(line_arg_text(arg));
}

void lobby_clients(int, const LineArg *arg)
{
    if (ServerList *list = get_lobby_handler_target())
        list->set_clients(line_arg_text(arg));
}
