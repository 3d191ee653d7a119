// Seeded mutation fuzzing of parse_cmd: mutated lines of every keyword and
// mutated binary blocks from every source, then a check that every record
// the handlers fill is still in range.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/base/text.h"
#include "game/protocol/command_table.h"
#include "game/game_state.h"
#include "game/match_rules.h"
#include "game/match_start.h"
#include "game/protocol/line_handlers_match.h"
#include "game/camera_keys.h"
#include "game/joints.h"
#include "game/replay_buffer.h"
#include "game/protocol/replay_file.h"
#include "game/protocol/line_handlers_replay.h"
#include "game/turn_cycle.h"
#include "game/turn_control.h"
#include "game/received_state.h"
#include "game/world_build.h"
#include "game/ghost.h"
#include "gui/services/chat_log.h"
#include "net/records/bout_list.h"
#include "net/records/custom_record.h"
#include "net/records/player_records.h"
#include "net/records/server_list.h"
#include "support/test_support.h"

namespace {

// Units of input (lines and blocks) in the default run: straight through
// parse_cmd, and inside replay files through the replay reader; together
// 1,000,000. `make fuzz` runs KX_FUZZ_SCALE times as many.
constexpr long FUZZ_ITERATIONS = 900000;
constexpr long REPLAY_FILE_UNITS = 100000;
// Inputs that are read and then played on: the game ticks after each.
constexpr long PLAYED_INPUTS = 24;

long fuzz_iterations() { return FUZZ_ITERATIONS * kxtest::fuzz_scale(); }

// Arguments that look like what each kind of row carries.
const char *sample_args[] = {
    "1 5 2 7 20 124", "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20", "0.5 0.25 -1.0 1e300 nan inf 3",
    "17 2500 3 120 1 0 kaelfan 9", "ann\tbob\tcyd", "10.0.0.1:20184 dojo", "3 8", "skull.png", "hello there",
    "110 40 95 100 120 90", "", "set matchframes 500",
    "100 10 0 0 0 classic.kxm 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21", "0 5 12 3 0.5 1.5 2.5",
    "0 1 0 0 0 1.0 2.0 3.0 7", "1 0 1 0 1 10 20 30 40 0.5 0.5 0.5 1 1 1 9", " 1.0 2.0 0.5 0 0 180",
    "0.5 0.5 0.5 0.5 1 0 0 0 0.7 0.7 0 0 1e-300 -0 0 1 0 0 0 1", "300 19", " -1", "vs kaelfan zudfan",
};

const char *extreme_numbers[] = {"-1", "0", "1", "2", "20", "21", "31", "32", "255", "256", "512", "513",
                                 "2147483647", "2147483648", "-2147483649", "99999999999999999999",
                                 "0x7fffffff", "0xffffffff", "-0", "010", "+5"};

template <typename T, size_t N> const T &pick(std::mt19937 &rng, T (&table)[N]) { return table[rng() % N]; }

std::string random_bytes(std::mt19937 &rng, int n)
{
    static const char pool[] = " \t\r\n;#0123456789-+xAZaz.\\/%\xc3\xa9\x80\xff";
    std::string s;
    for (int i = 0; i < n; i++)
        s += (rng() % 4 == 0) ? (char)(rng() & 0xff) : pool[rng() % (sizeof pool - 1)];
    return s;
}

std::string seed_line(std::mt19937 &rng)
{
    const CommandRow *t = command_table();
    int row = (int)(rng() % COMMAND_TABLE_ROWS);
    // A NEWGAME line starts a whole match (the world is rebuilt, the fighters
    // placed, the frame cache cleared) in two columns now: seed it a 32nd as
    // often as other rows so the run stays short.
    if (row == 0 && rng() % 32 != 0)
        row = 1 + (int)(rng() % (COMMAND_TABLE_ROWS - 1));
    std::string line = t[row].keyword;
    line += " ";
    line += pick(rng, extreme_numbers);
    line += ";";
    line += pick(rng, sample_args);
    line += "\n";
    return line;
}

// Arguments that attack the values: extreme, non-finite and zero numbers
// (zero quaternions), huge and negative indexes.
const char *hostile_args[] = {
    "1e308 -1e308 1e308 1e308 -1e308 1e308 1e308", "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0", "1e-320 1e-320 1e-320",
    "nan nan nan nan", "1 nan 2 inf 3 -inf", "-2147483648 2147483647 -1 21 20 99999", "1e5 1e5 1e5 1 0 0 0",
    "0 0 0 0 1e200 1e200 1e200 1e200", "1.7976931348623157e308 4.9e-324 -0 0", "999 2 -999 1",
};

// A line of any keyword but NEWGAME with a few hostile arguments.
std::string hostile_line(std::mt19937 &rng)
{
    std::string line = command_table()[1 + rng() % (COMMAND_TABLE_ROWS - 1)].keyword;
    line += " " + std::string(rng() % 2 ? pick(rng, extreme_numbers) : rng() % 2 ? "0" : "1") + ";";
    for (int k = 1 + (int)(rng() % 12); k > 0; k--)
        line += std::string(pick(rng, hostile_args)) + " ";
    return line + "\n";
}

void mutate(std::mt19937 &rng, std::string &s)
{
    int edits = 1 + (int)(rng() % 4);
    for (int e = 0; e < edits; e++) {
        size_t pos = s.empty() ? 0 : rng() % (s.size() + 1);
        switch (rng() % 9) {
        case 0: if (!s.empty() && pos < s.size()) s[pos] = (char)(rng() & 0xff); break;
        case 1: s.insert(pos, random_bytes(rng, 1 + (int)(rng() % 8))); break;
        case 2: if (pos < s.size()) s.erase(pos, 1 + rng() % 16); break;
        case 3: if (pos < s.size()) s.insert(pos, s.substr(pos, 1 + rng() % 32)); break;
        case 4: s.insert(pos, pick(rng, extreme_numbers)); break;
        case 5: s.insert(pos, std::string(1 + rng() % 3000, "x\tA;"[rng() % 4])); break;
        case 6: s.resize(pos); break;
        case 7: s.insert(pos, " "); break;
        case 8: if (pos < s.size()) s[pos] = '\0'; break;
        }
    }
}

std::string random_block(std::mt19937 &rng)
{
    int32_t count;
    switch (rng() % 6) {
    case 0: count = 64; break;
    case 1: count = 85; break;
    case 2: count = 1 + (int32_t)(rng() % 512); break;
    case 3: count = (int32_t)rng(); break;
    case 4: count = 0; break;
    default: count = 513 + (int32_t)(rng() % 100); break;
    }
    int words = (count >= 1 && count <= 600) ? count : 1 + (int)(rng() % 16);
    if (rng() % 4 == 0)
        words = (int)(rng() % (words + 2));
    std::string out;
    for (int i = 0; i < words; i++) {
        uint32_t w = i == 0 ? (uint32_t)count : (uint32_t)rng();
        for (int b = 0; b < 4; b++)
            out += (char)((w >> (8 * b)) & 0xff);
    }
    if (rng() % 5 == 0 && !out.empty())
        out.resize(rng() % out.size());   // cut inside a word
    return out;
}

template <typename T> bool in(T v, T lo, T hi) { return v >= lo && v <= hi; }

bool terminated_one_line(const char *s, int size) { return memchr(s, 0, (size_t)size) && !strpbrk(s, "\r\n"); }

// The replay frames the replay column fills, and the reader's position.
void expect_replay_in_range()
{
    const WorldState *w = get_game_state();
    ASSERT_TRUE(w->frames_recorded >= 0 && w->frames_recorded <= replay_frame_capacity());
    ASSERT_TRUE(replay_reader_frame_index() >= 0 && replay_reader_frame_index() < replay_frame_capacity());
    ASSERT_TRUE(camera_key_count() >= 0 && camera_key_count() <= CAMERA_KEYS);
    for (int k = 0; k < replay_frame_capacity(); k++) {
        const ReplayFrame *rf = get_replay_frame(k);
        ASSERT_TRUE(rf != nullptr);
        for (int i = 0; i < MAX_FIGHTERS; i++) {
            ASSERT_TRUE(memchr(rf->emote[i], 0, REPLAY_EMOTE_SIZE) != nullptr);
            ASSERT_TRUE(in<int>(rf->left_grip[i], GRIP_NONE, GRIP_RELEASE) &&
                        in<int>(rf->right_grip[i], GRIP_NONE, GRIP_RELEASE) && rf->change_count[i] >= 0);
            for (int j = 0; j < JOINT_COUNT; j++)
                ASSERT_TRUE(in<int>(rf->joint_states[i][j], MOTOR_NONE, MOTOR_RELAX) &&
                            in<int>(rf->break_marks[i][j], 0, JOINT_FRACTURED));
            for (int b = 0; b < BODY_COUNT; b++)
                for (int c = 0; c < 3; c++)
                    ASSERT_TRUE(std::isfinite(rf->positions[i][b][c]) && std::isfinite(rf->linear_vel[i][b][c]) &&
                                std::isfinite(rf->angular_vel[i][b][c]));
        }
    }
}

void expect_records_in_range()
{
    for (int p = 0; p < CUSTOM_PLAYERS; p++) {
        const CustomRecord *r = get_custom_record(p);
        const int last = CUSTOM_COLOR_ROWS - 1;
        for (int i = 0; i < CUSTOM_BODY_PARTS; i++)
            ASSERT_TRUE(in<int>(r->body_color[i], 0, last) && in<int>(r->grad_color1[i], 0, last) &&
                        in<int>(r->grad_color2[i], 0, last) && in<int>(r->tex_body[i], 0, 1) &&
                        in<int>(r->bmap_body[i], 0, 1));
        for (int j = 0; j < CUSTOM_JOINTS; j++)
            ASSERT_TRUE((r->tex_joint[j] | r->bmap_joint[j]) <= 1 && r->tex_joint[j] >= 0 && r->bmap_joint[j] >= 0);
        for (int c : {r->force_color, r->relax_color, r->replay_color})
            ASSERT_TRUE(in(c, 0, last));
        for (int t = 0; t < CUSTOM_TRAILS; t++)
            ASSERT_TRUE(in<int>(r->trail_color[t][0], 0, last) && in<int>(r->trail_color[t][1], 0, last));
        for (int i = 0; i < CUSTOM_ITEMS; i++)
            ASSERT_TRUE(in<int>(r->item_color[i], 0, last));
        ASSERT_TRUE(terminated_one_line(r->text, CUSTOM_TEXT_SIZE));
        ASSERT_TRUE(terminated_one_line(r->sig, CUSTOM_TEXT_SIZE));
        ASSERT_TRUE(terminated_one_line(r->belt_name, CUSTOM_BELT_SIZE));
        ASSERT_TRUE(terminated_one_line(r->decal, CUSTOM_NAME_SIZE));
        ASSERT_TRUE(r->decal[0] != '.' && !strchr(r->decal, '/') && !strchr(r->decal, '\\'));
        for (int f = 0; f < CUSTOM_FLAMES; f++)
            for (int i = 0; i < FLAME_PARAMS; i++)
                ASSERT_EQ(r->flame[f].value[i], (float)r->flame[f].raw[i] * flame_param_scale(i));
    }
    ASSERT_TRUE(bout_list_count() >= 0 && bout_list_count() <= BOUT_LINE_ENTRIES);
    for (int i = 0; i < BOUT_LINE_ENTRIES; i++)
        ASSERT_TRUE(memchr(get_bout_line(i)->name, 0, BOUT_LINE_NAME_SIZE) != nullptr);
    ASSERT_TRUE(get_spectator_count() >= 0 && get_spectator_count() <= BOUT_NAMES);
    for (int i = 0; i < BOUT_NAMES; i++)
        ASSERT_TRUE(memchr(get_bout_entry(0)->names[i], 0, BOUT_LIST_NAME_SIZE) != nullptr);
    ASSERT_EQ(get_ghost_buffer()->set == 0 || get_ghost_buffer()->set == 1, true);
    // The match the set-up rows started, and the fighters' received state.
    const WorldState *w = get_game_state();
    ASSERT_TRUE(w->players >= 1 && w->players <= MAX_FIGHTERS);
    ASSERT_EQ(get_game_globals()->built_players, 2 * w->players);
    const MatchRules *live = get_match_rules();
    ASSERT_TRUE(live->players >= 1 && live->players <= RULES_PLAYER_SLOTS);
    ASSERT_TRUE(memchr(live->mod, 0, sizeof live->mod) != nullptr);
    for (int i = 0; i < w->players; i++) {
        const Player *p = get_player(i);
        ASSERT_TRUE(p != nullptr);
        ASSERT_TRUE(memchr(p->name, 0, PLAYER_NAME_SIZE) && memchr(p->emote, 0, PLAYER_NAME_SIZE));
        for (int j = 0; j < JOINT_COUNT; j++)
            ASSERT_TRUE(in<int>(p->motor_wish[j], MOTOR_NONE, MOTOR_RELAX));
        ASSERT_TRUE(in<int>(p->grip_wish[0], GRIP_NONE, GRIP_RELEASE) && in<int>(p->grip_wish[1], GRIP_NONE, GRIP_RELEASE));
        const ReceivedState *r = get_received_state(i);
        ASSERT_TRUE(in(r->batch_index, 0, BATCH_COUNT - 1));
        for (int b = 0; b < BODY_COUNT; b++) {
            ASSERT_TRUE(std::isfinite(dBodyGetPosition(p->bodies[b])[0]));
            for (int c = 0; c < 3; c++)
                ASSERT_TRUE(std::isfinite(r->positions[b][c]) && std::isfinite(r->linear_vel[b][c]));
        }
    }
    expect_replay_in_range();
}

} // namespace

