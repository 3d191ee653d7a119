// Hand-written replay files: line ends, unknown or broken lines among good
// ones; the autosave name and emote lines.
#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>

#include "game/match_rules.h"
#include "game/match_start.h"
#include "game/replay_buffer.h"
#include "game/protocol/replay_file.h"
#include "game/turn_cycle.h"
#include "game/turn_control.h"
#include "support/test_support.h"
#include "world_fixture.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

class ReplayRead : public WorldTest {
protected:
    ReplayRead() : cd_(dir_.path()) {}

    // Header lines and the NEWGAME line of the single-play defaults.
    static std::string header()
    {
        MatchRules r;
        fill_default_rules(0, &r);
        const std::string ng = make_newgame_line(0, &r);
        return "#!/usr/bin/kaelmund\n#made with kaelmund-3.9-alpha2\n#SCORE 0 0\n#WIN 0\nVERSION 0\n"
               "FIGHTNAME 0; by hand\nBOUT 0; A\nBOUT 1; B\nAUTHOR 0; someone\n" +
               ng;
    }
    std::string read_and_write_again(const std::string &name, const std::string &text)
    {
        kxtest::write_file(name, text);
        EXPECT_EQ(read_replay_file(name.c_str()), 0);
        EXPECT_EQ(write_replay("again.rpl", 0), 0);
        return kxtest::read_file("again.rpl");
    }

    kxtest::TempDir dir_;
    kxtest::ScopedChdir cd_;
};

} // namespace

TEST_F(ReplayRead, CarriageReturnsReadTheSameAsLineFeeds)
{
    std::string pos;
    for (int k = 0; k < 63; k++)
        pos += " 0." + std::to_string(500 + k);
    const std::string body = header() + "FRAME 0; 0 0 0 0\nJOINT 0; 0 1 4 2\nGRIP 1; 1 0\nPOS 0;" + pos + "\nFRAME 10; 5 6 7 8\nEMOTE 1;hello there\nCRUSH 1; 4\n"
                             "FRACT 0; 7\nCAM 3; 1.00 2.00 3.00 4.00 5.00 6.00\n";
    const std::string lf = read_and_write_again("lf.rpl", body);
    const ReplayFrame f1 = *get_replay_frame(1);
    const std::string cr = read_and_write_again("crlf.rpl", std::regex_replace(body, std::regex("\n"), "\r\n"));
    EXPECT_EQ(cr, lf);
    EXPECT_EQ(get_game_state()->frames_recorded, 2);
    const ReplayFrame *rf = get_replay_frame(1);
    EXPECT_EQ(memcmp(rf, &f1, sizeof f1), 0);
    EXPECT_STREQ(rf->emote[1], "hello there");
    EXPECT_EQ(rf->break_marks[1][4], JOINT_DISMEMBERED);
    EXPECT_EQ(rf->break_marks[0][7], JOINT_FRACTURED);
    EXPECT_EQ(rf->injury[1], 6.0f);
    EXPECT_EQ(rf->score[1], 8.0f);
    EXPECT_STREQ(get_player(1)->name, "B");
    EXPECT_STREQ(get_game_globals()->author, "someone");
    // The lines written again hold what was read.
    EXPECT_NE(lf.find("EMOTE 1;hello there\n"), std::string::npos);
    EXPECT_NE(lf.find("FRACT 0; 7\n"), std::string::npos);
    EXPECT_NE(lf.find("JOINT 0; 0 1 4 2\n"), std::string::npos);
    EXPECT_NE(lf.find("CAM 3; 1.00 2.00 3.00 4.00 5.00 6.00\n"), std::string::npos);
    EXPECT_EQ(lf.find('\r'), std::string::npos);
}

