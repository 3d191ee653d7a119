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

    const uint16_t lone[] = {'a', 0xD800, 'b', 0xDC00, 0};
    char back[32];
    utf16_to_local(back, lone, (int)(sizeof back) - 1);
    EXPECT_STREQ(back, "a\xef\xbf\xbd" "b\xef\xbf\xbd");
}

TEST(TextEncoding, LocalToUtf16StaysInsideItsBuffer)
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
}

TEST(TextEncoding, Utf16ToLocalIsBounded)
{
    char out[8];
    memset(out, '#', sizeof out);
    utf16_to_local(out, (const wchar16 *)u"abcdefghijkl", 5);
    EXPECT_STREQ(out, "abcde");
    EXPECT_EQ(out[6], '#');
    // A character is not split: the euro sign needs 3 bytes, 2 are left.
    memset(out, '#', sizeof out);
    utf16_to_local(out, (const wchar16 *)u"abc\u20ac", 5);
    EXPECT_STREQ(out, "abc");
    // A lone surrogate becomes U+FFFD.
    const wchar16 lone[] = {'a', 0xDC00, 'b', 0};
    char wide_out[16];
    utf16_to_local(wide_out, lone, 15);
    EXPECT_STREQ(wide_out, "a\xef\xbf\xbd" "b");
    // Only the first 1024 units are read, even of a longer text.
    std::u16string big(3000, u'x');
    static char bigout[4000];
    EXPECT_EQ(utf16_to_local(bigout, (const wchar16 *)big.c_str(), 3999), 1024);
    char untouched[4] = "zz";
    utf16_to_local(untouched, nullptr, 3);
    EXPECT_STREQ(untouched, "zz");
}

TEST(TextEncoding, Ucs2ToUtf16)
{
    const char in[] = {'h', 0, 'i', 0, (char)0xac, 0x20};
    wchar16 out[8];
    EXPECT_EQ(ucs2_to_utf16(out, in, 6, 8), 3);
    EXPECT_EQ(std::u16string((char16_t *)out), u"hi\u20ac");
}

static std::u16string ucs2(const std::string &bytes)
{
    wchar16 out[64];
    utf8_to_ucs2(out, bytes.data(), (int)bytes.size());
    return std::u16string((char16_t *)out);
}

TEST(TextEncoding, Utf8ToUcs2)
{
    EXPECT_EQ(ucs2("\xc3\xa9"), u"\u00e9");
    EXPECT_EQ(ucs2("\xe2\x82\xac"), u"\u20ac");
    EXPECT_EQ(ucs2("ab"), u"ab");
    EXPECT_EQ(ucs2(""), u"");
    // A 4-byte character is one replacement, never its low 16 bits.
    EXPECT_EQ(ucs2("a\xf0\x9f\x98\x80z"), u"a\ufffdz");
    // Overlong forms of NUL and '/', encoded surrogates, stray and broken
    // sequences: each a replacement, never NUL, '/' or a lone surrogate.
    EXPECT_EQ(ucs2(std::string("\xc0\x80x", 3)), u"\ufffd\ufffdx");
    EXPECT_EQ(ucs2("\xc0\xaf"), u"\ufffd\ufffd");
    EXPECT_EQ(ucs2("\xe0\x80\xaf"), u"\ufffd");
    EXPECT_EQ(ucs2("\xed\xa0\x80"), u"\ufffd");
    EXPECT_EQ(ucs2("\x80" "a"), u"\ufffda");
    EXPECT_EQ(ucs2("\xe2\x82" "a"), u"\ufffda");
    EXPECT_EQ(ucs2("a\xe2\x82"), u"a\ufffd");
    EXPECT_EQ(ucs2("\xff"), u"\ufffd");
    // Only nbytes are read.
    wchar16 out[4];
    EXPECT_EQ(utf8_to_ucs2(out, "abcdef", 2), 2);
    EXPECT_EQ(std::u16string((char16_t *)out), u"ab");
}

// Big-endian 16-bit text with a byte-order mark and CR LF line ends.
static std::string be16_file(const std::u16string &text)
{
    std::string bytes = "\xfe\xff";
    for (char16_t u : text) {
        bytes += (char)(u >> 8);
        bytes += (char)(u & 0xff);
    }
    return bytes;
}

TEST(TextEncoding, MenuFileReadsLineByLine)
{
    kxtest::TempDir dir;
    std::string path = dir.file("menu.txt");
    kxtest::write_file(path, be16_file(u"Play\r\nR\u00e9glages\r\n\u20ac last"));
    wchar16 out[MENU_LINE_UNITS];
    EXPECT_EQ(menu_text_line_from(path.c_str(), 0, out), 6);
    EXPECT_EQ(std::u16string((char16_t *)out), u"Play");
    EXPECT_EQ(menu_text_line_from(path.c_str(), 1, out), 10);
    EXPECT_EQ(std::u16string((char16_t *)out), u"R\u00e9glages");
    EXPECT_EQ(menu_text_line_from(path.c_str(), 2, out), 6);
    EXPECT_EQ(std::u16string((char16_t *)out), u"\u20ac last");
    EXPECT_EQ(menu_text_line_from(path.c_str(), 3, out), 0);
    EXPECT_EQ(out[0], 0);

    // A line longer than the buffer is cut and does not run into the next.
    std::u16string longline(700, u'y');
    kxtest::write_file(path, be16_file(longline + u"\r\nnext\r\n"));
    EXPECT_EQ(menu_text_line_from(path.c_str(), 0, out), 702);
    EXPECT_EQ(wstr_len(out), MENU_LINE_UNITS - 1);
    menu_text_line_from(path.c_str(), 1, out);
    EXPECT_EQ(std::u16string((char16_t *)out), u"next");

    // The real file is looked up relative to the working folder.
    kxtest::ScopedChdir cd(dir.path());
    testing::internal::CaptureStderr();
    EXPECT_EQ(menu_text_line(0, out), 0);
    testing::internal::GetCapturedStderr();
}
