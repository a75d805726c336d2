#include "compressed_body.h"

#include <gtest/gtest.h>

using namespace kestrova::updates;

TEST(CompressedBody, ExpandsToExactlyWhatWasPackedAndNothingElse) {
    std::string body;
    for (int i = 0; i < 5000; ++i)
        body += "copy " + std::to_string(i % 97) + '\0';
    std::string packed = compressBody(body);
    ASSERT_FALSE(packed.empty());
    EXPECT_LT(packed.size(), body.size() / 4);
    EXPECT_EQ(expandBody(packed, body.size()), body);
    EXPECT_EQ(expandBody(compressBody(""), 0), "");

    EXPECT_EQ(expandBody(packed, body.size() - 1), std::nullopt) << "one byte over the limit";
    EXPECT_EQ(expandBody(packed.substr(0, packed.size() - 1), body.size()), std::nullopt) << "truncated";
    EXPECT_EQ(expandBody(packed + packed, 2 * body.size()), std::nullopt) << "anything after the stream";
    EXPECT_EQ(expandBody(body, body.size()), std::nullopt) << "not compressed at all";
    std::string flipped = packed;
    flipped[packed.size() / 2] ^= 0x20;
    EXPECT_EQ(expandBody(flipped, body.size()), std::nullopt);
}

TEST(CompressedBody, AStreamThatExpandsFarBeyondTheLimitStopsAtTheLimit) {
    std::string huge(4u << 20, '\0');
    std::string packed = compressBody(huge);
    ASSERT_LT(packed.size(), 4u * 1024);
    EXPECT_EQ(expandBody(packed, 1u << 20), std::nullopt);
}
