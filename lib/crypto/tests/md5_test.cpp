#include "kestrova/crypto/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace kestrova::crypto;

namespace {

std::string hex(const uint8_t* bytes, size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t k = 0; k < length; ++k) {
        text += digits[bytes[k] >> 4];
        text += digits[bytes[k] & 15];
    }
    return text;
}

std::string md5Hex(const std::string& text) {
    const Md5Digest digest = md5(text.data(), text.size());
    return hex(digest.data(), digest.size());
}

std::string md5HexInPieces(const std::vector<uint8_t>& data, const std::vector<size_t>& pieces) {
    Md5Context context;
    md5Starts(context);
    size_t offset = 0;
    for (size_t k = 0; offset < data.size(); ++k) {
        const size_t take = std::min(pieces[k % pieces.size()], data.size() - offset);
        md5Update(context, data.data() + offset, take);
        offset += take;
    }
    uint8_t out[16];
    md5Finish(context, out);
    return hex(out, 16);
}

std::vector<uint8_t> patternBytes(size_t length) {
    std::vector<uint8_t> data(length);
    for (size_t k = 0; k < length; ++k) data[k] = uint8_t(k * 31 + 7);
    return data;
}

}  // namespace

TEST(Md5, MatchesTheReferenceTestSuite) {
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(md5Hex("1234567890123456789012345678901234567890123456789012345678901234567890123456789"
                     "0"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, MillionRepeatedBytesMatchTheKnownDigest) {
    EXPECT_EQ(md5Hex(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5, PiecewiseUpdatesGiveTheSameDigestAsOneUpdate) {
    const std::vector<uint8_t> data = patternBytes(1000);
    const std::string whole = md5HexInPieces(data, {data.size()});
    EXPECT_EQ(md5HexInPieces(data, {1}), whole);
    EXPECT_EQ(md5HexInPieces(data, {63}), whole);
    EXPECT_EQ(md5HexInPieces(data, {64}), whole);
    EXPECT_EQ(md5HexInPieces(data, {1, 63, 64}), whole);
    EXPECT_EQ(md5HexInPieces(data, {65, 0, 7}), whole);
}

TEST(Md5, PaddingBoundariesAroundTheLengthFieldAreHandled) {
    // 55, 56 and 64 bytes: the padding fits, just misses, or needs a whole block.
    EXPECT_EQ(md5Hex(std::string(55, 'x')), md5HexInPieces(std::vector<uint8_t>(55, 'x'), {1}));
    EXPECT_EQ(md5Hex(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(md5Hex(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
}

TEST(Md5, CountRecordsTheBytesLowWordFirst) {
    Md5Context context;
    md5Starts(context);
    const std::vector<uint8_t> data = patternBytes(130);
    md5Update(context, data.data(), data.size());
    EXPECT_EQ(context.count[0], 130u);
    EXPECT_EQ(context.count[1], 0u);
    EXPECT_EQ(0, std::memcmp(context.buffer, data.data() + 128, 2));
}
