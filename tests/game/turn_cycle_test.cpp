// The turn and frame cycle: turn lengths, freezing and previews between
// turns, and what a tick does in each state.
#include <functional>
#include <string>
#include "app/base/clock.h"
#include "app/base/options.h"
#include "app/base/text.h"
#include "app/services/sound.h"
#include "game/game_callbacks.h"
#include "game/game_resets.h"
#include "game/joint_breaks.h"
#include "game/turn_control.h"
#include "game/protocol/command_table.h"
#include "game/protocol/replay_file.h"
#include "match_fixture.h"
#include "support/test_support.h"

// Ticks until the world waits again; returns the world steps that ran.
static int run_until_waiting()
{
    int steps = 0;
    for (int guard = 0; guard < 10000; guard++) {
        const WorldState *w = get_game_state();
        if (w->frames_left == 0 && (w->frozen || w->ghost_mode != 0))
            break;
        const int before = w->frame;
        run_match_tick(0);
        steps += get_game_state()->frame - before;
    }
    return steps;
}

// Turns take the entries of the rules' list in turn; an empty list, or an
// entry below 1, takes the nominal length; with neither a turn is one frame.
TEST_F(MatchTest, TurnLengthsComeFromTheListOrTheNominalLength)
{
    struct { std::vector<int> list; int nominal; std::vector<int> lengths; } cases[] = {
        {{10, 20, 30}, 10, {10, 20, 30, 10, 20}},
        {{}, 15, {15, 15}},
        {{0, -4}, 15, {15, 15}},
        {{}, 0, {1}},
    };
    for (const auto &c : cases) {
        MatchRules *r = get_match_rules();
        r->turnframe_count = (int)c.list.size();
        for (size_t k = 0; k < c.list.size(); k++)
            r->turnframe_list[k] = c.list[k];
        rules_set_nominal_turn_length(c.nominal);
        get_game_state()->turn_index = 0;
        std::vector<int> lengths;
        for (size_t t = 0; t < c.lengths.size(); t++) {
            start_turn_frames(0);
            lengths.push_back(run_until_waiting());
        }
        EXPECT_EQ(lengths, c.lengths);
        EXPECT_EQ(get_game_state()->turn_index, (int)c.lengths.size());
    }
}

// Ticks while frozen run nothing; a quiet step keeps recording but skips
// the physics and the frame cache.
TEST_F(MatchTest, QuietStepKeepsRecordingButSkipsPhysicsAndCache)
{
    WorldState *w = get_game_state();
    const std::vector<double> before = body_positions();
    for (int k = 0; k < 5; k++)
        run_match_tick(0);
    EXPECT_EQ(w->frame, 0);
    EXPECT_EQ(body_positions(), before);
    start_turn_frames(3);
    w->frames_left = 0;   // drive step_world directly
    fighter_set_joint_state(0, NECK, MOTOR_FWD);
    step_world(1);
    EXPECT_EQ(w->frame, 1);
    EXPECT_EQ(w->frames_recorded, 1);
    EXPECT_EQ(frame_cache_valid(0), 0u);
    EXPECT_EQ(body_positions(), before);
    step_world(0);
    EXPECT_EQ(frame_cache_valid(1), 1u);
    EXPECT_NE(body_positions(), before);
}

// A whole default match, played tick by tick in a run folder of its own,
// saves itself at its end under the fighters' names and injuries; the file
// reads back and plays.
TEST_F(MatchTest, FinishedMatchIsAutosavedAndPlaysBack)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    option_set(OPT_AUTOSAVE, 1);
    WorldState *w = get_game_state();
    for (int t = 0; !w->game_over && t < 200; t++)
        play_turn(t, 0);
    option_set(OPT_AUTOSAVE, 0);
    ASSERT_EQ(read_replay_file(va_format("autosave/vako_vs_zud-%.0f_%.0f.rpl", (double)get_player(1)->injury,
                                         (double)get_player(0)->injury)), 0);
    const int recorded = w->frames_recorded;
    ASSERT_GT(recorded, 40);
    start_playback(0);
    tick(get_replay_frame(recorded - 1)->frame + 1);
    EXPECT_EQ(w->play_frame, recorded);
}

namespace {
std::vector<int> g_played;   // channel * 100 + sound
int never_busy(int) { return 0; }
void set_volume(int, int) {}
void play(int channel, int sound, int) { g_played.push_back(channel * 100 + sound); }
const SoundBackend k_backend = {never_busy, set_volume, play};
} // namespace

// Breaks are heard as a turn ends (a break in its last step), on pause,
// resume and edit mode; a finished match plays game over (kept for the
// match shown again), or grading after a belt result.
TEST_F(MatchTest, TurnEndPauseEditAndMatchEndAreHeard)
{
    sound_set_backend(&k_backend);
    sound_cache_alloc();
    sound_enable();
    WorldState *w = get_game_state();
    start_turn_frames(3);
    tick(3);
    const std::function<void()> actions[] = {[] { tick(); }, [] { toggle_game_running(0); },
                                             [] { toggle_game_running(0); }, enter_edit_mode};
    for (int k = 0; k < 4; k++) {
        if (k == 1) {
            start_playback(0);
            tick();
        }
        break_joint(1, k, JOINT_FRACTURED);
        g_played.clear();
        actions[k]();
        EXPECT_EQ(g_played, std::vector<int>{600 + (k ? 22 : 47)}) << k;
    }
    for (int word : {0, 1}) {
        start_single_play_match();
        w->server_result = word;
        get_match_rules()->matchframes = 5;
        commit_turn(0);
        tick(5);
        EXPECT_EQ(g_played.back(), word ? 746 : 732);
        EXPECT_EQ(sound_cache_slot(5, 0)->sound == 32 || sound_cache_slot(5, 1)->sound == 32, word == 0);
        sound_cache_clear();
    }
}