TEST_F(ReplayRead, UnknownAndBrokenLinesAreReportedAndSkipped)
{
    const std::string text = header() + "FRAME 0; 0 0 0 0\n"
                                        "NOSUCHWORD 0; 1 2 3\n"       // no such keyword
                                        "just some words\n"           // no number, no semicolon
                                        "JOINT 9; 1 1\n"              // no such fighter
                                        "JOINT 0; 1 2 25 3 4 9\n"     // one good pair, two bad
                                        "GRIP 0; 1\n"                 // one grip only
                                        "CRUSH 1; 40 5\n"             // joint 40 does not exist
                                        "JOINT 1; 2 1\n" +
                             std::string(3000, 'x') + "\n"            // longer than any line
                             "FRAME 20; 1 1 1 1\nEMOTE 1;still reading\n";
    kxtest::write_file("broken.rpl", text);
    CaptureStderr();
    EXPECT_EQ(read_replay_file("nothing-here.rpl"), 1);
    ASSERT_EQ(read_replay_file("broken.rpl"), 0);
    const std::string err = GetCapturedStderr();
    EXPECT_NE(err.find("Unable to open nothing-here.rpl"), std::string::npos) << err;
    EXPECT_NE(err.find("parse_cmd no op found NOSUCHWORD"), std::string::npos) << err;

    EXPECT_EQ(get_game_state()->frames_recorded, 2);
    const ReplayFrame *f0 = get_replay_frame(0);
    EXPECT_EQ(f0->joint_states[0][1], 2);
    EXPECT_EQ(f0->joint_states[0][4], 0);
    EXPECT_EQ(f0->joint_states[1][2], 1);
    EXPECT_EQ(f0->left_grip[0], 0);
    EXPECT_EQ(f0->break_marks[1][5], JOINT_DISMEMBERED);
    EXPECT_STREQ(get_replay_frame(1)->emote[1], "still reading");
    EXPECT_EQ(get_replay_frame(1)->frame, 20);
}

// The autosave name is made of the fighters' names and injuries, with the
// characters that would leave the folder replaced; an emote never carries a
// line end into the file.
TEST_F(ReplayRead, AutosaveNameAndEmotesStayOneLine)
{
    set_player_name(0, ".x/y\\z");
    set_player_name(1, "B");
    get_player(0)->injury = 300;
    get_player(1)->injury = 1200;
    char name[256];
    ASSERT_EQ(autosave_name(name, sizeof name), 0);
    EXPECT_STREQ(name, "autosave/_x_y_z_vs_B-1200_300.rpl");
    MatchRules r;
    fill_default_rules(0, &r);
    new_match(0, 0, &r, 0);
    set_player_emote(0, "hi\r\nFRAME 9;", 5);
    start_turn_frames(10);
    for (int k = 0; k < 10; k++)
        run_match_tick(0);
    ASSERT_EQ(write_replay("emote.rpl", 0), 0);
    const std::string text = kxtest::read_file("emote.rpl");
    EXPECT_EQ(text.find("\nFRAME 9;"), std::string::npos);
    EXPECT_NE(text.find("\nEMOTE 0;hi"), std::string::npos);
    EXPECT_EQ(read_and_write_again("emote.rpl", text), text);
}

// Result lines at the reader's limit of 2048 characters (line end not
// counted) are kept whole and written back as read, with either line end;
// one character more drops the line with a message, and the results are
// then written from the match. The padding is the name of a winner.
TEST_F(ReplayRead, ResultLinesAtTheLineLimitAreKeptWholeOrDropped)
{
    const std::string ng = header().substr(header().find("VERSION 0\n"));
    const std::string frames = "FRAME 0; 0 0 0 0\nJOINT 0; 0 1 4 2\n";
    for (const char *key : {"#SCORE 7 ", "#WIN 0 "}) {
        for (size_t length = REPLAY_LINE_SIZE - 1; length <= REPLAY_LINE_SIZE + 2; length++) {
            for (const char *end : {"\n", "\r\n"}) {
                SCOPED_TRACE(std::string(key) + std::to_string(length) + (end[0] == '\r' ? " CR LF" : " LF"));
                const std::string padded = key + std::string(length - strlen(key), '9');
                const bool score = key[1] == 'S';
                const std::string text = "#!/usr/bin/kaelmund\n" +
                                         (score ? padded + end + "#WIN 1 A\n" : "#SCORE 3 4\n" + padded + end) +
                                         ng + frames;
                CaptureStderr();
                const std::string again = read_and_write_again("long.rpl", text);
                const std::string err = GetCapturedStderr();
                const bool kept = length <= REPLAY_LINE_SIZE;
                EXPECT_EQ(again.find(padded + "\n") != std::string::npos, kept);
                EXPECT_EQ(err.find("Replay line longer than 2048 characters dropped") != std::string::npos, !kept)
                    << err;
                if (!kept) {
                    EXPECT_EQ(again.find("#SCORE 7"), std::string::npos);
                    EXPECT_NE(again.find("\n#SCORE 0 0\n#WIN "), std::string::npos);
                }
                EXPECT_NE(again.find("JOINT 0; 0 1 4 2\n"), std::string::npos);
            }
        }
    }
}
