// Customisation records as the protocol lines fill them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/records/custom_record.h"
#include "support/test_support.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(CustomRecord, ColourPairsStoreGoodValuesAndDropBadOnes)
{
    CustomRecord *rec = get_custom_record(0);
    CaptureStderr();
    int r = parse_custom_bodcol("0 12 20 124 21 5 3 125 4 -1 5 7\n", rec);
    std::string err = GetCapturedStderr();
    EXPECT_EQ(r, 1);
    EXPECT_EQ(rec->body_color[0], 12);
    EXPECT_EQ(rec->body_color[20], 124);
    EXPECT_EQ(rec->body_color[3], 0);
    EXPECT_EQ(rec->body_color[4], 0);
    EXPECT_EQ(rec->body_color[5], 7);   // pairs after a bad one still count
    EXPECT_NE(err.find("BODCOL: body part 21 out of range"), std::string::npos);

    EXPECT_EQ(parse_custom_gradcol2("2 9", rec), 0);
    EXPECT_EQ(rec->grad_color2[2], 9);
    EXPECT_EQ(rec->grad_color1[2], 0);
}

TEST(CustomRecord, JointTrailItemAndFlagLines)
{
    CustomRecord *rec = get_custom_record(1);
    EXPECT_EQ(find_custom_parser("FORCOL")("33", rec), 0);
    EXPECT_EQ(find_custom_parser("RELCOL")("0x10", rec), 0);
    EXPECT_EQ(find_custom_parser("REPCOL")("", rec), 0);
    EXPECT_EQ(rec->force_color, 33);
    EXPECT_EQ(rec->relax_color, 16);
    EXPECT_EQ(rec->replay_color, 0);
    EXPECT_EQ(find_custom_parser("JFORCE"), nullptr);   // a protocol keyword, not a customisation one

    kxtest::stderr_of([&] { EXPECT_EQ(parse_custom_trailcol("3 1 2 4 1 2 0 7", rec), 1); });
    EXPECT_EQ(rec->trail_color[3][0], 1);
    EXPECT_EQ(rec->trail_color[3][1], 2);
    EXPECT_EQ(rec->trail_color[0][0], 0);   // incomplete triple ignored

    EXPECT_EQ(parse_custom_item("15 100", rec), 0);
    EXPECT_EQ(rec->item_color[15], 100);

    parse_custom_texbody("1 0 5 -3", rec);
    EXPECT_EQ(std::vector<int32_t>(rec->tex_body, rec->tex_body + 4), (std::vector<int32_t>{1, 0, 1, 1}));
    std::string many;
    for (int i = 0; i < 40; i++)
        many += "1 ";
    parse_custom_texjoint(many.c_str(), rec);   // only 20 joints are read
    parse_custom_texground("7", rec);
    EXPECT_EQ(rec->tex_ground, 1);
    EXPECT_EQ(rec->tex_joint[19], 1);
    EXPECT_EQ(rec->tex_trail[0], 0);
}

TEST(CustomRecord, TextsStayOneBoundedLine)
{
    CustomRecord *rec = get_custom_record(0);
    parse_custom_text("  hello\tthere \r\nRPG 0;1 1 1 1 1 1\n", rec);
    EXPECT_STREQ(rec->text, "hello there");
    std::string longname(100, 'x');
    parse_custom_beltname(longname.c_str(), rec);
    EXPECT_EQ(strlen(rec->belt_name), (size_t)CUSTOM_BELT_SIZE - 1);
    // A cut lands on a character boundary: 31 bytes of 'a' then a 2-byte
    // character would leave half of it.
    std::string utf = std::string(30, 'a') + "\xc3\xa9" + "zz";
    parse_custom_beltname(utf.c_str(), rec);
    EXPECT_EQ(std::string(rec->belt_name), std::string(30, 'a'));
    parse_custom_sig(nullptr, rec);
    EXPECT_STREQ(rec->sig, "");
}

TEST(CustomRecord, DecalNamesThatWouldLeaveTheFolderAreRefused)
{
    CustomRecord *rec = get_custom_record(0);
    EXPECT_EQ(parse_custom_decal(" skull.png extra", rec), 0);
    EXPECT_STREQ(rec->decal, "skull.png");
    // A refused name keeps the old one. (That no stored name starts with a dot
    // or holds a separator is checked on every fuzzed line by CommandFuzz.)
    CaptureStderr();
    EXPECT_EQ(parse_custom_decal("../../etc/passwd", rec), 1);
    EXPECT_EQ(parse_custom_decal(std::string(200, 'd').c_str(), rec), 1);
    EXPECT_NE(GetCapturedStderr().find("DECAL: bad name"), std::string::npos);
    EXPECT_STREQ(rec->decal, "skull.png");
}

TEST(CustomRecord, FlamesTakeFiftyTwoScaledParameters)
{
    CustomRecord *rec = get_custom_record(1);
    std::string line;
    for (int i = 0; i < 60; i++)
        line += std::to_string(i * 10) + " ";
    EXPECT_EQ(parse_custom_flame4(line.c_str(), rec), 0);
    const FlameRecord &f = rec->flame[4];
    EXPECT_EQ(f.set, 1);
    EXPECT_EQ(f.raw[51], 510);
    EXPECT_FLOAT_EQ(f.value[51], 510 * flame_param_scale(51));
    EXPECT_EQ(rec->flame[3].set, 0);
    // A short line keeps the parameters it does not name.
    parse_custom_flame("7 8", 4, rec);
    EXPECT_EQ(f.raw[0], 7);
    EXPECT_EQ(f.raw[2], 20);
    CaptureStderr();
    EXPECT_EQ(parse_custom_flame("1", 5, rec), 1);
    EXPECT_EQ(parse_custom_flame("1", -1, rec), 1);
    EXPECT_NE(GetCapturedStderr().find("FLAME: flame 5 out of range"), std::string::npos);
}

