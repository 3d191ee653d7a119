#include "game/protocol/command_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/bytes.h"
#include "game/protocol/line_handlers_match.h"
#include "game/protocol/line_handlers_replay.h"
#include "game/protocol/line_handlers_services.h"
#include "game/protocol/line_handlers_state.h"

// A null cell: the source sends no such line, and parse_cmd takes it silently.
#define NONE nullptr

typedef CommandRow CommandTable[COMMAND_TABLE_ROWS + 1];
static const CommandTable g_rows = {
    // keyword        server               replay               lobby           flags
    {"NEWGAME",       server_newgame,      replay_newgame,      lobby_newgame,  CMD_FLAG_TEXT_LINE},
    {"RUN",           server_run,          NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"TEAMS",         line_teams,          line_teams,          NONE,           CMD_FLAG_TEXT_LINE},
    {"ENGAGE",        line_engage,         line_engage,         NONE,           CMD_FLAG_TEXT_LINE},
    {"WIN",           server_win,          NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"WIN2",          server_win2,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"ID",            server_id,           NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"CONNECT",       server_connect,      NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"BOUT",          server_bout,         replay_bout,         NONE,           CMD_FLAG_TEXT_LINE},
    {"SPECS",         server_specs,        NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"SAY",           server_say,          NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"QAT",           server_qat,          replay_qat,          NONE,           CMD_FLAG_FRAME_STATE},
    {"POS",           server_pos,          replay_pos,          NONE,           CMD_FLAG_FRAME_STATE},
    {"HINGEFMAX",     server_hingefmax,    replay_no_action,    NONE,           CMD_FLAG_FRAME_STATE},
    {"HINGEVEL",      server_hingevel,     replay_no_action,    NONE,           CMD_FLAG_FRAME_STATE},
    {"ANGVEL",        server_angvel,       replay_angvel,       NONE,           CMD_FLAG_FRAME_STATE},
    {"LINVEL",        server_linvel,       replay_linvel,       NONE,           CMD_FLAG_FRAME_STATE},
    {"P_QAT",         server_p_qat,        replay_p_qat,        NONE,           CMD_FLAG_FRAME_STATE | CMD_FLAG_BLOCK_FOLLOWS},
    {"P_POS",         server_p_pos,        replay_p_pos,        NONE,           CMD_FLAG_FRAME_STATE | CMD_FLAG_BLOCK_FOLLOWS},
    {"P_ANGVEL",      server_p_angvel,     replay_p_angvel,     NONE,           CMD_FLAG_FRAME_STATE | CMD_FLAG_BLOCK_FOLLOWS},
    {"P_LINVEL",      server_p_linvel,     replay_p_linvel,     NONE,           CMD_FLAG_FRAME_STATE | CMD_FLAG_BLOCK_FOLLOWS},
    {"WORLD",         server_world,        NONE,                NONE,           CMD_FLAG_FRAME_STATE},
    {"CRUSH",         server_crush,        replay_crush,        NONE,           CMD_FLAG_FRAME_STATE},
    {"FRACT",         server_fract,        replay_fract,        NONE,           CMD_FLAG_FRAME_STATE},
    {"WHISPER",       server_whisper,      NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"CENTERPRINT",   server_centerprint,  NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"BREAK",         server_break,        NONE,                NONE,           CMD_FLAG_FRAME_STATE},
    {"DISCL",         server_discl,        NONE,                NONE,           CMD_FLAG_FRAME_STATE},
    {"GRIP",          server_grip,         replay_grip,         NONE,           CMD_FLAG_TURN_INPUT},
    {"B_GRIP",        server_b_grip,       NONE,                NONE,           CMD_FLAG_TURN_INPUT},
    {"GRAB",          server_grab,         replay_grab,         NONE,           CMD_FLAG_FRAME_STATE},
    {"SIZE",          server_size,         NONE,                NONE,           CMD_FLAG_FRAME_STATE},
    {"JOINT",         server_joint,        replay_joint,        NONE,           CMD_FLAG_TURN_INPUT},
    {"B_JOINT",       server_b_joint,      NONE,                NONE,           CMD_FLAG_TURN_INPUT},
    {"READY",         server_ready,        NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"BATCH",         server_batch,        NONE,                NONE,           CMD_FLAG_TURN_INPUT},
    {"GAME",          server_game,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"LOST",          server_lost,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"BODCOL",        line_bodcol,         line_bodcol,         NONE,           CMD_FLAG_TEXT_LINE},
    {"GRADCOL1",      line_gradcol1,       line_gradcol1,       NONE,           CMD_FLAG_TEXT_LINE},
    {"GRADCOL2",      line_gradcol2,       line_gradcol2,       NONE,           CMD_FLAG_TEXT_LINE},
    {"JFORCE",        line_jforce,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"JRELAX",        line_jrelax,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"JREPLAY",       line_jreplay,        NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"TRAILCOL",      line_trailcol,       line_trailcol,       NONE,           CMD_FLAG_TEXT_LINE},
    {"ITEM",          line_item,           line_item,           NONE,           CMD_FLAG_TEXT_LINE},
    {"DECAL",         line_decal,          line_decal,          NONE,           CMD_FLAG_TEXT_LINE},
    {"TEXT",          server_no_action,    line_text,           NONE,           CMD_FLAG_TEXT_LINE},
    {"SIG",           line_sig,            NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"BELTNAME",      line_beltname,       NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"GHOST",         server_ghost,        NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"MONEY",         server_money,        NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"TEXBODY",       line_texbody,        NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"BMAPBODY",      line_bmapbody,       NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"TEXJOINT",      line_texjoint,       NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"BMAPJOINT",     line_bmapjoint,      NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"TEXTRAIL",      line_textrail,       NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"TEXGROUND",     line_texground,      NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"UGC",           server_ugc,          NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"ECHO",          server_echo,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"KAELMUND",      server_kaelmund,     NONE,                lobby_kaelmund, CMD_FLAG_TEXT_LINE},
    {"SERVER",        NONE,                NONE,                lobby_server,   CMD_FLAG_TEXT_LINE},
    {"DISCONNECT",    server_disconnect,   NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"KICK",          server_kick,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"FIGHT",         NONE,                replay_fight,        NONE,           CMD_FLAG_TEXT_LINE},
    {"FIGHTNAME",     NONE,                replay_fightname,    NONE,           CMD_FLAG_TEXT_LINE},
    {"FRAME",         server_frame,        replay_frame,        NONE,           CMD_FLAG_TEXT_LINE},
    {"AUTHOR",        NONE,                replay_author,       NONE,           CMD_FLAG_TEXT_LINE},
    {"VERSION",       NONE,                replay_version,      NONE,           CMD_FLAG_TEXT_LINE},
    {"INFO",          server_no_action,    NONE,                lobby_info,     CMD_FLAG_TEXT_LINE},
    {"CLIENTS",       server_clients,      NONE,                lobby_clients,  CMD_FLAG_TEXT_LINE},
    {"FORWARD",       server_forward,      NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"DESC",          NONE,                NONE,                lobby_desc,     CMD_FLAG_TEXT_LINE},
    {"EMOTE",         server_emote,        replay_emote,        NONE,           CMD_FLAG_TEXT_LINE},
    {"CAM",           NONE,                replay_cam,          NONE,           CMD_FLAG_TEXT_LINE},
    {"FLAME0",        line_flame0,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"FLAME1",        line_flame1,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"FLAME2",        line_flame2,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"FLAME3",        line_flame3,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"FLAME4",        line_flame4,         NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"P_ENV",         server_p_env,        replay_p_env,        NONE,           CMD_FLAG_FRAME_STATE | CMD_FLAG_BLOCK_FOLLOWS},
    {"EPOS",          NONE,                replay_epos,         NONE,           CMD_FLAG_FRAME_STATE},
    {"EQAT",          NONE,                replay_eqat,         NONE,           CMD_FLAG_FRAME_STATE},
    {"EANGVEL",       NONE,                replay_eangvel,      NONE,           CMD_FLAG_FRAME_STATE},
    {"ELINVEL",       NONE,                replay_elinvel,      NONE,           CMD_FLAG_FRAME_STATE},
    {"ANNOUNCE",      server_announce,     NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"RPG_STRENGTH",  line_rpg_strength,   line_rpg_strength,   NONE,           CMD_FLAG_TEXT_LINE},
    {"RPG_SPEED",     line_rpg_speed,      line_rpg_speed,      NONE,           CMD_FLAG_TEXT_LINE},
    {"RPG_DM_THRESH", line_rpg_dm_thresh,  line_rpg_dm_thresh,  NONE,           CMD_FLAG_TEXT_LINE},
    {"RPG",           line_rpg,            line_rpg,            NONE,           CMD_FLAG_TEXT_LINE},
    {"VAKOLOBBY",     server_no_action,    NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {"TEX",           server_no_action,    NONE,                NONE,           CMD_FLAG_TEXT_LINE},
    {nullptr,         NONE,                NONE,                NONE,           0},
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
    static CommandCursor cursors[CMD_SOURCES] = {{0, -1, 0}, {0, -1, 0}, {0, -1, 0}};
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
    if (r->flags & CMD_FLAG_BLOCK_FOLLOWS) {
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
