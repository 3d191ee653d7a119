#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/base/text.h"
#include "app/base/text_encoding.h"
#include "app/base/wide_text.h"

static std::u16string W(const char16_t *s) { return s; }
static wchar16 *wp(std::u16string &s) { return (wchar16 *)&s[0]; }
static const wchar16 *cwp(const char16_t *s) { return (const wchar16 *)s; }

TEST(WideText, LengthEqualityAndFind)
{
    EXPECT_EQ(wstr_len(nullptr), 0);
    EXPECT_EQ(wstr_len(cwp(u"abc")), 3);
    EXPECT_EQ(wstr_equal(nullptr, nullptr), 0);
    EXPECT_EQ(wstr_equal(nullptr, cwp(u"")), 0);
    EXPECT_EQ(wstr_equal(cwp(u"ab"), cwp(u"ab")), 0);
    EXPECT_EQ(wstr_equal(cwp(u"ab"), cwp(u"abc")), 1);
    const wchar16 *h = cwp(u"hello world");
    EXPECT_EQ(wstr_find(h, cwp(u"world")), h + 6);
    EXPECT_EQ(wstr_find(h, cwp(u"")), h);
    EXPECT_EQ(wstr_find(cwp(u""), cwp(u"x")), nullptr);
    EXPECT_EQ(wstr_find(h, cwp(u"worlds")), nullptr);
    EXPECT_EQ(wstr_find_narrow(h, "wor"), h + 6);
    EXPECT_EQ(wstr_equal_narrow(cwp(u"caf\u00e9"), "caf\xc3\xa9"), 0);
}

TEST(WideText, CatIsBoundedByTheDestination)
{
    wchar16 dst[6] = {'a', 'b', 0, 0x7777, 0x7777, 0x7777};
    EXPECT_EQ(wstr_cat(dst, cwp(u"cd"), 6), 0);
    EXPECT_EQ(std::u16string((char16_t *)dst), u"abcd");
    EXPECT_EQ(wstr_cat(dst, cwp(u"efgh"), 6), 1);
    EXPECT_EQ(std::u16string((char16_t *)dst), u"abcde");
    EXPECT_EQ(dst[5], 0);
    wchar16 d2[8] = {0};
    wstr_cat_narrow(d2, "xy\xe2\x82\xac", 8);
    EXPECT_EQ(std::u16string((char16_t *)d2), u"xy\u20ac");
}

TEST(WideText, Tokenizer)
{
    std::u16string s = W(u",,a,b");
    wchar16 *save = nullptr;
    wchar16 *t = wcstok_ctx(wp(s), cwp(u","), &save);
    ASSERT_TRUE(t);
    EXPECT_EQ(std::u16string((char16_t *)t), u"a");
    t = wcstok_ctx(nullptr, cwp(u","), &save);
    ASSERT_TRUE(t);
    EXPECT_EQ(std::u16string((char16_t *)t), u"b");
    EXPECT_EQ(wcstok_ctx(nullptr, cwp(u","), &save), nullptr);
    EXPECT_EQ(save, nullptr);
    EXPECT_EQ(wcstok_ctx(nullptr, cwp(u","), &save), nullptr);

    std::u16string s2 = W(u"x y");
    EXPECT_EQ(std::u16string((char16_t *)wstr_tok_narrow(wp(s2), " ")), u"x");
    EXPECT_EQ(std::u16string((char16_t *)wstr_tok(nullptr, cwp(u" "))), u"y");
    EXPECT_EQ(wstr_tok(nullptr, cwp(u" ")), nullptr);
}

TEST(WideText, UrlEncodeWide)
{
    char dst[64];
    url_encode_wide(dst, cwp(u"\u00e9"), sizeof dst);
    EXPECT_STREQ(dst, "%c3%a9");
    url_encode_wide(dst, cwp(u"a b&=\u20ac"), sizeof dst);
    EXPECT_STREQ(dst, "a+b%26%3d%e2%82%ac");
    url_encode_wide(dst, cwp(u"\U0001F600"), sizeof dst);
    EXPECT_STREQ(dst, "%f0%9f%98%80");
    const wchar16 lone[] = {0xD800, 'a', 0};
    url_encode_wide(dst, lone, sizeof dst);
    EXPECT_STREQ(dst, "%ef%bf%bda");
    // The same text encodes the same in both forms.
    char narrow[64];
    url_encode(narrow, "pa ss&\xc3\xa9", sizeof narrow);
    url_encode_wide(dst, cwp(u"pa ss&\u00e9"), sizeof dst);
    EXPECT_STREQ(dst, narrow);
}
