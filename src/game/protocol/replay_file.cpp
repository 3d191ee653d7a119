#include "game/protocol/replay_file.h"

#include <cstdio>
#include <cstring>

#include "app/base/bytes.h"
#include "app/base/data_dirs.h"
#include "app/base/options.h"
#include "app/base/text.h"
#include "app/base/utils.h"
#include "game/camera_keys.h"
#include "game/protocol/command_table.h"
#include "game/game_state.h"
#include "game/protocol/line_handlers_match.h"
#include "game/protocol/line_handlers_replay.h"
#include "game/mod_world.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "game/replay_buffer.h"
#include "net/records/custom_record.h"
#include "net/records/player_records.h"

const char *const KAELMUND_VERSION = "3.9-alpha2";

// The result comment lines of the replay file read last ("#SCORE", "#WIN"):
// a replay written again from a file keeps the result it was saved with,
// which its playback (from values rounded in the file) need not reproduce.
// Each holds the longest line the reader takes, without its line end.
static char g_file_score[REPLAY_LINE_SIZE + 1];
static char g_file_win[REPLAY_LINE_SIZE + 1];

// A name or text as one line: CR, LF and other control characters become
// blanks, so that no text can start a line of its own.
static const char *one_line(const char *text, char *dst, int size)
{
    int k = 0;
    for (const char *s = text ? text : ""; *s && k < size - 1; s++)
        dst[k++] = (unsigned char)*s < 0x20 || *s == 0x7f ? ' ' : *s;
    dst[k] = '\0';
    return dst;
}

static const char *fighter_name(int i, int use_bout_names, char *dst, int size)
{
    const char *name = use_bout_names ? get_bout(i)->name : get_player(i)->name;
    return one_line(name, dst, size);
}

static void write_frame(FILE *f, const ReplayFrame *rf, int n)
{
    bool any = false;
    for (int i = 0; i < n; i++)
        any = any || rf->change_count[i] != 0;
    if (any) {
        fprintf(f, "FRAME %i;", rf->frame);
        for (int i = 0; i < n; i++)
            fprintf(f, " %i", (int)rf->injury[i]);
        for (int i = 0; i < n; i++)
            fprintf(f, " %i", (int)rf->score[i]);
        fputc('\n', f);
    }
    for (int i = 0; i < n; i++) {
        const Player *p = get_player(i);
        if (!p || p->hidden || rf->change_count[i] == 0)
            continue;
        const uint32_t bits = rf->change_bits[i];
        bool joints = false;
        for (int j = 0; j < JOINT_COUNT; j++)
            joints = joints || rf->joint_states[i][j] != 0;
        if (joints) {
            fprintf(f, "JOINT %i;", i);
            for (int j = 0; j < JOINT_COUNT; j++)
                if (rf->joint_states[i][j] != 0)
                    fprintf(f, " %i %i", j, rf->joint_states[i][j]);
            fputc('\n', f);
        }
        if (rf->left_grip[i] != 0 || rf->right_grip[i] != 0)
            fprintf(f, "GRIP %i; %i %i\n", i, rf->left_grip[i], rf->right_grip[i]);
        if (bits & RF_POSITIONS) {
            fprintf(f, "POS %i;", i);
            for (int b = 0; b < BODY_COUNT; b++)
                fprintf(f, " %.8f %.8f %.8f", rf->positions[i][b][0], rf->positions[i][b][1], rf->positions[i][b][2]);
            fputc('\n', f);
        }
        if (bits & RF_ROTATIONS) {
            fprintf(f, "QAT %i;", i);
            for (int b = 0; b < BODY_COUNT; b++)
                fprintf(f, " %f %f %f %f", rf->rotations[i][b][0], rf->rotations[i][b][1], rf->rotations[i][b][2],
                        rf->rotations[i][b][3]);
            fputc('\n', f);
        }
        if (bits & RF_LINEAR_VEL) {
            fprintf(f, "LINVEL %i;", i);
            for (int b = 0; b < BODY_COUNT; b++)
                fprintf(f, " %f %f %f", rf->linear_vel[i][b][0], rf->linear_vel[i][b][1], rf->linear_vel[i][b][2]);
            fputc('\n', f);
        }
        if (bits & RF_ANGULAR_VEL) {
            fprintf(f, "ANGVEL %i;", i);
            for (int b = 0; b < BODY_COUNT; b++)
                fprintf(f, " %f %f %f", rf->angular_vel[i][b][0], rf->angular_vel[i][b][1], rf->angular_vel[i][b][2]);
            fputc('\n', f);
        }
        for (int pass = 0; pass < 2; pass++) {
            const int mark = pass == 0 ? JOINT_DISMEMBERED : JOINT_FRACTURED;
            if (!(bits & (pass == 0 ? RF_DISMEMBER : RF_FRACTURE)))
                continue;
            fprintf(f, "%s %i;", pass == 0 ? "CRUSH" : "FRACT", i);
            for (int j = 0; j < JOINT_COUNT; j++)
                if (rf->break_marks[i][j] == mark)
                    fprintf(f, " %i", j);
            fputc('\n', f);
        }
        if (bits & RF_EMOTE) {
            char emote[REPLAY_EMOTE_SIZE];
            fprintf(f, "EMOTE %i;%s\n", i, one_line(rf->emote[i], emote, sizeof emote));
        }
    }
    if (!rf->objects_valid)
        return;
    int objects = 0;
    for (int k = 0; k < ENV_OBJECT_COUNT; k++)
        objects += env_object_takes_state(k);
    if (objects == 0)
        return;
    static const char *const keys[4] = {"EPOS 0;", "EQAT 0;", "EANGVEL 0;", "ELINVEL 0;"};
    for (int line = 0; line < 4; line++) {
        char buf[REPLAY_LINE_SIZE];
        int len = snprintf(buf, sizeof buf, "%s", keys[line]);
        for (int k = 0; k < ENV_OBJECT_COUNT && len < (int)sizeof buf; k++) {
            if (!env_object_takes_state(k))
                continue;
            const double *v = line == 0 ? rf->object_pos[k] : line == 1 ? rf->object_rot[k]
                            : line == 2 ? rf->object_angular_vel[k] : rf->object_linear_vel[k];
            if (line == 1)
                len += snprintf(buf + len, sizeof buf - (size_t)len, " %.8f %.8f %.8f %.8f", v[0], v[1], v[2], v[3]);
            else
                len += snprintf(buf + len, sizeof buf - (size_t)len, " %.8f %.8f %.8f", v[0], v[1], v[2]);
        }
        fprintf(f, "%s\n", buf);
    }
}