TEST(CommandFuzz, MutatedLinesAndBlocksFromEverySourceLeaveRecordsInRange)
{
    kxtest::TempDir dir;   // console commands from RUN lines write nowhere else
    kxtest::ScopedChdir cd(dir.path());
    ASSERT_EQ(init_game(), 0);   // the match the per-fighter rows write into
    auto rooms = std::make_unique<ServerList>();
    set_lobby_handler_target(rooms.get());
    CommandCursor cursors[CMD_SOURCES];
    for (CommandCursor &c : cursors)
        command_cursor_reset(&c);

    std::mt19937 rng(20240611u);
    const long iterations = fuzz_iterations();
    long blocks = 0, lines = 0, taken = 0;
    {
        kxtest::QuietStreams quiet(false);
        for (long i = 0; i < iterations; i++) {
            int source = (int)(rng() % CMD_SOURCES);
            CommandCursor *c = &cursors[source];
            std::string unit;
            if (c->pending && rng() % 8 != 0) {
                unit = random_block(rng);
                blocks++;
            } else {
                unit = seed_line(rng);
                if (rng() % 8 != 0)
                    mutate(rng, unit);
                lines++;
            }
            // Half the units end exactly where they end (no terminator after
            // the data), to catch reads past the length.
            std::vector<char> exact(unit.begin(), unit.end());
            int r;
            if (rng() % 2 && !exact.empty())
                r = parse_cmd(source, exact.data(), (int)exact.size(), c);
            else
                r = parse_cmd(source, unit.c_str(), (int)unit.size(), c);
            taken += r == 0;
            ASSERT_TRUE(c->pending == 0 || c->pending == 1);
            ASSERT_TRUE(c->row >= -1 && c->row < COMMAND_TABLE_ROWS);
            if (rooms->count() == SERVER_LIST_ENTRIES)
                rooms->clear();
            if (i % 4096 == 0)
                chat_clear_all();
        }
    }
    set_lobby_handler_target(nullptr);
    EXPECT_GT(blocks, 0);
    EXPECT_GT(lines, 0);
    // The mutations must leave most units readable, or the handlers are
    // never reached.
    EXPECT_GT(taken, iterations / 3);
    fprintf(stderr, "%ld units (%ld blocks), %ld taken\n", iterations, blocks, taken);
    expect_records_in_range();
    release_scratch_rules();
    for (int i = 0; i < SERVER_LIST_ENTRIES; i++) {
        RoomEntry e;
        if (rooms->copy_entry(i, &e) == 0) {
            ASSERT_TRUE(e.client_count >= 0 && e.client_count <= ROOM_CLIENTS);
            ASSERT_TRUE(terminated_one_line(e.desc, ROOM_DESC_SIZE));
            ASSERT_TRUE(memchr(e.address, 0, ROOM_WORD_SIZE) && memchr(e.name, 0, ROOM_WORD_SIZE));
        }
    }
    free_game();
}

