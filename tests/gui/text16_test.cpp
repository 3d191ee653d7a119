// The chat's UTF-8 <-> UTF-16 conversions, checked against glibc's iconv.
#include <gtest/gtest.h>

#include <cstring>
#include <iconv.h>
#include <string>
#include <vector>

#include "gui/utf16_text.h"

namespace {

std::vector<uint16_t> iconv_utf16(const std::string &utf8)
{
    iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    EXPECT_NE(cd, (iconv_t)-1);
    std::vector<char> out(utf8.size() * 4 + 4);
    char *in = const_cast<char *>(utf8.data());
    size_t inleft = utf8.size(), outleft = out.size();
    char *op = out.data();
    EXPECT_NE(iconv(cd, &in, &inleft, &op, &outleft), (size_t)-1);
    iconv_close(cd);
    std::vector<uint16_t> units;
    for (char *p = out.data(); p < op; p += 2)
        units.push_back((uint16_t)((unsigned char)p[0] | ((unsigned char)p[1] << 8)));
    return units;
}

} // namespace

TEST(Text16, AgreesWithIconvBothWays)
{
    const char *samples[] = {
        "plain ascii",
        "caf\xc3\xa9 \xc3\xbc\xc3\x9f",                     // Latin-1 range
        "\xe2\x82\xac 5 \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e",  // euro sign, CJK
        "\xf0\x9f\x98\x80 grin \xf0\x90\x8d\x88",           // outside the BMP
        "\xef\xbf\xbf\xee\x80\x80",                         // U+FFFF, private use
        "",
    };
    for (const char *s : samples) {
        std::vector<uint16_t> expect = iconv_utf16(s);
        uint16_t out[256];
        int n = gui_utf8_to_utf16(out, 256, s);
        ASSERT_EQ(n, (int)expect.size()) << s;
        EXPECT_EQ(std::vector<uint16_t>(out, out + n), expect) << s;
        EXPECT_EQ(out[n], 0);
        char back[512];
        gui_utf16_to_utf8(back, sizeof back, out);
        EXPECT_STREQ(back, s);
    }
}

TEST(Text16, MalformedInputBecomesReplacementCharacters)
{
    uint16_t out[16];
    // Stray continuation byte, overlong '/', encoded surrogate, bad lead byte.
    gui_utf8_to_utf16(out, 16, "a\x80" "b");
    EXPECT_EQ(out[1], 0xFFFD);
    EXPECT_EQ(out[2], 'b');
    gui_utf8_to_utf16(out, 16, "\xc0\xaf");
    EXPECT_EQ(out[0], 0xFFFD);
    gui_utf8_to_utf16(out, 16, "\xed\xa0\x80z");
    EXPECT_EQ(out[0], 0xFFFD);
    EXPECT_EQ(out[1], 'z');
    // A sequence cut by the end of the text does not swallow the terminator.
    EXPECT_EQ(gui_utf8_to_utf16(out, 16, "x\xe2\x82"), 2);
    EXPECT_EQ(out[1], 0xFFFD);

    const uint16_t lone[] = {'a', 0xD800, 'b', 0xDC00, 0};
    char back[32];
    gui_utf16_to_utf8(back, sizeof back, lone);
    EXPECT_STREQ(back, "a\xef\xbf\xbd" "b\xef\xbf\xbd");
}

TEST(Text16, BoundsNeverSplitACharacter)
{
    uint16_t out[3];
    // Two units of room: "a" fits, the surrogate pair after it does not.
    EXPECT_EQ(gui_utf8_to_utf16(out, 3, "a\xf0\x9f\x98\x80"), 1);
    EXPECT_EQ(out[1], 0);

    const uint16_t euro[] = {'x', 0x20AC, 0};
    char small[4];
    EXPECT_EQ(gui_utf16_to_utf8(small, sizeof small, euro), 1);
    EXPECT_STREQ(small, "x");

    char cut[5];
    gui_utf8_copy(cut, sizeof cut, "ab\xe2\x82\xac");   // 5 bytes into 4
    EXPECT_STREQ(cut, "ab");
    gui_utf8_copy(cut, sizeof cut, "abcd");
    EXPECT_STREQ(cut, "abcd");
    gui_utf8_copy(cut, sizeof cut, nullptr);
    EXPECT_STREQ(cut, "");
}
