#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "app/base/text.h"

TEST(Text, BoundedCopyCutsAndTerminates)
{
    char buf[8];
    memset(buf, 'x', sizeof buf);
    n_strncpyz(buf, "abcdefghijklmnopqrst", 8);
    EXPECT_STREQ(buf, "abcdefg");
    n_strncpyz(buf, "abc", 1);
    EXPECT_STREQ(buf, "");

    // The UTF-8 copy never ends inside a character.
    char cut[5];
    utf8_strncpyz(cut, sizeof cut, "ab\xe2\x82\xac"); // 5 bytes into 4
    EXPECT_STREQ(cut, "ab");
    utf8_strncpyz(cut, sizeof cut, "abcd");
    EXPECT_STREQ(cut, "abcd");
    utf8_strncpyz(cut, sizeof cut, nullptr);
    EXPECT_STREQ(cut, "");
}

TEST(Text, VaFormatRotatesTwoBuffersPerThread)
{
    const char *a = va_format("%d", 1);
    const char *b = va_format("%d", 2);
    const char *c = va_format("%d", 3);
    EXPECT_STREQ(b, "2");
    EXPECT_STREQ(c, "3");
    EXPECT_EQ(a, c);
    // Results fed into the next call are read before they could be
    // overwritten, even one living in the buffer the outer call writes.
    const char *r = va_format("%s+%s", va_format("%s", "left"), va_format("%s", "right"));
    EXPECT_STREQ(r, "left+right");
    const char *nested = va_format("<%s>", va_format("%s", "in"));
    EXPECT_STREQ(nested, "<in>");
    std::string other;
    std::thread t([&] { other = va_format("%s", "thread"); });
    t.join();
    EXPECT_EQ(other, "thread");
    EXPECT_STREQ(nested, "<in>");
    const std::string big(40000, 'z');
    EXPECT_EQ(strlen(va_format("%s", big.c_str())), (size_t)VA_FORMAT_SIZE - 1);
}

TEST(Text, StripBlanksAndQuotes)
{
    char a[] = "  one two \r\n";
    EXPECT_STREQ(strip_blanks(a), "one two");
    char b[] = "   \t ";
    EXPECT_STREQ(strip_blanks(b), "");
    char c[] = " \"value\" ";
    EXPECT_STREQ(strip_blanks_quotes(c), "value");
    char d[] = "";
    EXPECT_STREQ(strip_blanks(d), "");
}

TEST(Text, ReplaceAllIsBoundedAndSurvivesAnEmptyNeedle)
{
    char dst[64];
    EXPECT_EQ(replace_all(dst, sizeof dst, "a-b-c", "-", "--"), 0);
    EXPECT_STREQ(dst, "a--b--c");
    EXPECT_EQ(replace_all(dst, sizeof dst, "aaaa", "aa", "b"), 0);
    EXPECT_STREQ(dst, "bb");
    EXPECT_EQ(replace_all(dst, sizeof dst, "abc", "", "X"), 0);
    EXPECT_STREQ(dst, "abc");
    char small[6];
    memset(small, '#', sizeof small);
    EXPECT_EQ(str_replace_all(small, sizeof small, "x.x.x.x", ".", "..."), 1);
    EXPECT_STREQ(small, "x...x");
}

TEST(Text, WrapAtColumn)
{
    char dst[64];
    wrap_at_column("aaa bbb ccc ddd", 5, dst, sizeof dst);
    EXPECT_STREQ(dst, "aaa bbb\nccc ddd");
    wrap_at_column("", 5, dst, sizeof dst);
    EXPECT_STREQ(dst, "");
    char small[5];
    wrap_at_column("abcdefgh", 3, small, sizeof small);
    EXPECT_STREQ(small, "abcd");
}

TEST(Text, SplitFields32)
{
    char out[4][FIELD32_SIZE];
    memset(out, '#', sizeof out);
    EXPECT_EQ(split_fields32("ab\tcd\n", out, 4), 3);
    EXPECT_STREQ(out[0], "ab");
    EXPECT_STREQ(out[1], "cd");
    EXPECT_STREQ(out[2], "");
    EXPECT_EQ(split_fields32("", out, 4), 0);
    EXPECT_EQ(split_fields32("\n", out, 4), 0);
    EXPECT_EQ(split_fields32("one", out, 4), 2);
    EXPECT_STREQ(out[0], "one");
    // Long fields are cut to 31 characters; the count never writes past max.
    std::string longf(40, 'L');
    char two[2][FIELD32_SIZE];
    char guard[FIELD32_SIZE];
    memset(guard, 'G', sizeof guard);
    EXPECT_EQ(split_fields32((longf + "\ta\tb\tc").c_str(), two, 2), 3);
    EXPECT_EQ(std::string(two[0]), std::string(31, 'L'));
    EXPECT_STREQ(two[1], "a");
    for (char g : guard)
        EXPECT_EQ(g, 'G');
}

TEST(Text, BracketsTagsAndMasks)
{
    char s[] = "[KX]player";
    strip_brackets(s);
    EXPECT_STREQ(s, "player");
    char t[] = "[]player";
    strip_brackets(t);
    EXPECT_STREQ(t, "[]player");
    char u[] = "[KX]";
    strip_brackets(u);
    EXPECT_STREQ(u, "[KX]");

    char tag[32], name[32];
    split_tag_and_name("[ab]Name", 32, tag, name);
    EXPECT_STREQ(tag, "ab");
    EXPECT_STREQ(name, "Name");
    split_tag_and_name("[]Name", 32, tag, name);
    EXPECT_STREQ(tag, "");
    EXPECT_STREQ(name, "[]Name");
    split_clan_tag("[ab]NaMe", 32, tag, name);
    EXPECT_STREQ(name, "name");
    char t4[4], n4[4];
    split_tag_and_name("[abcdef]longname", 4, t4, n4);
    EXPECT_STREQ(t4, "abc");
    EXPECT_STREQ(n4, "lon");

    EXPECT_STREQ(mask_text("secret", '*'), "******");
    EXPECT_STREQ(mask_text(nullptr, '*'), "");
    EXPECT_EQ(strlen(mask_text(std::string(300, 'p').c_str(), '*')), 127u);
}

TEST(Text, UrlEncodeEscapesAllButUnreserved)
{
    char dst[128];
    url_encode(dst, "a b&c+d%e=f-_.~", sizeof dst);
    EXPECT_STREQ(dst, "a+b%26c%2bd%25e%3df-_.~");
    url_encode(dst, "caf\xc3\xa9", sizeof dst);
    EXPECT_STREQ(dst, "caf%c3%a9");
    // A character that does not fit is left out whole.
    char small[8];
    url_encode(small, "ab\xc3\xa9", sizeof small);
    EXPECT_STREQ(small, "ab");
    url_encode(small, "", sizeof small);
    EXPECT_STREQ(small, "");
}
