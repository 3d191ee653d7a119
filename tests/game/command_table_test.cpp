// The line-command table and parse_cmd: rows, messages, comments, columns
// and binary blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/protocol/command_table.h"
#include "net/records/custom_record.h"
#include "support/test_support.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

int send(int source, const std::string &line, CommandCursor *cursor = nullptr)
{
    return parse_cmd(source, line.c_str(), (int)line.size(), cursor ? cursor : command_cursor(source));
}

std::string block_bytes(const std::vector<int32_t> &words)
{
    std::string out;
    for (int32_t w : words) {
        uint32_t u = (uint32_t)w;
        for (int i = 0; i < 4; i++)
            out += (char)((u >> (8 * i)) & 0xff);
    }
    return out;
}

// The customisation records the rows write start empty, and the cursors of
// every source wait for a line.
class CommandTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_all_customs();
        for (int source = 0; source < CMD_SOURCES; source++)
            command_cursor_reset(command_cursor(source));
    }
};

} // namespace

TEST_F(CommandTable, BadStartsAndUnknownKeywordsAreReported)
{
    CaptureStderr();
    EXPECT_EQ(send(CMD_SOURCE_SERVER, "BODCOL\n"), 1);
    EXPECT_EQ(send(CMD_SOURCE_SERVER, "BODCOL x;1 2\n"), 1);
    EXPECT_EQ(send(CMD_SOURCE_REPLAY, "\n"), 1);
    EXPECT_EQ(send(CMD_SOURCE_REPLAY, "NOSUCH 3;1 2\r\n"), 1);
    EXPECT_EQ(send(CMD_SOURCE_REPLAY, "bodcol 0;1 2\n"), 1);
    std::string err = GetCapturedStderr();
    EXPECT_EQ(err,
              "parse_cmd wrong start BODCOL\n"
              "parse_cmd wrong start BODCOL x;1 2\n"
              "parse_cmd wrong start \n"
              "parse_cmd no op found NOSUCH\n"
              "parse_cmd no op found bodcol\n");
    EXPECT_EQ(get_custom_record(0)->body_color[1], 0);
}

TEST_F(CommandTable, CommentsAreIgnoredAndLinesReachTheirColumn)
{
    CaptureStderr();
    EXPECT_EQ(send(CMD_SOURCE_REPLAY, "#BODCOL 0;1 5\n"), 0);
    EXPECT_EQ(send(CMD_SOURCE_REPLAY, "# anything at all\n"), 0);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(get_custom_record(0)->body_color[1], 0);

    EXPECT_EQ(send(CMD_SOURCE_SERVER, "BODCOL 0;1 5\n"), 0);
    EXPECT_EQ(send(CMD_SOURCE_REPLAY, "GRADCOL1 1;2 6\n"), 0);
    EXPECT_EQ(send(CMD_SOURCE_REPLAY, "GRADCOL2 1;3 7\n"), 0);
    EXPECT_EQ(get_custom_record(0)->body_color[1], 5);
    EXPECT_EQ(get_custom_record(1)->grad_color1[2], 6);
    EXPECT_EQ(get_custom_record(1)->grad_color2[3], 7);

    // JFORCE has only a game-server column: from a replay it is dropped
    // silently; the number is read as "%i" (0x hex allowed).
    CaptureStderr();
    EXPECT_EQ(send(CMD_SOURCE_REPLAY, "JFORCE 0;40\n"), 0);
    EXPECT_EQ(get_custom_record(0)->force_color, 0);
    EXPECT_EQ(send(CMD_SOURCE_SERVER, "JFORCE 0x1;40\n"), 0);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(get_custom_record(1)->force_color, 40);

    // TEXT: no action from the server, the player's text from a replay.
    send(CMD_SOURCE_SERVER, "TEXT 0;from server\n");
    EXPECT_STREQ(get_custom_record(0)->text, "");
    send(CMD_SOURCE_REPLAY, "TEXT 0;from replay\n");
    EXPECT_STREQ(get_custom_record(0)->text, "from replay");
    // A line without a semicolon hands no argument text.
    send(CMD_SOURCE_REPLAY, "TEXT 0 no semicolon\n");
    EXPECT_STREQ(get_custom_record(0)->text, "");
}