namespace {

void tick(int n)
{
    for (int k = 0; k < n; k++)
        run_match_tick(0);
}

// A short headless match written as a replay, split into its lines: the
// seed of every fuzzed replay file.
std::vector<std::string> base_replay_lines()
{
    MatchRules r;
    fill_default_rules(0, &r);
    new_match(0, 0, &r, 0);
    set_player_name(0, "A");
    set_player_name(1, "B");
    for (int t = 0; t < 3; t++) {
        for (int j = 0; j < JOINT_COUNT; j++)
            fighter_set_joint_state(t % 2, j, 1 + (t + j) % 4);
        set_grip(1, L_HAND, GRIP_ON);
        set_player_emote(0, "fuzz", 5);
        start_turn_frames(10);
        tick(10);
    }
    EXPECT_EQ(write_replay("base.rpl", 0), 0);
    std::vector<std::string> lines;
    const std::string text = kxtest::read_file("base.rpl");
    for (size_t a = 0, b; (b = text.find('\n', a)) != std::string::npos; a = b + 1)
        lines.push_back(text.substr(a, b - a + 1));
    lines.push_back("CAM 4; 1.00 2.00 3.00 4.00 5.00 6.00\n");
    lines.push_back("EPOS 0; 1 2 3 4 5 6\n");
    lines.push_back("EQAT 0; 1 0 0 0 1 0 0 0\n");
    return lines;
}

const char *block_rows[] = {"P_POS", "P_QAT", "P_LINVEL", "P_ANGVEL", "P_ENV"};

// A line (or a result comment line) padded to the replay reader's limit,
// from one character below it to two above, its line end not counted.
std::string at_line_limit(std::mt19937 &rng, std::string line)
{
    static const char *const heads[] = {"#SCORE ", "#WIN ", "#WIN", "#"};
    if (rng() % 2)
        line = heads[rng() % 4];
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    line.resize(REPLAY_LINE_SIZE - 1 + rng() % 4, "9 x"[rng() % 3]);
    return line + (rng() % 2 ? "\r\n" : "\n");
}

size_t first_frame_line(const std::vector<std::string> &base)
{
    return std::find_if(base.begin(), base.end(), [](const std::string &l) { return l.rfind("FRAME ", 0) == 0; }) -
           base.begin();
}

// A replay file from the base replay with mutated, dropped, duplicated,
// foreign and hostile lines, blocks after P_ rows, CR LF line ends and a
// cut-off end. *units grows by the lines and blocks in it.
std::string fuzzed_replay(std::mt19937 &rng, const std::vector<std::string> &base, size_t first_frame, long *units)
{
    std::string file;
    const bool crlf = rng() % 4 == 0;
    // The header once, the frames three times: every file starts a match
    // (and clears its frame cache), so longer files keep the run short.
    std::vector<const std::string *> seeds;
    for (const std::string &seed : base)
        seeds.push_back(&seed);
    for (int copy = 0; copy < 2; copy++)
        for (size_t k = first_frame; k < base.size(); k++)
            seeds.push_back(&base[k]);
    for (const std::string *seed_ptr : seeds) {
        const unsigned pick = rng() % 32;
        if (pick == 0)
            continue;   // dropped
        std::string line = pick == 1 ? seed_line(rng) : pick == 2 ? hostile_line(rng) : *seed_ptr;
        if (pick < 10)
            mutate(rng, line);
        if (pick == 10)
            line = at_line_limit(rng, line);
        if (crlf && !line.empty() && line.back() == '\n')
            line.insert(line.size() - 1, "\r");
        file += line;
        (*units)++;
        if (rng() % 12 == 0) {
            file += block_rows[rng() % 5];
            file += " " + std::to_string((int)(rng() % 4) - 1) + ";\n";
            file += random_block(rng);
            *units += 2;
        }
    }
    if (rng() % 6 == 0)
        file.resize(rng() % (file.size() + 1));   // the end comes anywhere
    return file;
}

// The game goes on after an input: a loaded replay plays back for a while
// and is taken over, the preview of all fighters makes a short trail and
// replays it, then a turn is committed and played.
void play_on(std::mt19937 &rng)
{
    if (get_game_globals()->replay_mode != 0) {
        start_playback(0);
        tick(6 + (int)(rng() % 12));
        enter_edit_mode();
    }
    const int length = 3 + (int)(rng() % 10);
    set_ghost_speed_length(1.0f, length);
    start_ghost_all();
    tick(2 * length + 2);
    leave_ghost_mode();
    commit_turn(0);
    for (int k = 0; k < 30 && game_is_running(); k++)
        tick(1);
}

bool finite_n(const dReal *v, int n) { return std::all_of(v, v + n, [](dReal x) { return std::isfinite(x); }); }

void expect_bodies_finite(long input)
{
    for (int i = 0; i < get_game_globals()->built_players; i++)
        for (dBodyID b : get_player(i)->bodies)
            ASSERT_TRUE(finite_n(dBodyGetPosition(b), 3) && finite_n(dBodyGetLinearVel(b), 3) &&
                        finite_n(dBodyGetAngularVel(b), 3) && finite_n(dBodyGetQuaternion(b), 4))
                << "input " << input << ", record " << i;
}

} // namespace

