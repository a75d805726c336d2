#include "recording_host.h"
#include "startup_tasks.h"
#include "update_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

using namespace kestrova::updates;
using namespace kestrova::updates::testing;

TEST(StartupTasks, MigrationsRunOnceByLevel) {
    UpdateFolder config;
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    std::filesystem::path entry = config.path() / "autostart" / "kestrova.desktop";

    RecordingHost fresh;
    fresh.platform = "PocketPC";
    migrateSettings(fresh, "/opt/kestrova/kestrova");
    EXPECT_EQ(fresh.level, 5);
    EXPECT_EQ(fresh.powerSave, 1);
    std::ifstream in(entry);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Exec=\"/opt/kestrova/kestrova\" /hidden\n"), std::string::npos);

    // Level 1: the user may have removed the shortcut since; it is not made
    // again. Power saving is only for a "PocketPC".
    std::filesystem::remove(entry);
    RecordingHost later;
    later.level = 1;
    migrateSettings(later, "/opt/kestrova/kestrova");
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_EQ(later.powerSave, 0);
    EXPECT_EQ(later.level, 5);
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(StartupTasks, AChangeLogIsShownOnceAndTextThatIsNotUtf8IsReplaced) {
    UpdateFolder folder;
    EXPECT_FALSE(takeChangeLog(folder.path()));
    folder.write("changelog.txt", "Neu: \xc3\xa4\n");
    EXPECT_EQ(takeChangeLog(folder.path()), "Neu: \xc3\xa4\n");
    EXPECT_FALSE(folder.has("changelog.txt"));
    EXPECT_FALSE(takeChangeLog(folder.path()));

    folder.write("changelog.txt", "bad \xff");
    EXPECT_EQ(takeChangeLog(folder.path()), kUnconvertibleText);
    // A huge log is cut on a character boundary.
    folder.write("changelog.txt", std::string(kMaxChangeLogBytes - 1, 'a') + "\xc3\xa4" + "tail");
    auto cut = takeChangeLog(folder.path());
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->size(), kMaxChangeLogBytes - 1);
}
