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
    auto values = parseCommandLine({"--screenshot", "/tmp/hidden/AppRunAtTime.png", "--automation=/newinstance"});
    EXPECT_FALSE(values.hidden || values.appRunAtTime || values.newInstance) << "inside option values";
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
}

TEST(Language, TheUsersLocaleGivesItsLanguageIdentifier) {
    setenv("LC_ALL", "en_GB.UTF-8", 1);
    EXPECT_EQ(userLanguageId(), 0x0809);
    setenv("LC_ALL", "de_AT.UTF-8", 1);
    EXPECT_EQ(userLanguageId(), 0x0407);  // the language without the country
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(userLanguageId(), 0x0409);
    unsetenv("LC_ALL");
}
