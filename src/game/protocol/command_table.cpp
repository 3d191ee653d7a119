#include "game/protocol/command_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/bytes.h"
#include "game/protocol/line_handlers_match.h"
#include "game/protocol/line_handlers_replay.h"
#include "game/protocol/line_handlers_services.h"
#include "game/protocol/line_handlers_state.h"

// Cells left null are filled once the game-state records they write exist;
// the comment names the handler that goes there.
#define NONE nullptr

static const CommandRow g_rows[COMMAND_TABLE_ROWS + 1] = {
    // keyword        server               replay               lobby          fourth          flags
    {"NEWGAME",       server_newgame, replay_newgame, lobby_newgame, NONE, 4},
    {"RUN",           server_run,          NONE,                NONE,          NONE,           4},
    {"TEAMS",         line_teams, line_teams, NONE,          NONE,           4},
    {"ENGAGE",        line_engage, line_engage, NONE,        NONE,           4},
    {"WIN",           server_win, NONE,                NONE,          NONE,           4},
    {"WIN2",          server_win2, NONE,               NONE,          NONE,           4},
    {"ID",            server_id,  NONE,                NONE,          NONE,           4},
    {"CONNECT",       server_connect,      NONE,                NONE,          NONE,           4},
    {"BOUT",          server_bout,         replay_bout, NONE,         NONE,           4},
    {"SPECS",         server_specs,        NONE,                NONE,          NONE,           4},
    {"SAY",           server_say, NONE,                NONE,          NONE,           4},
    {"QAT",           server_qat, replay_qat, NONE,          NONE,           1},
    {"POS",           server_pos, replay_pos, NONE,          NONE,           1},
    {"HINGEFMAX",     server_hingefmax, replay_no_action, NONE,       NONE,           1},
    {"HINGEVEL",      server_hingevel, replay_no_action, NONE,        NONE,           1},
    {"ANGVEL",        server_angvel, replay_angvel, NONE,    NONE,           1},
    {"LINVEL",        server_linvel, replay_linvel, NONE,    NONE,           1},
    {"P_QAT",         server_p_qat, replay_p_qat, NONE,      NONE,           9},
    {"P_POS",         server_p_pos, replay_p_pos, NONE,      NONE,           9},
    {"P_ANGVEL",      server_p_angvel, replay_p_angvel, NONE, NONE,          9},
    {"P_LINVEL",      server_p_linvel, replay_p_linvel, NONE, NONE,          9},
    {"WORLD",         server_world, NONE,              NONE,          NONE,           1},
    {"CRUSH",         server_crush, replay_crush, NONE,      NONE,           1},
    {"FRACT",         server_fract, replay_fract, NONE,      NONE,           1},
    {"WHISPER",       server_whisper, NONE,            NONE,          NONE,           4},
    {"CENTERPRINT",   server_centerprint, NONE,        NONE,          NONE,           4},
    {"BREAK",         server_break, NONE,              NONE,          NONE,           1},
    {"DISCL",         server_discl, NONE,              NONE,          NONE,           1},
    {"GRIP",          server_grip, replay_grip, NONE,        NONE,           2},
    {"B_GRIP",        server_b_grip, NONE,             NONE,          NONE,           2},
    {"GRAB",          server_grab, replay_grab, NONE,        NONE,           1},
    {"SIZE",          server_size, NONE,               NONE,          NONE,           1},
    {"JOINT",         server_joint, replay_joint, NONE,      NONE,           2},
    {"B_JOINT",       server_b_joint, NONE,            NONE,          NONE,           2},
    {"READY",         server_ready, NONE,              NONE,          NONE,           4},
    {"BATCH",         server_batch, NONE,              NONE,          NONE,           2},
    {"GAME",          server_game, NONE,               NONE,          NONE,           4},
    {"LOST",          server_lost, NONE,               NONE,          NONE,           4},
    {"BODCOL",        line_bodcol,         line_bodcol,         NONE,          line_bodcol,    4},
    {"GRADCOL1",      line_gradcol1,       line_gradcol1,       NONE,          line_gradcol1,  4},
    {"GRADCOL2",      line_gradcol2,       line_gradcol2,       NONE,          line_gradcol2,  4},
    {"JFORCE",        line_jforce,         NONE,                NONE,          NONE,           4},
    {"JRELAX",        line_jrelax,         NONE,                NONE,          NONE,           4},
    {"JREPLAY",       line_jreplay,        NONE,                NONE,          NONE,           4},
    {"TRAILCOL",      line_trailcol,       line_trailcol,       NONE,          line_trailcol,  4},
    {"ITEM",          line_item,           line_item,           NONE,          line_item,      4},
    {"DECAL",         line_decal,          line_decal,          NONE,          line_decal,     4},
    {"TEXT",          server_no_action,    line_text,           NONE,          line_text,      4},
    {"SIG",           line_sig,            NONE,                NONE,          NONE,           4},
    {"BELTNAME",      line_beltname,       NONE,                NONE,          NONE,           4},
    {"GHOST",         server_ghost,        NONE,                NONE,          NONE,           4},
    {"MONEY",         server_money,        NONE,                NONE,          NONE,           4},
    {"TEXBODY",       line_texbody,        NONE,                NONE,          NONE,           4},
    {"BMAPBODY",      line_bmapbody,       NONE,                NONE,          NONE,           4},
    {"TEXJOINT",      line_texjoint,       NONE,                NONE,          NONE,           4},
    {"BMAPJOINT",     line_bmapjoint,      NONE,                NONE,          NONE,           4},
    {"TEXTRAIL",      line_textrail,       NONE,                NONE,          NONE,           4},
    {"TEXGROUND",     line_texground,      NONE,                NONE,          NONE,           4},
    {"UGC",           server_ugc, NONE,                NONE,          NONE,           4},
    {"ECHO",          server_echo,         NONE,                NONE,          NONE,           4},
    {"KAELMUND",      server_kaelmund, NONE,           lobby_kaelmund, NONE,          4},
    {"SERVER",        NONE,                NONE,                lobby_server,  NONE,           4},
    {"DISCONNECT",    server_disconnect, NONE,         NONE,          NONE,           4},
    {"KICK",          server_kick, NONE,               NONE,          NONE,           4},
    {"FIGHT",         NONE,                replay_fight, NONE,        NONE,           4},
    {"FIGHTNAME",     NONE,                replay_fightname, NONE,    NONE,           4},
    {"FRAME",         server_frame, replay_frame, NONE,      NONE,           4},
    {"AUTHOR",        NONE,                replay_author, NONE,       NONE,           4},
    {"VERSION",       NONE,                replay_version, NONE,      NONE,           4},
    {"INFO",          server_no_action,    NONE,                lobby_info,    NONE,           4},
    {"CLIENTS",       server_clients, NONE,            lobby_clients, NONE,           4},
    {"FORWARD",       server_forward, NONE,            NONE,          NONE,           4},
    {"DESC",          NONE,                NONE,                lobby_desc,    NONE,           4},
    {"EMOTE",         server_emote, replay_emote, NONE,      NONE,           4},
    {"CAM",           NONE,                replay_cam, NONE,          NONE,           4},
    {"FLAME0",        line_flame0,         NONE,                NONE,          NONE,           4},
    {"FLAME1",        line_flame1,         NONE,                NONE,          NONE,           4},
    {"FLAME2",        line_flame2,         NONE,                NONE,          NONE,           4},
    {"FLAME3",        line_flame3,         NONE,                NONE,          NONE,           4},
    {"FLAME4",        line_flame4,         NONE,                NONE,          NONE,           4},
    {"P_ENV",         server_p_env, replay_p_env, NONE,      NONE,           9},
    {"EPOS",          NONE,                replay_epos, NONE,         NONE,           1},
    {"EQAT",          NONE,                replay_eqat, NONE,         NONE,           1},
    {"EANGVEL",       NONE,                replay_eangvel, NONE,      NONE,           1},
    {"ELINVEL",       NONE,                replay_elinvel, NONE,      NONE,           1},
    {"ANNOUNCE",      server_announce, NONE,           NONE,          NONE,           4},
    {"RPG_STRENGTH",  line_rpg_strength, line_rpg_strength, NONE, NONE,      4},
    {"RPG_SPEED",     line_rpg_speed, line_rpg_speed, NONE,  NONE,           4},
    {"RPG_DM_THRESH", line_rpg_dm_thresh, line_rpg_dm_thresh, NONE, NONE,    4},
    {"RPG",           line_rpg,            line_rpg,            NONE,          NONE,           4},
    {"VAKOLOBBY",     server_no_action,    NONE,                NONE,          NONE,           4},
    {"TEX",           server_no_action,    NONE,                NONE,          NONE,           4},
    {nullptr,         NONE,                NONE,                NONE,          NONE,           0},
};

