#include <cstring>
#include <string>
#include <vector>
#include "gui/services/centerprint.h"
#include "game/match_announce.h"
#include "game/match_bouts.h"
#include "rules_fixture.h"

static std::string cp_line(int k) { return centerprint_state()->lines[k]; }

class ResultTest : public RulesTest {
protected:
    void SetUp() override
    {
        RulesTest::SetUp();
        centerprint_clear();
        clear_match_bouts();
        get_match_rules()->matchframes = 100;
    }
    // Ends the match at its last frame with these scores.
    int end_with(float s0, float s1)
    {
        get_player(0)->score = s0;
        get_player(1)->score = s1;
        get_game_state()->frame = 100;
        return match_end_single();
    }
};

// End of a single-play match in the live step: at the last frame the
// scores, truncated toward zero, decide; the result is announced and counted.
TEST_F(ResultTest, LastFrameDecidesOnTruncatedScores)
{
    struct { float s0, s1; int kind, winner; const char *line; } cases[] = {
        {10.7f, 10.2f, RESULT_DRAW, -1, "DRAW!"},
        {-10.7f, -10.2f, RESULT_DRAW, -1, "DRAW!"},
        {10.7f, 11.2f, RESULT_BY_SCORE, 1, "zud  WINS !"},
        {3e20f, 4e20f, RESULT_BY_SCORE, 1, "zud  WINS !"},
        {-3e20f, 1.0f, RESULT_BY_SCORE, 1, "zud  WINS !"},
        {20.0f, 1.0f, RESULT_BY_SCORE, 0, "vako  WINS !"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.s0);
        free_game();
        SetUp();
        WorldState *w = get_game_state();
        get_player(0)->dq_start = 40;
        get_player(0)->dq_time = 7;
        get_player(1)->score = c.s1;
        get_game_state()->frame = 98;
        get_game_state()->frames_left = 4;
        // Not over before the last frame.
        get_player(0)->score = c.s0;
        EXPECT_EQ(step(), 0);
        EXPECT_EQ(w->frames_left, 4);
        get_player(0)->score = c.s0;
        get_player(1)->score = c.s1;
        EXPECT_EQ(step(), 1);
        EXPECT_EQ(std::vector<int>({w->result_kind, w->decision_frame, w->end_frame, w->frames_left}),
                  std::vector<int>({c.kind, 100, 100, 0}));
        if (c.kind == RESULT_DRAW) {   // a draw clears the disqualification timers
            EXPECT_EQ(get_player(0)->dq_start, 0);
            EXPECT_EQ(get_player(0)->dq_time, 0);
        }
        for (int i = 0; i < 2; i++) {
            EXPECT_EQ(w->winners[i], c.winner == i ? i : -1);
            EXPECT_EQ(w->losers[i], c.winner >= 0 && c.winner != i ? i : -1);
            EXPECT_EQ(w->wins[i], c.winner == i ? 1 : 0);
        }
        EXPECT_EQ(cp_line(0), c.line);
        EXPECT_EQ(cp_line(1), "");
        EXPECT_EQ(centerprint_active(), 1);
        if (c.winner >= 0) {
            EXPECT_EQ(get_game_globals()->selected_player, c.winner);
        } else {
            EXPECT_EQ(centerprint_state()->mode, 2);
            EXPECT_EQ(centerprint_state()->colour, 16);
            EXPECT_EQ(centerprint_state()->duration_ms, 3000u);
        }
    }
}