namespace {
uint32_t g_now = 1000;
uint32_t test_clock() { return g_now; }
void server_line(const std::string &text)
{
    CommandCursor c;
    command_cursor_reset(&c);
    parse_cmd(CMD_SOURCE_SERVER, text.c_str(), (int)text.size(), &c);
}
int connected() { return 1; }
} // namespace

// A spectator's network match run by server lines alone: a turn starts once
// every fighter committed and the server's state for it is complete; that
// state is taken at the turn's end (with the frame the GAME line names),
// which also switches to holding the next frame for the server (the frame
// set_match_frame returns to); the time-out clears its deadline; a pending
// result stops the countdown.
TEST_F(MatchTest, NetworkTurnsFollowTheServerLines)
{
    clock_set_source(test_clock);
    game_callbacks()->net_connected = connected;
    WorldState *w = get_game_state();
    GameGlobals *g = get_game_globals();
    set_own_id(77);
    MatchRules r;
    fill_default_rules(1, &r);
    r.hold_frame = 1;
    server_line(make_newgame_line(0, &r));
    g->bouts_present = 2;
    const auto start_turn = [] { server_line("BATCH 0;-1\n"); server_line("BATCH 1;-1\n"); };
    const auto send_state = [](int frame) {
        for (int i = 0; i < 2; i++) {
            std::string pos = "POS " + std::to_string(i) + ";";
            for (int b = 0; b < BODY_COUNT; b++)
                pos += va_format(" 0 %d 1", b);
            server_line(pos + "\n");
            for (const char *key : {"QAT", "LINVEL", "ANGVEL", "CRUSH", "FRACT"})
                server_line(std::string(key) + " " + std::to_string(i) + ";\n");
        }
        server_line("GAME " + std::to_string(frame) + "; 0 0\n");
    };
    start_turn();
    tick();
    EXPECT_EQ(w->frames_left, 0);   // committed, but no state yet
    send_state(0);
    tick();
    ASSERT_GT(w->frames_left, 1);
    const int end = w->frame + w->frames_left - 1;
    server_line("GAME " + std::to_string(end) + "; 0 0\n");
    while (w->frames_left != 1)
        tick();
    tick();
    EXPECT_EQ(w->frame, end);
    EXPECT_EQ(dBodyGetPosition(get_player(1)->bodies[L_FOOT])[1], 20.0);
    EXPECT_EQ(get_record_mode(), RECORD_HOLD_FRAME);
    const int decision = w->net_decision_frame;
    EXPECT_EQ(decision, w->frame);
    g->selected_player = 0;
    g_now += r.reactiontime * 1000u + 1;
    tick();
    EXPECT_EQ(g->turn_deadline, 0u);

    send_state(end + 20);
    start_turn();
    tick(3);
    EXPECT_EQ(w->frames_recorded, 1);   // the first turn's only; now the held frame
    set_match_frame(decision);
    EXPECT_EQ(dBodyGetPosition(get_player(1)->bodies[L_FOOT])[1], get_held_frame()->positions[1][L_FOOT][1]);
    const int left = w->frames_left;
    server_line("WIN " + std::to_string(w->frame + 2) + "; 0 1 0 0 0\n");
    tick(2);
    EXPECT_EQ(w->frames_left, left);
    EXPECT_EQ(w->winners[1], 1);
    game_callbacks()->net_connected = nullptr;
}

// A body fracture event goes into the next stored frame, making one of its
// own when nothing else changed, and is then spent.
TEST_F(MatchTest, BodyFractureEventsAreRecordedOnce)
{
    start_turn_frames(3);
    tick(2);
    mark_body_fracture(1, R_THIGH);
    tick(2);
    ASSERT_EQ(get_game_state()->frames_recorded, 2);
    EXPECT_EQ(get_replay_frame(1)->body_breaks[1][R_THIGH], 1);
    EXPECT_EQ(get_replay_frame(1)->change_bits[1] & RF_BODY_FRACTURE, (uint32_t)RF_BODY_FRACTURE);
}

// A new single-play match opens on the first fighter's preview: a full pass
// of it leaves the live fighters where they stand, and the first turn after
// it breaks nothing.
TEST_F(MatchTest, OpeningPreviewLeavesTheLiveFightersStill)
{
    reset_game();
    ASSERT_NE(get_game_state()->ghost_mode, 0);
    const std::vector<double> before = body_positions();
    tick(150);
    EXPECT_EQ(body_positions(), before);
    commit_turn(0);
    tick(3);
    for (int i = 0; i < fighter_count(); i++)
        for (int j = 0; j < JOINT_COUNT; j++)
            EXPECT_EQ(get_player(i)->joints[j].broken, 0) << i << " " << j;
}