TEST_F(CommandTable, BlockRowsRaiseThePendingFlagAndTakeTheNextUnitAsTheBlock)
{
    CommandCursor c;
    command_cursor_reset(&c);
    for (const char *kw : {"P_QAT", "P_POS", "P_ANGVEL", "P_LINVEL", "P_ENV"}) {
        for (int source = 0; source < CMD_SOURCES; source++) {
            EXPECT_EQ(send(source, std::string(kw) + " 1;\n", &c), 0);
            EXPECT_EQ(c.pending, 1) << kw << " from source " << source;
            EXPECT_EQ(c.row, command_find(kw));
            EXPECT_EQ(c.number, 1);
            std::vector<int32_t> words(64, 0);
            words[0] = 64;
            EXPECT_EQ(send(source, block_bytes(words), &c), 0);
            EXPECT_EQ(c.pending, 0);
        }
    }
    // A P_POS line with no block behind it leaves the flag set: the next
    // unit, a text line here, is read as the block and refused as one, not
    // dispatched as a line.
    send(CMD_SOURCE_REPLAY, "P_POS 0;\n", &c);
    const std::string err = kxtest::stderr_of([&] { EXPECT_EQ(send(CMD_SOURCE_REPLAY, "BODCOL 0;4 9\n", &c), 1); });
    EXPECT_NE(err.find("parse_cmd bad block for P_POS"), std::string::npos);
    EXPECT_EQ(c.pending, 0);
    EXPECT_EQ(get_custom_record(0)->body_color[4], 0);
    // The line after it is a line again.
    EXPECT_EQ(send(CMD_SOURCE_REPLAY, "BODCOL 0;4 9\n", &c), 0);
    EXPECT_EQ(get_custom_record(0)->body_color[4], 9);
}

TEST_F(CommandTable, BlocksAreBoundedByTheirCountAndWhatArrived)
{
    int32_t words[CMD_BLOCK_MAX_WORDS];
    // Little-endian words assembled from bytes, at any alignment.
    std::string bytes = "x" + block_bytes({3, -2, 0x01020304});
    EXPECT_EQ(read_block_words(bytes.data() + 1, 12, words), 3);
    EXPECT_EQ(words[1], -2);
    EXPECT_EQ(words[2], 0x01020304);
    EXPECT_EQ(read_block_words(nullptr, 12, words), -1);
    std::vector<int32_t> big(CMD_BLOCK_MAX_WORDS + 1, 7);
    big[0] = CMD_BLOCK_MAX_WORDS + 1;
    std::vector<int32_t> most(big.begin(), big.end() - 1);
    most[0] = CMD_BLOCK_MAX_WORDS;
    // The count word against what arrived: {words, bytes given, result}.
    const struct { std::vector<int32_t> words; int size, result; } cases[] = {
        {{3, -2, 0x01020304}, 11, -1}, {{3, -2, 0x01020304}, 3, -1}, {{0}, 4, -1}, {{-5, 1}, 8, -1},
        {big, (int)big.size() * 4, -1}, {most, (int)most.size() * 4, CMD_BLOCK_MAX_WORDS},
        {{1, 99}, 8, 1},   // bytes behind the counted words are not read
    };
    for (const auto &c : cases) {
        const std::string b = block_bytes(c.words);
        EXPECT_EQ(read_block_words(b.data(), c.size, words), c.result) << c.words[0] << " " << c.size;
    }

    CommandCursor c;
    command_cursor_reset(&c);
    send(CMD_SOURCE_SERVER, "P_QAT 0;\n", &c);
    CaptureStderr();
    std::string shortblock = block_bytes({85, 1, 2});
    EXPECT_EQ(parse_cmd(CMD_SOURCE_SERVER, shortblock.data(), (int)shortblock.size(), &c), 1);
    EXPECT_NE(GetCapturedStderr().find("parse_cmd bad block for P_QAT (count 85, 12 bytes)"), std::string::npos);
    EXPECT_EQ(c.pending, 0);
}
