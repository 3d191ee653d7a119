#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "app/base/text.h"
#include "app/base/user_strings.h"

// A cut line's rest is passed over whether it ends in a newline, exactly
// at the buffer's end, or at the end of the file.
TEST(Text, LinesLongerThanTheBufferComeBackCutAndTheirRestIsSkipped)
{
    FILE *f = tmpfile();
    ASSERT_NE(f, nullptr);
    fputs("short\n" "abcdefghij\n" "abcdefg\n" "last line without newline", f);
    rewind(f);
    char buf[8];
    bool cut = true;
    std::string got;
    while (read_text_line(f, buf, (int)sizeof buf, &cut))
        got += std::string(buf) + (cut ? "|cut;" : "|whole;");
    EXPECT_EQ(got, "short\n|whole;abcdefg|cut;abcdefg|cut;last li|cut;");
    EXPECT_FALSE(read_text_line(f, buf, (int)sizeof buf, &cut));
    fclose(f);
}

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

TEST(Text, ClanTagAndNameAreSplitAndBounded)
{
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
}

TEST(UserStrings, KeepAtMost31Characters)
{
    std::string long_nick(50, 'n');
    set_nick(long_nick.c_str());
    EXPECT_EQ(std::string(get_nick()), std::string(31, 'n'));
    set_password(nullptr);
    EXPECT_STREQ(get_password(), "");
}
