#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <iterator>
#include <sys/stat.h>
#include <sstream>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "game/match_rules.h"
#include "support/test_support.h"

namespace {

MatchRules defaults(int set)
{
    MatchRules r{};
    fill_default_rules(set, &r);
    return r;
}

// The rule tests start in live play, no replay playing: a rule is locked
// only by a configuration lock, and none is set.
class LivePlay : public ::testing::Test {
protected:
    void SetUp() override { get_game_globals()->replay_mode = 0; }
};
class NewgameLine : public LivePlay {};
class MatchRulesKeys : public LivePlay {};

} // namespace

TEST_F(NewgameLine, EveryFieldHasItsOwnPlaceAndReadsBack)
{
    // Field n holds n, so a field written or read at another place shows.
    MatchRules r = defaults(0);
    int32_t *ints[] = {&r.matchframes, nullptr, &r.reactiontime, &r.opening_frames, &r.opening_turnframes,
                       &r.flags, &r.engagedistance, &r.damage, &r.sumo, nullptr, &r.carried_field_11,
                       &r.dojosize, &r.dismemberthreshold, &r.fracturethreshold, &r.engageheight,
                       &r.carried_field_16, &r.places, &r.hold_frame, &r.players, &r.engagerotation, &r.teams,
                       &r.engagespace, &r.dqtimeout, &r.carried_field_24, &r.dojotype};
    for (int field = 1; field <= 25; field++)
        if (ints[field - 1])
            *ints[field - 1] = field;
    rules_set_turnframes(&r, "2");
    snprintf(r.mod, sizeof r.mod, "m10");
    r.gravity[0] = 26.5f;
    r.gravity[1] = 27.5f;
    r.gravity[2] = 28.5f;
    r.dqflag = 29;
    r.rpg = 30;
    const std::string head = "NEWGAME 0;1 2 3 4 5 6 7 8 9 m10 11 12 13 14 15 16 ";
    const std::string tail = " 22 23 24 25 26.500000 27.500000 28.500000 29 30\n";
    std::string line = make_newgame_line(0, &r);
    EXPECT_EQ(line, head + "17 18 19 20 21" + tail);
    MatchRules back{};
    ASSERT_EQ(parse_newgame_line(line.substr(line.find(';') + 1).c_str(), &back), NEWGAME_FIELD_COUNT);
    // Read back, only the counts of the two player slots are clamped.
    EXPECT_EQ(make_newgame_line(0, &back), head + "1 18 2 20 0" + tail);
}

