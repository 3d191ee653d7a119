#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "app/base/md5.h"
#include "support/test_support.h"

using kxtest::TempDir;
using kxtest::write_file;

static std::string hex_of(const std::string &data)
{
    Md5Context ctx;
    uint8_t d[16];
    md5_init(&ctx);
    md5_update(&ctx, data.data(), data.size());
    md5_final(&ctx, d);
    char hex[MD5_HEX_SIZE];
    md5_hex_append(d, hex, sizeof hex);
    return hex;
}

// The same data fed in pieces of random sizes (0 included).
static std::string hex_in_pieces(const std::string &data, unsigned seed)
{
    std::mt19937 rng(seed);
    Md5Context ctx;
    uint8_t d[16];
    md5_init(&ctx);
    size_t pos = 0;
    while (pos < data.size()) {
        size_t n = std::min<size_t>(rng() % 150, data.size() - pos);
        md5_update(&ctx, data.data() + pos, n);
        pos += n;
    }
    md5_final(&ctx, d);
    char hex[MD5_HEX_SIZE];
    md5_hex_append(d, hex, sizeof hex);
    return hex;
}

struct Vector {
    std::string data;
    const char *digest;
};

static std::vector<Vector> reference_vectors()
{
    // RFC 1321 appendix A.5, then the block boundaries around 56 and 64
    // bytes (digests from coreutils md5sum).
    return {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
        {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        {std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        {std::string(65, 'a'), "c743a45e0d2e6a95cb859adae0248435"},
        {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
    };
}

TEST(Md5, ReferenceDigestsWholeAndInRandomPieces)
{
    unsigned seed = 1;
    for (const Vector &v : reference_vectors()) {
        EXPECT_EQ(hex_of(v.data), v.digest) << v.data.size() << " bytes";
        for (int round = 0; round < 3; round++)
            EXPECT_EQ(hex_in_pieces(v.data, seed++), v.digest) << v.data.size() << " bytes in pieces";
    }
}

TEST(Md5, StringHexNeedsRoomForTheTerminator)
{
    char dst[40];
    memset(dst, 'x', sizeof dst);
    md5_string_hex("", dst, 32); // one short of the terminator's room
    EXPECT_EQ(dst[0], 'x');
    EXPECT_EQ(dst[32], 'x');
    md5_string_hex("", dst, 31);
    EXPECT_EQ(dst[0], 'x');
    md5_string_hex("", dst, 33);
    EXPECT_STREQ(dst, "d41d8cd98f00b204e9800998ecf8427e");
    md5_string_hex("abc", dst, sizeof dst);
    EXPECT_STREQ(dst, "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Md5, FileDigestOfEmptyAndLongStreams)
{
    TempDir dir;
    write_file(dir.file("empty"), "");
    std::string big(3000, 'a'); // several 1024-byte chunks, the last partial
    write_file(dir.file("big"), big);
    uint8_t d[16];
    char hex[MD5_HEX_SIZE];
    FILE *f = fopen(dir.file("empty").c_str(), "rb");
    ASSERT_TRUE(f);
    EXPECT_EQ(md5_file(f, d), 0);
    fclose(f);
    md5_hex_append(d, hex, sizeof hex);
    EXPECT_STREQ(hex, "d41d8cd98f00b204e9800998ecf8427e");
    f = fopen(dir.file("big").c_str(), "rb");
    ASSERT_TRUE(f);
    EXPECT_EQ(md5_file(f, d), 0);
    fclose(f);
    md5_hex_append(d, hex, sizeof hex);
    EXPECT_EQ(std::string(hex), hex_of(big));
    // A stream opened for writing only reports a read error.
    f = fopen(dir.file("wo").c_str(), "w");
    ASSERT_TRUE(f);
    EXPECT_EQ(md5_file(f, d), -1);
    fclose(f);
}

static int check_list(const std::string &list_path, std::string *err)
{
    FILE *f = fopen(list_path.c_str(), "r");
    EXPECT_TRUE(f);
    testing::internal::CaptureStderr();
    int rc = md5_check_list(f);
    *err = testing::internal::GetCapturedStderr();
    fclose(f);
    return rc;
}

TEST(Md5, CheckListGoodBadAndMissingFiles)
{
    TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    write_file("good.txt", "abc");
    write_file("bad.txt", "abd");
    std::string list = "900150983cd24fb0d6963f7d28e17f72  good.txt\n"
                       "900150983cd24fb0d6963f7d28e17f72 *bad.txt\r\n"
                       "900150983cd24fb0d6963f7d28e17f72  missing.txt\n";
    write_file("list.md5", list);
    std::string err;
    EXPECT_EQ(check_list("list.md5", &err), 2);
    EXPECT_EQ(err, ": MD5 check failed for 'bad.txt'\n"
                   ": can't open missing.txt\n");

    // Only a digest failure: 1. The last line has no line end and its name
    // keeps its last character.
    write_file("list2.md5", "900150983cd24fb0d6963f7d28e17f72  good.txt\n"
                            "900150983cd24fb0d6963f7d28e17f72  bad.txt");
    EXPECT_EQ(check_list("list2.md5", &err), 1);
    EXPECT_EQ(err, ": MD5 check failed for 'bad.txt'\n");

    write_file("list3.md5", "900150983cd24fb0d6963f7d28e17f72  good.txt");
    EXPECT_EQ(check_list("list3.md5", &err), 0);
    EXPECT_EQ(err, "");
}

TEST(Md5, CheckListSkipsMalformedLines)
{
    TempDir dir;
    kxtest::ScopedChdir cd(dir.path());
    write_file("good.txt", "abc");
    std::string list = "900150983CD24FB0D6963F7D28E17F72  good.txt\n" // upper case: silent
                       "900150983cd24fb0d6963f7d28e17f72\tgood.txt\n"  // no blank: silent
                       "900150983cd24fb0d6963f7d28e17f72 xgood.txt\n"  // bad mode
                       "900150983cd24fb0d6963f7d28e17f72  " + std::string(300, 'n') + "\n" +
                       std::string(2000, 'f') + "\n"; // longer than a line may be
    write_file("list.md5", list);
    std::string err;
    EXPECT_EQ(check_list("list.md5", &err), 3);
    EXPECT_EQ(err, ": unrecognized line: 900150983cd24fb0d6963f7d28e17f72 xgood.txt\n"
                   ": no files checked\n");
}
