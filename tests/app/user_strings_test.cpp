#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/base/alloc_hooks.h"
#include "app/base/user_strings.h"

TEST(UserStrings, KeepAtMost31Characters)
{
    std::string long_nick(50, 'n');
    set_nick(long_nick.c_str());
    EXPECT_EQ(std::string(get_nick()), std::string(31, 'n'));
    set_password("pw");
    set_whisper_target("friend");
    set_login_user("user");
    set_login_pass("pass");
    EXPECT_STREQ(get_password(), "pw");
    EXPECT_STREQ(get_whisper_target(), "friend");
    EXPECT_STREQ(get_login_user(), "user");
    EXPECT_STREQ(get_login_pass(), "pass");
    set_password(nullptr);
    EXPECT_STREQ(get_password(), "");
}

TEST(UserStrings, EscapedNickDropsTheClanTag)
{
    set_nick("[KX]PlayerOne");
    EXPECT_STREQ(get_nick_escaped(), "playerone");
    set_nick("Solo");
    EXPECT_STREQ(get_nick_escaped(), "solo");
}

TEST(AllocHooks, CountAllocationsAndBytes)
{
    void *a = counting_alloc(100);
    void *b = counting_alloc(50);
    a = counting_realloc(a, 100, 300);
    memset(a, 1, 300);
    AllocCounters c = get_alloc_counters();
    EXPECT_EQ(c.allocs, 2u);
    EXPECT_EQ(c.reallocs, 1u);
    EXPECT_EQ(c.bytes_in_use, 350u);
    counting_free(a, 300);
    counting_free(b, 50);
    counting_free(nullptr, 10);
    c = get_alloc_counters();
    EXPECT_EQ(c.frees, 2u);
    EXPECT_EQ(c.bytes_in_use, 0u);
}