#undef NONE

const CommandRow *command_table(void)
{
    return g_rows;
}

int command_find(const char *keyword)
{
    if (!keyword)
        return -1;
    for (int i = 0; i < COMMAND_TABLE_ROWS; i++)
        if (strcmp(g_rows[i].keyword, keyword) == 0)
            return i;
    return -1;
}

LineHandler command_handler(const CommandRow *row, int source)
{
    if (!row)
        return nullptr;
    switch (source) {
    case CMD_SOURCE_SERVER: return row->server;
    case CMD_SOURCE_REPLAY: return row->replay;
    case CMD_SOURCE_LOBBY: return row->lobby;
    case CMD_SOURCE_FOURTH: return row->fourth;
    default: return nullptr;
    }
}

void command_cursor_reset(CommandCursor *cursor)
{
    cursor->pending = 0;
    cursor->row = -1;
    cursor->number = 0;
}

CommandCursor *command_cursor(int source)
{
    static CommandCursor cursors[CMD_SOURCES] = {{0, -1, 0}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0}};
    if (source < 0 || source >= CMD_SOURCES)
        return nullptr;
    return &cursors[source];
}

int read_block_words(const char *data, int length, int32_t *words)
{
    if (!data || length < 4)
        return -1;
    const int32_t n = (int32_t)le32_at(data, (size_t)length, 0);
    if (n < 1 || n > CMD_BLOCK_MAX_WORDS || n > length / 4)
        return -1;
    for (int i = 0; i < n; i++)
        words[i] = (int32_t)le32_at(data, (size_t)length, (size_t)i * 4);
    return n;
}

