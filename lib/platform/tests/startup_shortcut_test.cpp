#include "kestrova/platform/startup_shortcut.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool desktopFileValidates(const std::filesystem::path& path) {
    std::string command = "desktop-file-validate '" + path.string() + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    int status = pipe ? ::pclose(pipe) : -1;
    EXPECT_EQ(output, "") << path;
    return status == 0;
}

} // namespace

TEST(StartupShortcut, IsAValidAutostartEntryThatStartsTheProgramHidden) {
    char pattern[] = "/tmp/kestrova-autostart-XXXXXX";
    std::filesystem::path config = ::mkdtemp(pattern);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    ASSERT_TRUE(kestrova::platform::writeStartupShortcut("/opt/kestrova/kestrova", "/hidden"));
    std::filesystem::path entry = config / "autostart" / "kestrova.desktop";
    EXPECT_EQ(kestrova::platform::startupShortcutPath(), entry);
    EXPECT_NE(readFile(entry).find("\nExec=\"/opt/kestrova/kestrova\" /hidden\n"), std::string::npos);
    EXPECT_TRUE(desktopFileValidates(entry));

    // A folder name with every character that needs escaping.
    ASSERT_TRUE(
        kestrova::platform::writeStartupShortcut("/home/a b/\"q\" $x `y` 100% \\z/kestrova", "/hidden"));
    EXPECT_NE(readFile(entry).find(R"(Exec="/home/a b/\\"q\\" \\$x \\`y\\` 100%% \\\\z/kestrova" /hidden)"),
              std::string::npos);
    EXPECT_TRUE(desktopFileValidates(entry));

    EXPECT_FALSE(kestrova::platform::startupShortcutEntry("/tmp/new\nline", "/hidden"));
    EXPECT_TRUE(kestrova::platform::removeStartupShortcut());
    EXPECT_FALSE(std::filesystem::exists(entry));
    std::filesystem::remove_all(config);
    ::unsetenv("XDG_CONFIG_HOME");
}
