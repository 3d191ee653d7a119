#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "app/text.h"

TEST(Text, BoundedCopyCutsAndTerminates)
{
    char buf[8];
    memset(buf, 'x', sizeof buf);
    n_strncpyz(buf, "abcdefghijklmnopqrst", 8);
    EXPECT_STREQ(buf, "abcdefg");
    n_strncpyz(buf, "abc", 1);
    EXPECT_STREQ(buf, "");
}

TEST(Text, VaFormatRotatesTwoBuffersPerThread)
{
    const char *a = va_format("%d", 1);
    const char *b = va_format("%d", 2);
    const char *c = va_format("%d", 3);
    EXPECT_STREQ(b, "2");
    EXPECT_STREQ(c, "3");
    EXPECT_EQ(a, c);
    // A result fed into the next call is read before it could be overwritten.
    const char *nested = va_format("<%s>", va_format("%s", "in"));
    EXPECT_STREQ(nested, "<in>");
    std::string other;
    std::thread t([&] { other = va_format("%s", "thread"); });
    t.join();
    EXPECT_EQ(other, "thread");
    EXPECT_STREQ(nested, "<in>");
}