// Reading a replay starts its match with the preview of fighter 0 set but
// its ghost off: the trail holds no pose for that ghost when the preview
// restarts it and the trail is replayed.
TEST(CommandFuzz, ReplayReadThenTickedReplaysTrailWithoutUnusablePoses)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    ASSERT_EQ(init_game(), 0);
    std::string text;
    for (const std::string &line : base_replay_lines())
        text += line;
    kxtest::write_file("match.rpl", text);
    ASSERT_EQ(read_replay_file("match.rpl"), 0);
    tick(GHOST_TRAIL_FRAMES + 20);
    EXPECT_TRUE(ghost_trail_complete());
    expect_bodies_finite(0);
    free_game();
}

// Replay files made from a real replay with mutated, dropped, duplicated,
// foreign and hostile lines, binary blocks after P_ rows (whole, short, cut,
// bad counts), CR LF line ends and cut-off ends, read by the replay reader.
TEST(CommandFuzz, MutatedReplayFilesReadWithRecordsInRange)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    ASSERT_EQ(init_game(), 0);
    const std::vector<std::string> base = base_replay_lines();
    ASSERT_GT(base.size(), 20u);
    const size_t first_frame = first_frame_line(base);
    ASSERT_LT(first_frame, base.size());

    std::mt19937 rng(20240612u);
    const long target = REPLAY_FILE_UNITS * kxtest::fuzz_scale();
    long units = 0, files = 0;
    {
        kxtest::QuietStreams quiet(false);
        while (units < target) {
            const std::string file = fuzzed_replay(rng, base, first_frame, &units);
            kxtest::write_file("fuzz.rpl", file);
            ASSERT_EQ(read_replay_file("fuzz.rpl"), 0);
            files++;
            if (files % 64 == 0) {
                expect_replay_in_range();
                chat_clear_all();
            }
        }
    }
    fprintf(stderr, "%ld replay files, %ld lines and blocks\n", files, units);
    expect_records_in_range();
    free_game();
}

