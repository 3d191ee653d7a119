#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "app/base/md5.h"

// The digest of data fed whole (seed 0) or in pieces of random sizes (0
// included).
static std::string hex_of(const std::string &data, unsigned seed = 0)
{
    std::mt19937 rng(seed);
    Md5Context ctx;
    uint8_t d[16];
    md5_init(&ctx);
    if (!seed)
        md5_update(&ctx, data.data(), data.size());
    for (size_t pos = 0, n; seed && pos < data.size(); pos += n) {
        n = std::min<size_t>(rng() % 150, data.size() - pos);
        md5_update(&ctx, data.data() + pos, n);
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
            EXPECT_EQ(hex_of(v.data, seed++), v.digest) << v.data.size() << " bytes in pieces";
        char dst[MD5_HEX_SIZE];
        md5_string_hex(v.data.c_str(), dst, sizeof dst);
        EXPECT_STREQ(dst, v.digest);
    }
    // No room for the terminator: nothing written.
    char dst[40] = "untouched";
    md5_string_hex("", dst, 32);
    EXPECT_STREQ(dst, "untouched");
}
