// The chat's UTF-8 <-> UTF-16 conversions, checked against glibc's iconv.
#include <gtest/gtest.h>

#include <cstring>
#include <iconv.h>
#include <string>
#include <vector>

#include "app/text.h"
#include "app/text_encoding.h"

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
        int n = local_to_utf16(out, s, (int)strlen(s), 256);
        ASSERT_EQ(n, (int)expect.size()) << s;
        EXPECT_EQ(std::vector<uint16_t>(out, out + n), expect) << s;
        EXPECT_EQ(out[n], 0);
        char back[512];
        utf16_to_local(back, out, (int)(sizeof back) - 1);
        EXPECT_STREQ(back, s);
    }
}

TEST(Text16, MalformedInputBecomesReplacementCharacters)
{
    uint16_t out[16];
    // Stray continuation byte, overlong '/', encoded surrogate, bad lead byte.
    local_to_utf16(out, "a\x80" "b", (int)strlen("a\x80" "b"), 16);
    EXPECT_EQ(out[1], 0xFFFD);
    EXPECT_EQ(out[2], 'b');
    local_to_utf16(out, "\xc0\xaf", (int)strlen("\xc0\xaf"), 16);
    EXPECT_EQ(out[0], 0xFFFD);
    // An encoded surrogate never becomes a lone surrogate: only U+FFFD
    // stands in for it, and the letter after it survives.
    int n = local_to_utf16(out, "\xed\xa0\x80z", 4, 16);
    ASSERT_GE(n, 2);
    for (int i = 0; i < n - 1; i++)
        EXPECT_EQ(out[i], 0xFFFD);
    EXPECT_EQ(out[n - 1], 'z');
    // A sequence cut by the end of the text does not swallow the terminator.
    n = local_to_utf16(out, "x\xe2\x82", 3, 16);
    ASSERT_GE(n, 2);
    EXPECT_EQ(out[0], 'x');
    EXPECT_EQ(out[1], 0xFFFD);
    EXPECT_EQ(out[n], 0);

    const uint16_t lone[] = {'a', 0xD800, 'b', 0xDC00, 0};
    char back[32];
    utf16_to_local(back, lone, (int)(sizeof back) - 1);
    EXPECT_STREQ(back, "a\xef\xbf\xbd" "b\xef\xbf\xbd");
}

TEST(Text16, BoundsNeverSplitACharacter)
{
    uint16_t out[3];
    // Two units of room: "a" fits, the surrogate pair after it does not.
    EXPECT_EQ(local_to_utf16(out, "a\xf0\x9f\x98\x80", 5, 3), 1);
    EXPECT_EQ(out[1], 0);

    const uint16_t euro[] = {'x', 0x20AC, 0};
    char small[4];
    EXPECT_EQ(utf16_to_local(small, euro, (int)(sizeof small) - 1), 1);
    EXPECT_STREQ(small, "x");

    char cut[5];
    utf8_strncpyz(cut, sizeof cut, "ab\xe2\x82\xac");   // 5 bytes into 4
    EXPECT_STREQ(cut, "ab");
    utf8_strncpyz(cut, sizeof cut, "abcd");
    EXPECT_STREQ(cut, "abcd");
    utf8_strncpyz(cut, sizeof cut, nullptr);
    EXPECT_STREQ(cut, "");
}