// The whole game after hostile input: each fuzzed replay file and each batch
// of server lines (with the network hand-over of the state they carry) is
// played on; no input may end the program or leave a body not finite.
TEST(CommandFuzz, FuzzedReplaysAndServerLinesPlayOnWithFiniteBodies)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    ASSERT_EQ(init_game(), 0);
    const std::vector<std::string> base = base_replay_lines();
    CommandCursor cursor;
    command_cursor_reset(&cursor);
    std::mt19937 rng(20261207u);
    long units = 0;
    kxtest::QuietStreams quiet(false);
    for (long input = 0; input < PLAYED_INPUTS * kxtest::fuzz_scale(); input++) {
        if (input % 2 == 0) {
            kxtest::write_file("fuzz.rpl", fuzzed_replay(rng, base, first_frame_line(base), &units));
            ASSERT_EQ(read_replay_file("fuzz.rpl"), 0);
        } else {
            for (int k = 8 + (int)(rng() % 24); k > 0; k--) {
                std::string line = rng() % 4 ? hostile_line(rng) : seed_line(rng);
                if (rng() % 4 == 0)
                    mutate(rng, line);
                parse_cmd(CMD_SOURCE_SERVER, line.c_str(), (int)line.size(), &cursor);
            }
            for (int i = 0; i < get_game_state()->players; i++)
                apply_received_fighter_state(i);
            apply_received_env_state();
        }
        play_on(rng);
        expect_bodies_finite(input);
        if (HasFatalFailure())
            return;
    }
    free_game();
}