// Lines of the older formats end before the gravity (25 fields) or the
// disqualification flag (26): the mod then gives them.
TEST_F(NewgameLine, ShortLinesRaiseTheOldFormatFlags)
{
    MatchRules r = defaults(0);
    const std::string full = make_newgame_line(0, &r);
    std::istringstream in(full.substr(full.find(';') + 1));
    std::vector<std::string> words{std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
    const struct { int fields; bool gravity, dqflag; } cases[] = {{25, true, true}, {26, false, true}, {27, false, false}};
    for (const auto &c : cases) {
        std::string line;
        for (int i = 0; i < c.fields; i++)
            line += (i ? " " : "") + words[i];
        MatchRules back{};
        EXPECT_EQ(parse_newgame_line(line.c_str(), &back), c.fields);
        EXPECT_EQ(rules_gravity_from_mod(), c.gravity) << c.fields;
        EXPECT_EQ(rules_dqflag_from_mod(), c.dqflag) << c.fields;
    }
    // Missing fields keep the single-player defaults.
    MatchRules back{};
    EXPECT_EQ(parse_newgame_line("300 7,8", &back), 2);
    EXPECT_EQ(back.matchframes, 300);
    EXPECT_EQ(back.turnframe_count, 2);
    EXPECT_EQ(back.flags, 2);
    EXPECT_FLOAT_EQ(back.gravity[2], -9.82f);
    EXPECT_EQ(parse_newgame_line("", &back), 0);
    EXPECT_EQ(back.matchframes, 500);
}

TEST_F(NewgameLine, ReplayPlaybackLocksTheFieldsItRead)
{
    get_game_globals()->replay_mode = 1;
    MatchRules r = defaults(0);
    EXPECT_EQ(parse_newgame_line("777 5 0 0 0 2", &r), 6);
    EXPECT_EQ(set_rule("matchframes", "50", &r), 0);
    EXPECT_EQ(r.matchframes, 777);
    EXPECT_EQ(set_rule("flags", "9", &r), 0);
    EXPECT_EQ(r.flags, 2);
    EXPECT_EQ(set_rule("reactiontime", "9", &r), 0);    // field 3 locks nothing
    EXPECT_EQ(r.reactiontime, 9);
    EXPECT_EQ(set_rule("damage", "1", &r), 0);          // not read: not locked
    EXPECT_EQ(r.damage, 1);
    // The configuration locks do not apply during playback.
    rules_set_config_lock(RULE_DAMAGE, 1);
    EXPECT_EQ(set_rule("damage", "2", &r), 0);
    EXPECT_EQ(r.damage, 2);
    get_game_globals()->replay_mode = 0;
    EXPECT_EQ(set_rule("damage", "0", &r), 0);
    EXPECT_EQ(r.damage, 2);
    EXPECT_EQ(set_rule("matchframes", "50", &r), 0);
    EXPECT_EQ(r.matchframes, 50);
}

// Keys may be cut to their first two letters; numbers saturate and words
// read as 0; the rule flags are set one by one; a gravity that is not three
// finite numbers the world step can take gives the default gravity.
TEST_F(MatchRulesKeys, ShortKeysNumbersFlagsAndGravity)
{
    MatchRules r = defaults(0);
    EXPECT_EQ(set_rule("dt", "50", &r), 0);
    EXPECT_EQ(r.dismemberthreshold, 50);
    set_rule("su", "2", &r);
    EXPECT_EQ(r.sumo, 0);
    set_rule("mf", "abc", &r);
    EXPECT_EQ(r.matchframes, 0);
    set_rule("dqt", "99999999999", &r);
    EXPECT_EQ(r.dqtimeout, INT32_MAX);
    // No match is longer than the replay buffer can hold whole.
    set_rule("mf", "99999999999", &r);
    EXPECT_EQ(r.matchframes, MATCH_FRAMES_MAX);
    set_rule("mf", std::to_string(MATCH_FRAMES_MAX).c_str(), &r);
    EXPECT_EQ(r.matchframes, MATCH_FRAMES_MAX);
    MatchRules line_rules{};
    ASSERT_EQ(parse_newgame_line("99999999999 10", &line_rules), 2);
    EXPECT_EQ(line_rules.matchframes, MATCH_FRAMES_MAX);
    set_rule("fracture", "1", &r);
    set_rule("dq", "1", &r);
    EXPECT_EQ(r.flags, 2 | 8 | 1);
    set_rule("di", "2", &r);
    EXPECT_EQ(r.flags, 8 | 1);
    EXPECT_STREQ(get_rule_text("dismemberment", 0, &r), "0");
    EXPECT_STREQ(get_rule_text("fr", 0, &r), "1");
    set_rule("gr", "1 2 3", &r);
    EXPECT_STREQ(rules_to_text(RULE_GRAVITY, &r), "1.00 2.00 3.00");
    for (const char *bad : {"1 2", "nan inf 1", "0 1e30 0"}) {
        set_rule("gr", "1 2 3", &r);
        set_rule("gravity", bad, &r);
        EXPECT_STREQ(rules_to_text(RULE_GRAVITY, &r), "0.00 0.00 -9.82") << bad;
    }
    EXPECT_STREQ(get_rule_text("nosuchkey", 0, &r), "none");
    // Only the 24 match rules have a text: the server-side keys and the
    // reaction time above them give "none", as does any other index.
    set_rule("reactiontime", "20", &r);
    EXPECT_EQ(r.reactiontime, 20);
    EXPECT_STREQ(rules_to_text(RULE_RPG, &r), "0");
    for (int index : {24, 30, (int)RULE_REACTIONTIME, 32, -1})
        EXPECT_STREQ(rules_to_text(index, &r), "none") << index;
    set_rule("default", "multi", &r);
    EXPECT_EQ(r.matchframes, 120);
    set_rule("de", "anything", &r);
    EXPECT_EQ(r.matchframes, 500);
}

TEST_F(MatchRulesKeys, ModNames)
{
    kxtest::TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    MatchRules r = defaults(0);
    EXPECT_EQ(set_rule("mod", "missing.kxm", &r), 0);
    EXPECT_STREQ(r.mod, "classic");
    mkdir("data", 0755);
    mkdir("data/mod", 0755);
    kxtest::write_file("data/mod/arena.kxm", "# test mod\n");
    EXPECT_EQ(set_rule("mo", "arena.kxm", &r), 0);
    EXPECT_STREQ(r.mod, "arena.kxm");
    EXPECT_EQ(set_rule("mod", "classic", &r), 0);
    EXPECT_STREQ(r.mod, "classic");
    testing::internal::CaptureStderr();
    EXPECT_EQ(set_rule("mod", "", &r), 1);
    EXPECT_EQ(set_rule("mod", "two words.kxm", &r), 1);
    EXPECT_EQ(set_rule("mod", "../../etc/passwd", &r), 1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("refused"), std::string::npos);
    EXPECT_STREQ(r.mod, "classic");
}