// The binary block behind the row matched last.
static int dispatch_block(int source, const char *data, int length, CommandCursor *cursor)
{
    int row = cursor->row;
    int number = cursor->number;
    cursor->pending = 0;
    cursor->row = -1;
    const char *keyword = row >= 0 && row < COMMAND_TABLE_ROWS ? g_rows[row].keyword : "?";
    int32_t words[CMD_BLOCK_MAX_WORDS];
    int n = read_block_words(data, length, words);
    if (n < 0) {
        const int32_t count = length > 0 ? (int32_t)le32_at(data, (size_t)length, 0) : 0;
        fprintf(stderr, "parse_cmd bad block for %s (count %d, %d bytes), dropped\n", keyword, (int)count,
                length < 0 ? 0 : length);
        return 1;
    }
    if (row < 0 || row >= COMMAND_TABLE_ROWS)
        return 0;
    // Only the game server and replay files carry state in blocks.
    if (source != CMD_SOURCE_SERVER && source != CMD_SOURCE_REPLAY)
        return 0;
    LineHandler h = command_handler(&g_rows[row], source);
    if (h) {
        LineArg arg = {nullptr, words, n};
        h(number, &arg);
    }
    return 0;
}

static bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int parse_cmd(int source, const char *data, int length, CommandCursor *cursor)
{
    if (!cursor)
        cursor = command_cursor(source);
    if (!cursor)
        return 1;
    if (cursor->pending)
        return dispatch_block(source, data, length, cursor);

    cursor->row = -1;
    if (!data)
        return 0;
    if (length < 0)
        length = (int)strnlen(data, (size_t)CMD_LINE_MAX + 3);
    else
        length = (int)strnlen(data, (size_t)length);
    // The line end does not count towards the limit.
    int chars = length;
    if (chars > 0 && data[chars - 1] == '\n')
        chars--;
    if (chars > 0 && data[chars - 1] == '\r')
        chars--;
    if (chars > CMD_LINE_MAX) {
        fprintf(stderr, "parse_cmd line too long (more than %d characters), dropped\n", CMD_LINE_MAX);
        return 1;
    }
    if (data[0] == '#')
        return 0;

    char line[CMD_LINE_MAX + 3];
    memcpy(line, data, (size_t)length);
    line[length] = '\0';
    char shown[CMD_LINE_MAX + 1];
    memcpy(shown, line, (size_t)chars);
    shown[chars] = '\0';

    // "%s %i": a word, blanks, a number.
    const char *p = line;
    while (is_space(*p))
        p++;
    const char *word = p;
    while (*p && !is_space(*p))
        p++;
    int word_len = (int)(p - word);
    while (is_space(*p))
        p++;
    char *end = nullptr;
    long long number = word_len > 0 ? strtoll(p, &end, 0) : 0;
    if (word_len == 0 || end == p) {
        fprintf(stderr, "parse_cmd wrong start %s\n", shown);
        return 1;
    }
    if (number > INT32_MAX)
        number = INT32_MAX;
    if (number < INT32_MIN)
        number = INT32_MIN;

    char keyword[CMD_KEYWORD_SIZE];
    int row = -1;
    if (word_len < CMD_KEYWORD_SIZE) {
        memcpy(keyword, word, (size_t)word_len);
        keyword[word_len] = '\0';
        row = command_find(keyword);
    }
    if (row < 0) {
        fprintf(stderr, "parse_cmd no op found %.*s\n", word_len, word);
        return 1;
    }

    const CommandRow *r = &g_rows[row];
    LineHandler h = command_handler(r, source);
    if (r->flags & CMD_FLAG_BLOCK) {
        // The block follows on the wire whether or not this source uses it;
        // it is always taken as the block, never read as a text line.
        cursor->pending = 1;
        cursor->row = row;
        cursor->number = (int32_t)number;
        return 0;
    }
    if (!h)
        return 0;
    const char *semi = strchr(line, ';');
    LineArg arg = {semi ? semi + 1 : nullptr, nullptr, 0};
    h((int)number, &arg);
    return 0;
}
