#include "profile_frame.h"
#include "server_clock.h"

#include <gtest/gtest.h>

using namespace kestrova::connection;

TEST(ProfileFrame, WithoutAnIvTheWholeBodyIsTheMap) {
    auto frame = splitProfileBody("MAPBYTES", 0, 5);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->map, "MAPBYTES");
    EXPECT_TRUE(frame->iv.empty());
    EXPECT_TRUE(frame->resumeKey.empty());
}

TEST(ProfileFrame, CutsTheIvInFrontAndTheKeyBehind) {
    auto frame = splitProfileBody("IVIVIVIVmapKEY", 8, 3);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->iv, "IVIVIVIV");
    EXPECT_EQ(frame->map, "map");
    EXPECT_EQ(frame->resumeKey, "KEY");
}

TEST(ProfileFrame, RefusesBlocksThatDoNotFit) {
    EXPECT_FALSE(splitProfileBody("short", 8, 0));
    EXPECT_FALSE(splitProfileBody("IVIVIVIVx", 8, 2));
    EXPECT_FALSE(splitProfileBody("anything", -1, 0));
    EXPECT_FALSE(splitProfileBody("anything", 2, -1));
}

TEST(ServerTime, ReadsSecondsAndMicrosecondsAsTwoDecimals) {
    auto time = parseServerTime("1700000123.450");
    ASSERT_TRUE(time);
    EXPECT_EQ(time->seconds, 1700000123);
    EXPECT_EQ(time->microseconds, 450);
    // Zero-padded microseconds are the same number.
    EXPECT_EQ(parseServerTime("1700000123.000450")->microseconds, 450);
    // Microseconds beyond a second are carried: 5 s + 1.5 s.
    time = parseServerTime("5.1500000");
    EXPECT_EQ(time->seconds, 6);
    EXPECT_EQ(time->microseconds, 500000);
    time = parseServerTime(" +7. -1 and more");
    EXPECT_EQ(time->seconds, 6);
    EXPECT_EQ(time->microseconds, 999999);
}

TEST(ServerTime, RefusesWhatIsNoTime) {
    EXPECT_FALSE(parseServerTime("1700000123"));
    EXPECT_FALSE(parseServerTime("1700000123."));
    EXPECT_FALSE(parseServerTime(".5"));
    EXPECT_FALSE(parseServerTime("17x.5"));
    EXPECT_FALSE(parseServerTime("1 .5"));
    EXPECT_FALSE(parseServerTime("-1.5"));          // before 1970
    EXPECT_FALSE(parseServerTime("2147483648.0"));  // beyond a 32-bit number
    EXPECT_FALSE(parseServerTime("1." + std::string(70, '0')));
}

TEST(ServerTime, TheOffsetKeepsMicrosecondsInRange) {
    auto offset = clockOffset({100, 200}, {90, 900});
    EXPECT_EQ(offset.seconds, 9);
    EXPECT_EQ(offset.microseconds, 999300);
    offset = clockOffset({90, 0}, {100, 1});
    EXPECT_EQ(offset.seconds, -11);
    EXPECT_EQ(offset.microseconds, 999999);
}