// Disqualification (with the rule, or a dojo alone) ends the match at once;
// the loser is the fighter shown. A lone fighter is not out at once.
TEST_F(ResultTest, DisqualificationEndsAtOnce)
{
    struct { int flags, dojo, players, dq0, dq1, over, winner; const char *l0, *l1; } cases[] = {
        {RULE_FLAG_DQ, 0, 2, 0, 1, 1, 0, "DISQUALIFIED!", "vako  WINS !"},
        {RULE_FLAG_DQ, 0, 2, 1, 1, 1, -1, "DISQUALIFIED!", "DRAW !"},
        {0, 200, 2, 1, 0, 1, 1, "DISQUALIFIED!", "zud  WINS !"},
        {RULE_FLAG_DQ, 0, 1, 0, 0, 0, -1, "", ""},
        {RULE_FLAG_DQ, 0, 1, 1, 0, 1, -1, "DISQUALIFIED!", "DRAW !"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.dq0 << c.dq1 << " players " << c.players);
        free_game();
        SetUp();
        WorldState *w = get_game_state();
        get_match_rules()->flags |= c.flags;
        get_match_rules()->dojosize = c.dojo;
        w->players = c.players;
        get_player(0)->disqualified = c.dq0;
        get_player(1)->disqualified = c.dq1;
        w->frame = 11;
        EXPECT_EQ(step(), c.over);
        EXPECT_EQ(cp_line(0), c.l0);
        EXPECT_EQ(cp_line(1), c.l1);
        if (!c.over)
            continue;
        EXPECT_EQ(w->result_kind, RESULT_BY_DQ);
        EXPECT_EQ(w->decision_frame, 12);
        for (int i = 0; i < 2; i++)
            EXPECT_EQ(w->winners[i], c.winner == i ? i : -1);
        if (c.dq0) {
            EXPECT_EQ(w->losers[0], 0);
        }
        if (c.winner >= 0) {
            EXPECT_EQ(get_game_globals()->selected_player, 1 - c.winner);
        }
    }
    // A lone fighter's match ends in a draw at its last frame.
    get_player(0)->disqualified = 0;
    get_game_state()->game_over = 0;
    get_game_state()->losers[0] = -1;
    EXPECT_EQ(end_with(5.0f, 0.0f), 1);
    EXPECT_EQ(get_game_state()->result_kind, RESULT_DRAW);
}

class NetworkResultTest : public ResultTest {
protected:
    void SetUp() override
    {
        ResultTest::SetUp();
        get_game_globals()->network_mode = 1;
        get_match_rules()->flags |= RULE_FLAG_DQ;
        const Bout bouts[2] = {{"vako", 11, 19, 1, 40, 0}, {"zud", 12, 30, 4, 25, 0}};
        for (int i = 0; i < 2; i++) {
            *get_bout(i) = bouts[i];
            get_player(i)->bout_id = bouts[i].server_id;
        }
        get_game_globals()->bouts_present = 2;
    }
};

// The server's result applies (once) in the live step of its frame, counts
// no local win, and is announced with the streak line when spectators watch.
TEST_F(NetworkResultTest, ServerResultAppliesInTheStepOfItsFrame)
{
    const int32_t winners[2] = {1, -1}, losers[2] = {0, -1};
    const float injuries[2] = {500, 20}, scores[2] = {20, 500};
    const double pos[2][3] = {{1.5, 2.5, 0.1}, {0, 0, 0}};
    struct { int kind, present; const char *lines[3]; } cases[] = {
        {RESULT_BY_SCORE, 2, {"zud  WINS !", "+25 QC, 20 games to Orange Belt", ""}},
        {RESULT_BY_SCORE, 3, {"zud  WINS !", "STREAK 4", "+25 QC, 20 games to Orange Belt"}},
        {RESULT_BY_DQ, 2, {"DISQUALIFIED!", "zud  WINS !", "+25 QC, 20 games to Orange Belt"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lines[1]);
        free_game();
        SetUp();
        get_game_globals()->bouts_present = c.present;
        const bool dq = c.kind == RESULT_BY_DQ;
        record_server_result(60, c.kind, winners, losers, dq ? nullptr : injuries, dq ? nullptr : scores,
                             dq ? pos : nullptr, 0);
        EXPECT_EQ(get_game_state()->decision_frame, 60);
        EXPECT_EQ(get_match_bout(1)->bout, 1);
        EXPECT_EQ(get_match_bout(1)->qi, 30);
        const int played = get_server_result()->matches_played;
        get_game_state()->frame = 58;
        EXPECT_EQ(step(), 0);
        EXPECT_EQ(step(), 1);
        const WorldState *w = get_game_state();
        EXPECT_EQ(w->winners[1], 1);
        EXPECT_EQ(w->wins[1], 0);
        EXPECT_EQ(get_server_result()->matches_played, played + 1);
        EXPECT_EQ(match_end_network(), 0);   // applied once
        for (int k = 0; k < 3; k++)
            EXPECT_EQ(cp_line(k), c.lines[k]) << k;
        if (dq) {
            EXPECT_EQ(get_server_result()->lost[0].mark, 1);
            EXPECT_EQ(get_player(0)->disqualified, 1);
            EXPECT_DOUBLE_EQ(w->impact_points[0][1], 2.5);
            EXPECT_EQ(get_ground_impact(0)->countdown, GROUND_IMPACT_COUNTDOWN);
        } else {
            EXPECT_FLOAT_EQ(get_player(0)->injury, 500.0f);
            EXPECT_FLOAT_EQ(get_player(1)->score, 500.0f);
        }
    }
}
