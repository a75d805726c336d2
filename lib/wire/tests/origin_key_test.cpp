#include "kestrova/wire/origin_key.h"

#include <gtest/gtest.h>

using namespace kestrova::wire;

TEST(OriginKey, OnlyAPlainNonZeroDecimalThatFits64BitsIsAKey) {
    EXPECT_EQ(parseOriginKey("1"), 1u);
    EXPECT_EQ(parseOriginKey("18446744073709551615"), UINT64_MAX);
    EXPECT_EQ(parseOriginKey("00000000000000000042"), 42u) << "twenty digits, leading zeros";
    for (std::string_view bad : {"", "0", "18446744073709551616", "000000000000000000042", "-5", "+5", " 5",
                                 "5 ", "0x1f", "1f", "12a"})
        EXPECT_EQ(parseOriginKey(bad), std::nullopt) << '"' << bad << '"';
}
