#include <gtest/gtest.h>

#include "command_line.h"
#include "plugin_loader.h"

using namespace kestrova::shell;

TEST(CommandLine, TheSystemsSwitchesAreFoundAnywhereInTheLine) {
    auto line = parseCommandLine({"x/hiddenx", "AppRunAtTime", "/newinstance"});
    EXPECT_TRUE(line.hidden);
    EXPECT_TRUE(line.appRunAtTime);
    EXPECT_TRUE(line.newInstance);
    EXPECT_TRUE(line.error.empty());
    auto plain = parseCommandLine({});
    EXPECT_FALSE(plain.hidden || plain.appRunAtTime || plain.newInstance);
}

TEST(CommandLine, DesktopOptionsAreReadAndMistakesReported) {
    auto line = parseCommandLine({"--screen", "480x640@192", "--display=headless", "--automation", "/tmp/s"});
    ASSERT_TRUE(line.screen);
    EXPECT_EQ(line.screen->dpi, 192);
    EXPECT_EQ(line.display, kestrova::platform::DisplayKind::kHeadless);
    EXPECT_EQ(line.automationSocket, "/tmp/s");
    EXPECT_NE(parseCommandLine({"--screen", "big"}).error, "");
    EXPECT_NE(parseCommandLine({"--display", "x11"}).error, "");
    EXPECT_NE(parseCommandLine({"--frobnicate"}).error, "");
    EXPECT_TRUE(parseCommandLine({"--help"}).help);
    EXPECT_EQ(parseCommandLine({"--virtual-clock", "1700000000"}).virtualClock, 1700000000);
    EXPECT_NE(parseCommandLine({"--virtual-clock=soon"}).error, "");
    EXPECT_FALSE(parseCommandLine({}).virtualClock);
}

