// The real program updating itself: two releases made from the build (the
// second with a changed plug-in and a change log), an update between them
// made by kestrova-mkupdate and served by kestrova-update-server, and release
// 1 of `kestrova`, headless, checking on its virtual clock (moved through
// automation), installing, and being started again.
#include "program_child.h"
#include "tool_child.h"

#include "kestrova/platform/build_stamp.h"
#include "kestrova/platform/registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using kestrova::e2e::listeningPort;
using kestrova::e2e::okValue;
using kestrova::e2e::ProgramChild;
using kestrova::e2e::ToolChild;

namespace {

constexpr int64_t kStartTime = 1'800'000'000;
constexpr char kSettingsKey[] = "SOFTWARE\\Kestorva\\Settings";

// NOTE: a safety limit only, so that a broken update fails instead of hanging.
constexpr auto kPatience = std::chrono::seconds(60);

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The regular files at the top of a folder with their contents.
std::map<std::string, std::string> topFiles(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path().filename().string()] = readFile(entry.path());
    return files;
}

fs::path probe(int release) {
    return fs::path(KESTROVA_BUILD_DIR) / "tests" / "update-probe" / std::to_string(release) / "updprobe.so";
}

// Release 1 of the program (with the updates plug-in and release 1 of the
// probe), run headless from its own folder with its own settings and
// desktop folders.
class Release1Scene : public ::testing::Test {
  protected:
    fs::path root = makeRoot();
    fs::path folder = root / "program";
    fs::path work = root / "work";
    fs::path release1 = work / "release-1";
    fs::path release2 = work / "release-2";
    fs::path published = work / "published";
    fs::path config = root / "config";
    std::unique_ptr<ProgramChild> program;