namespace {

// Lines a stand-in game server sends: the full set in the normal run, 
// KX_FUZZ_SCALE times as many under `make fuzz`.
constexpr long STAND_IN_LINES = 20000;

// Words of a server line: fighter, body, hand and joint numbers and their
// neighbours, the edges of 32-bit integers, and numbers that attack the
// physics (huge, tiny, not finite, zero).
const char *stand_in_words[] = {"0", "1", "2", "-1", "11", "12", "19", "20", "21", "3", "4", "2147483647",
                                "-2147483648", "4294967296", "1e308", "-1e308", "1e-320", "nan", "inf", "0.5",
                                "1", "-0", "1e5", "-1e5", "999999", "0.0001", "ann", "a:b*c?\xff"};

// A NEWGAME line of rules with hostile fields: the longest turns, a match of
// any length, a mod the engine cannot take as it stands.
std::string stand_in_newgame(std::mt19937 &rng)
{
    MatchRules r;
    fill_default_rules(rng() % 2, &r);
    const char *turns[] = {"2147483647", "10,2147483647", "0,0,-5", "1", "10"};
    rules_set_turnframes(&r, turns[rng() % 5]);
    const int32_t frames[] = {2147483647, 1, 0, -1, 60};
    r.matchframes = frames[rng() % 5];
    const char *mods[] = {"classic", "hostile_a.kxm", "hostile_b.kxm", "missing.kxm"};
    n_strncpyz(r.mod, mods[rng() % 4], sizeof r.mod);
    return make_newgame_line((int)(rng() % 3) - 1, &r);
}

// One hostile line of any keyword the server sends.
std::string stand_in_line(std::mt19937 &rng)
{
    const unsigned pick_row = rng() % 256;
    if (pick_row == 0)
        return stand_in_newgame(rng);
    std::string line;
    if (pick_row < 32) {
        // The rows that hold and move bodies, with a full set of values.
        const char *rows[] = {"GRAB", "POS", "QAT", "LINVEL", "ANGVEL", "BREAK", "DISCL"};
        line = rows[rng() % 7];
    } else {
        line = command_table()[1 + rng() % (COMMAND_TABLE_ROWS - 1)].keyword;
    }
    line += " " + std::string(rng() % 4 ? (rng() % 2 ? "0" : "1") : pick(rng, extreme_numbers)) + ";";
    const int words = (rng() % 3 == 0) ? 84 : 1 + (int)(rng() % 9);
    for (int k = 0; k < words; k++)
        line += std::string(" ") + pick(rng, stand_in_words);
    return line + "\n";
}

} // namespace