static int write_replay_to(FILE *f, int use_bout_names)
{
    const WorldState *w = get_game_state();
    const GameGlobals *g = get_game_globals();
    const MatchRules *live = get_match_rules();
    const int n = fighter_count();
    char text[LONG_TEXT_SIZE];

    fprintf(f, "#!/usr/bin/kaelmund\n");
    fprintf(f, "#made with kaelmund-%s\n", KAELMUND_VERSION);
    if (g->replay_mode != 0 && g_file_score[0] && g_file_win[0]) {
        fprintf(f, "%s\n%s\n", g_file_score, g_file_win);
    } else {
        fprintf(f, "#SCORE %i", n > 0 ? (int)get_player(0)->score : 0);
        for (int i = 1; i < n; i++)
            fprintf(f, " %i", (int)get_player(i)->score);
        fprintf(f, "\n#WIN %i", w->result_kind);
        for (int k = 0; k < MAX_FIGHTERS; k++)
            if (w->winners[k] >= 0 && w->winners[k] < n)
                fprintf(f, " %s", fighter_name(w->winners[k], use_bout_names, text, sizeof text));
        fputc('\n', f);
    }
    fprintf(f, "VERSION %i\n", 0);
    fprintf(f, "FIGHTNAME 0; %s\n", one_line(g->fight_name, text, sizeof text));
    for (int i = 0; i < n; i++)
        fprintf(f, "BOUT %i; %s\n", i, fighter_name(i, use_bout_names, text, sizeof text));
    fprintf(f, "AUTHOR 0; %s\n", one_line(g->author, text, sizeof text));
    if (live->rpg)
        for (int i = 0; i < n; i++)
            fputs(format_rpg_message(i, get_rpg_stats(i)), f);
    if (live->engage_set) {
        char buf[REPLAY_LINE_SIZE];
        write_engage_lines(buf, sizeof buf, live);
        fputs(buf, f);
    }
    if (live->teams > 1) {
        char buf[REPLAY_LINE_SIZE];
        write_teams_line(buf, sizeof buf, live);
        fputs(buf, f);
    }
    const char *ng = make_newgame_line(g->network_mode, live);
    fputs(ng, f);
    if (!*ng || ng[strlen(ng) - 1] != '\n')
        fputc('\n', f);

    const int frames = w->frames_recorded < replay_frame_capacity() ? w->frames_recorded : replay_frame_capacity();
    for (int i = 0; i < frames; i++)
        if (const ReplayFrame *rf = get_replay_frame(i))
            write_frame(f, rf, n);

    for (int i = 0; i < camera_key_count(); i++) {
        const CameraKey *k = camera_key(i);
        if (i > 0 && k->frame == 0)
            break;
        fprintf(f, "CAM %i; %.2f %.2f %.2f %.2f %.2f %.2f\n", k->frame, k->pos[0], k->pos[1], k->pos[2], k->look[0],
                k->look[1], k->look[2]);
    }
    return ferror(f) ? 1 : 0;
}