    void SetUp() override {
        kestrova::e2e::makeProgramFolder(folder, {fs::path(KESTROVA_BIN_DIR) / "updates.so", probe(1)});
        ASSERT_TRUE(kestrova::platform::writeBuildStamp(folder / "updprobe.so", 1'600'000'001));
        fs::create_directories(published);
        auto options = fs::copy_options::recursive | fs::copy_options::copy_symlinks;
        fs::copy(folder, release1, options);
        fs::copy(folder, release2, options);
        fs::copy_file(probe(2), release2 / "updprobe.so", fs::copy_options::overwrite_existing);
        ASSERT_TRUE(kestrova::platform::writeBuildStamp(release2 / "updprobe.so", 1'600'000'002));
        ASSERT_NE(readFile(release1 / "updprobe.so"), readFile(release2 / "updprobe.so"));
    }
    void TearDown() override {
        program.reset();
        fs::remove_all(root);
    }

    // Publishes the update from release 1 to release 2, signed with the key.
    void publish(const fs::path& key) {
        std::ofstream(work / "notes.txt") << "Faster start.\nFewer bugs.\n";
        ToolChild mkupdate({KESTROVA_MKUPDATE, "--key", key.string(), "--changelog",
                            (work / "notes.txt").string(), release1.string(), release2.string(),
                            (published / "release-2.kup").string()});
        ASSERT_EQ(mkupdate.wait(), 0);
    }

    // The settings, written before the first start: the update server and
    // no sign-in.
    void pointAtServer(int port) {
        kestrova::platform::RegistryTree tree;
        tree[kSettingsKey]["Updates/ServerHost"] = "127.0.0.1";
        tree[kSettingsKey]["Updates/ServerPort"] = std::to_string(port);
        fs::create_directories(home());
        std::ofstream(home() / "user.reg") << kestrova::platform::formatRegistryText(tree);
    }

    fs::path home() const { return root / "settings" / "home"; }
    std::string setting(const std::string& name) {
        auto tree = kestrova::platform::parseRegistryText(readFile(home() / "user.reg"));
        return tree[kSettingsKey][name];
    }

    void start() {
        kestrova::e2e::ProgramOptions options;
        options.folder = folder;
        options.extraArguments = {"--virtual-clock", std::to_string(kStartTime)};
        options.environment = {{"XDG_CONFIG_HOME", config.string()}};
        program =
            std::make_unique<ProgramChild>(root / "settings", 0, kestrova::e2e::HarnessAccount{}, options);
        ASSERT_TRUE(program->ready());
    }
    std::string ask(const std::string& line) { return program->request(line); }
    // The handle of a top-level window with that title ("" when there is none).
    std::string window(const std::string& title) { return okValue(ask("find title=\"" + title + "\"")); }
    std::string overviewLog() {
        std::string children = ask("children " + window("overview log"));
        std::string reply = ask("text " + okValue(children));
        return reply.starts_with("OK ") ? reply.substr(3) : reply;
    }
    bool waitForOverview(const std::string& line) {
        auto until = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < until) {
            if (overviewLog().find(line) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

  private:
    static fs::path makeRoot() {
        std::string pattern = (fs::temp_directory_path() / "kestrova-update-e2e-XXXXXX").string();
        return ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
};

} // namespace

TEST_F(Release1Scene, TheRunningProgramFetchesAndInstallsAnUpdateThatTakesEffectAtTheNextStart) {
    publish(KESTROVA_TEST_RELEASE_SECRET);
    std::string listening;
    ToolChild server({KESTROVA_UPDATE_SERVER, "--updates", published.string(), "--port", "0"}, &listening);
    ASSERT_GT(listeningPort(listening), 0) << listening;
    pointAtServer(listeningPort(listening));

    start();
    EXPECT_NE(window("update probe 1"), "");
    EXPECT_EQ(ask("clock advance 299999"), "OK virtual=1 unix=1800000299 tick=300999");
    EXPECT_EQ(overviewLog(), "\"\"") << "nothing before the first five minutes";
    ask("clock advance 1");
    ASSERT_TRUE(waitForOverview("update New Updates Installed / Restart Kestrova when Convenient"))
        << overviewLog();
    std::string log = overviewLog();
    for (const char* line :
         {"section UPDATES Automatic Updates\\n",
          "add Automatic Updates / Connecting to server... icon=DOWNLOAD\\n",
          "update Automatic Updates / Checking for updates...\\n",
          "update Downloading Updates / Downloading ", "update Automatic Updates / Installing Updates\\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " in " << log;

    // In place while the program runs; the old file and the change log wait
    // for the next start.
    EXPECT_EQ(readFile(folder / "updprobe.so"), readFile(release2 / "updprobe.so"));
    EXPECT_TRUE(fs::exists(folder / "updprobe.so.old"));
    EXPECT_TRUE(fs::exists(folder / "changelog.txt"));
    // An installed update is kept: later ticks check no more.
    ask("clock set " + std::to_string(kStartTime + 3 * 3600));
    ask("clock advance 300000");
    EXPECT_EQ(overviewLog(), log);
    EXPECT_EQ(program->quit(), 0);
    EXPECT_EQ(setting("Updates/LastCheck"), std::to_string(kStartTime + 300));
    EXPECT_EQ(setting("updates.versionid"), "5");
    EXPECT_TRUE(fs::exists(config / "autostart" / "kestrova.desktop"));

    // The next start runs the new plug-in, removes the leftovers and shows
    // the change log.
    start();
    EXPECT_EQ(window("update probe 1"), "");
    EXPECT_NE(window("update probe 2"), "");
    std::string changeLog = window("Kestrova Updated!");
    ASSERT_NE(changeLog, "");
    EXPECT_EQ(ask("foreground"), "OK " + changeLog);
    std::string children = ask("children " + changeLog);
    ASSERT_EQ(children.rfind("OK 0x", 0), 0u) << children;
    std::string edit = children.substr(3, children.find(' ', 3) - 3);
    EXPECT_EQ(ask("text " + edit), "OK \"Faster start.\r\\nFewer bugs.\r\\n\"");
    EXPECT_EQ(ask("softkeys"), "OK \"OK\" -");
    EXPECT_EQ(ask("softkey 1"), "OK");
    EXPECT_EQ(window("Kestrova Updated!"), "");
    auto files = topFiles(folder);
    EXPECT_TRUE(files == topFiles(release2)) << "the folder holds release 2 and nothing else";
    EXPECT_EQ(program->quit(), 0);

    // Once only.
    start();
    EXPECT_NE(window("update probe 2"), "");
    EXPECT_EQ(window("Kestrova Updated!"), "");
    EXPECT_EQ(program->quit(), 0);
}

TEST_F(Release1Scene, AnUpdateSignedWithAnotherKeyIsRefusedAndNothingIsWritten) {
    ToolChild keygen({KESTROVA_MKUPDATE, "--keygen", (work / "stranger").string()});
    ASSERT_EQ(keygen.wait(), 0);
    publish(work / "stranger.key");
    std::string listening;
    ToolChild server({KESTROVA_UPDATE_SERVER, "--updates", published.string(), "--port", "0"}, &listening);
    ASSERT_GT(listeningPort(listening), 0) << listening;
    pointAtServer(listeningPort(listening));
    auto before = topFiles(folder);

    start();
    ask("clock advance 300000");
    ASSERT_TRUE(waitForOverview("update Automatic Updates / Installing Updates\\ndelete\\n"))
        << overviewLog();
    EXPECT_EQ(overviewLog().find("New Updates Installed"), std::string::npos);
    EXPECT_TRUE(topFiles(folder) == before) << "no file written, none replaced";
    EXPECT_EQ(program->quit(), 0);

    start();
    EXPECT_NE(window("update probe 1"), "");
    EXPECT_EQ(window("Kestrova Updated!"), "");
    EXPECT_EQ(program->quit(), 0);
}
