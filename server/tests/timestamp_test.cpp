#include "timestamp.h"

#include <gtest/gtest.h>

using namespace kestrova::server;

TEST(WireTimes, MicrosecondsArePlainDecimalNumbers) {
    using std::chrono::microseconds;
    auto at = [](int64_t micros) {
        return formatTimestamp(std::chrono::system_clock::time_point(microseconds(micros)));
    };
    EXPECT_EQ(at(1'700'000'000'000'042), "1700000000.42");
    EXPECT_EQ(at(1'700'000'476'000'000), "1700000476.0");
    EXPECT_EQ(at(1'700'000'000'999'999), "1700000000.999999");
    EXPECT_EQ(at(0), "0.0");
}