int write_replay(const char *path, int use_bout_names)
{
    const char *name = data_path(path);
    FILE *f = replace_file_open(name);
    if (!f) {
        fprintf(stderr, "Unable to open %s\n", name);
        return 1;
    }
    write_replay_to(f, use_bout_names);   // a failed write stays in the stream's error flag
    if (replace_file_commit(f, name) != 0) {
        fprintf(stderr, "Unable to write %s\n", name);
        return 1;
    }
    return 0;
}

int write_new_replay(const char *path, int use_bout_names, char *final_name, int size)
{
    const char *name = data_path(path);
    FILE *f = replace_file_open(name);
    if (!f) {
        fprintf(stderr, "Unable to open %s\n", name);
        return 1;
    }
    write_replay_to(f, use_bout_names);
    if (new_file_commit(f, name, final_name, size) != 0) {
        fprintf(stderr, "Unable to write %s\n", name);
        return 1;
    }
    return 0;
}

// ---- autosave ----

// Appends text to dst within size, made safe as part of a file name as
// is_safe_path takes it: every byte but an ASCII letter, digit, '-', '_' or
// '.' (a server's player name may carry any), and a leading '.', become '_'.
static void append_safe(char *dst, int size, const char *text, bool first)
{
    int len = (int)strlen(dst);
    for (const char *s = text; *s && len < size - 1; s++, len++) {
        const unsigned char c = (unsigned char)*s;
        const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '_' || c == '.';
        const bool bad = !word || (first && s == text && c == '.');
        dst[len] = bad ? '_' : (char)c;
    }
    dst[len] = '\0';
}

int autosave_name(char *dst, int size)
{
    const int n = fighter_count();
    for (int i = 0; i < n; i++)
        if (get_player(i)->name[0] == '\0')
            return 1;
    n_strncpyz(dst, "autosave/", size);
    append_safe(dst, size, get_player(0)->name, true);
    for (int i = 1; i < n; i++) {
        append_safe(dst, size, "_vs_", false);
        append_safe(dst, size, get_player(i)->name, false);
    }
    char num[64];
    if (n <= 2) {
        snprintf(num, sizeof num, "-%.0f", n > 1 ? (double)get_player(1)->injury : 0.0);
        append_safe(dst, size, num, false);
        snprintf(num, sizeof num, "_%.0f", (double)get_player(0)->injury);
        append_safe(dst, size, num, false);
    } else {
        for (int i = 0; i < n; i++) {
            snprintf(num, sizeof num, i == 0 ? "-%.0f" : "_%.0f", (double)get_player(i)->score);
            append_safe(dst, size, num, false);
        }
    }
    const int len = (int)strlen(dst);
    if (len + 4 < size)
        strcat(dst, ".rpl");
    else if (size >= 5)
        memcpy(dst + size - 5, ".rpl", 5);
    return 0;
}

