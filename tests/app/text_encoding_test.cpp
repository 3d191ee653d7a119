#include <gtest/gtest.h>

#include <cstring>
#include <iconv.h>
#include <string>
#include <vector>

#include "app/base/text_encoding.h"
#include "support/test_support.h"

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

TEST(TextEncoding, Utf8AndUtf16AgreeWithIconvBothWays)
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

TEST(TextEncoding, MalformedInputBecomesReplacementCharacters)
{
    uint16_t out[16];
    // Stray continuation byte, overlong '/', encoded surrogate, bad lead byte.
    local_to_utf16(out, "a\x80" "b", (int)strlen("a\x80" "b"), 16);
    EXPECT_EQ(out[1], 0xFFFD);
    EXPECT_EQ(out[2], 'b');
    local_to_utf16(out, "\xc0\xaf", (int)strlen("\xc0\xaf"), 16);
    EXPECT_EQ(out[0], 0xFFFD);
    EXPECT_EQ(out[1], 0xFFFD);
    local_to_utf16(out, "a\xff" "b", 3, 16);
    EXPECT_EQ(out[1], 0xFFFD);
    EXPECT_EQ(out[2], 'b');
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
}

TEST(TextEncoding, BothDirectionsStayInsideTheirBuffers)
{
    wchar16 out[6];
    for (auto &u : out)
        u = 0x7777;
    int n = local_to_utf16(out, "abcdefghij", 10, 4);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(std::u16string((char16_t *)out), u"abc");
    EXPECT_EQ(out[4], 0x7777);
    // A pair that does not fit is left out whole.
    n = local_to_utf16(out, "ab\xf0\x9f\x98\x80", 6, 4);
    EXPECT_EQ(std::u16string((char16_t *)out), u"ab");

    char narrow[8];
    memset(narrow, '#', sizeof narrow);
    utf16_to_local(narrow, (const wchar16 *)u"abcdefghijkl", 5);
    EXPECT_STREQ(narrow, "abcde");
    EXPECT_EQ(narrow[6], '#');
    // A character is not split: the euro sign needs 3 bytes, 2 are left.
    utf16_to_local(narrow, (const wchar16 *)u"abc\u20ac", 5);
    EXPECT_STREQ(narrow, "abc");
    // Lone surrogates of either half become U+FFFD.
    const wchar16 lone[] = {'a', 0xD800, 'b', 0xDC00, 0};
    char wide_out[16];
    utf16_to_local(wide_out, lone, 15);
    EXPECT_STREQ(wide_out, "a\xef\xbf\xbd" "b\xef\xbf\xbd");
    // Only the first 1024 units are read, even of a longer text.
    std::u16string big(3000, u'x');
    static char bigout[4000];
    EXPECT_EQ(utf16_to_local(bigout, (const wchar16 *)big.c_str(), 3999), 1024);
    char untouched[4] = "zz";
    utf16_to_local(untouched, nullptr, 3);
    EXPECT_STREQ(untouched, "zz");
}
