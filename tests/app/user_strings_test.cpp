#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/base/user_strings.h"

TEST(UserStrings, KeepAtMost31Characters)
{
    std::string long_nick(50, 'n');
    set_nick(long_nick.c_str());
    EXPECT_EQ(std::string(get_nick()), std::string(31, 'n'));
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