int save_replay(void)
{
    if (!option_get(OPT_AUTOSAVE))
        return 0;
    char name[REPLAY_PATH_SIZE];
    if (autosave_name(name, sizeof name) != 0) {
        show_message("Failed to save replay. players struct lack names");
        return 1;
    }
    set_fight_name("vs");
    ensure_parent_dirs(data_path(name));
    // Two matches with the same fighters and result have the same name:
    // the later one gets a counter rather than replacing the first.
    char saved[REPLAY_PATH_SIZE + 16];
    const int r = write_new_replay(name, 0, saved, sizeof saved);
    if (r != 0) {
        show_message(va_format("Failed to save replay to %s error %i", name, r));
        return 1;
    }
    show_message(va_format("> %s", saved));
    return 0;
}

void replay_file_forget_result(void) { g_file_score[0] = g_file_win[0] = '\0'; }

// ---- reading ----

static void keep_result_line(const char *line, int len)
{
    char *dst = nullptr;
    if (len >= 7 && strncmp(line, "#SCORE ", 7) == 0)
        dst = g_file_score;
    else if (len >= 4 && strncmp(line, "#WIN", 4) == 0 && (len == 4 || line[4] == ' ' || line[4] == '\r'))
        dst = g_file_win;
    if (!dst)
        return;
    while (len > 0 && (line[len - 1] == '\n' || line[len - 1] == '\r'))
        len--;
    if (len > REPLAY_LINE_SIZE)   // the reader drops longer lines before they get here
        len = REPLAY_LINE_SIZE;
    memcpy(dst, line, (size_t)len);
    dst[len] = '\0';
}

int read_replay_file(const char *path)
{
    const char *name = data_path(path);
    FILE *f = fopen_regular(name, "rb");
    if (!f) {
        fprintf(stderr, "Unable to open %s\n", name);
        return 1;
    }
    truncate_replay(0);
    clear_all_customs();
    camera_keys_clear();
    replay_reader_reset();
    g_file_score[0] = g_file_win[0] = '\0';
    CommandCursor cursor;
    command_cursor_reset(&cursor);

    // One line, or one block, at a time; a line longer than the buffer is
    // dropped whole.
    static char buf[CMD_BLOCK_MAX_WORDS * 4 + 4];
    int len = 0;
    bool too_long = false;
    int c;
    for (;;) {
        if (cursor.pending) {
            unsigned char head[4];
            const size_t got = fread(head, 1, 4, f);
            if (got < 4)
                break;
            const int32_t count = (int32_t)le32_at(head, got, 0);
            memcpy(buf, head, 4);
            int bytes = 4;
            if (count >= 1 && count <= CMD_BLOCK_MAX_WORDS)
                bytes += (int)fread(buf + 4, 1, (size_t)(count - 1) * 4, f);
            // parse_cmd refuses a bad count or a block cut by the end of the
            // file, and clears the pending flag either way.
            parse_cmd(CMD_SOURCE_REPLAY, buf, bytes, &cursor);
            cursor.pending = 0;
            continue;
        }
        c = fgetc(f);
        if (c == EOF || c == '\n' || c == '\0') {
            if (c == '\n' && !too_long && len < REPLAY_LINE_SIZE + 1)
                buf[len++] = '\n';
            if (too_long) {
                fprintf(stderr, "Replay line longer than %d characters dropped\n", REPLAY_LINE_SIZE);
            } else if (len > 0 && !(len == 1 && buf[0] == '\n') && !(len == 2 && buf[0] == '\r')) {
                buf[len] = '\0';
                if (buf[0] == '#')
                    keep_result_line(buf, len);
                parse_cmd(CMD_SOURCE_REPLAY, buf, len, &cursor);
            }
            len = 0;
            too_long = false;
            if (c == EOF)
                break;
            continue;
        }
        if (too_long)
            continue;
        // A line holds at most REPLAY_LINE_SIZE characters; only a CR may
        // still come after them, before the LF.
        if (len > REPLAY_LINE_SIZE || (len == REPLAY_LINE_SIZE && c != '\r')) {
            too_long = true;
            continue;
        }
        buf[len++] = (char)c;
    }
    fclose(f);
    WorldState *w = get_game_state();
    w->frames_recorded = replay_reader_frame_index() + 1;
    w->play_frame = 0;
    release_scratch_rules();
    return 0;
}