// Play against a stand-in game server: hostile lines of the protocol's
// keywords through the line dispatcher, the state they carry handed over
// and the match played on between them; nothing may end the program or
// leave a body not finite.
TEST(CommandFuzz, StandInServerLinesPlayOn)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    mkdir("data", 0755);
    mkdir("data/mod", 0755);
    kxtest::write_file("data/mod/hostile_a.kxm", "body head\nsides 100 100 100\njoint neck\nradius 1000\n");
    kxtest::write_file("data/mod/hostile_b.kxm", "body r_hand\nradius 1e-45\nthrust 1 1e30 0 0\ndensity 1e-30\n");
    ASSERT_EQ(init_game(), 0);
    CommandCursor cursor;
    command_cursor_reset(&cursor);
    std::mt19937 rng(20261208u);
    const long lines = STAND_IN_LINES * kxtest::fuzz_scale();
    long taken = 0;
    kxtest::QuietStreams quiet(true);
    for (long i = 0; i < lines; i++) {
        std::string line = stand_in_line(rng);
        if (rng() % 8 == 0)
            mutate(rng, line);
        taken += parse_cmd(CMD_SOURCE_SERVER, line.c_str(), (int)line.size(), &cursor) == 0;
        if (i % 128 == 127) {
            for (int f = 0; f < get_game_state()->players; f++)
                apply_received_fighter_state(f);
            apply_received_env_state();
            tick(1);
        }
        if (i % 4096 == 4095) {
            play_on(rng);
            expect_bodies_finite(i);
            if (HasFatalFailure())
                return;
            chat_clear_all();
        }
    }
    EXPECT_GT(taken, lines / 4);
    expect_bodies_finite(lines);
    free_game();
}
