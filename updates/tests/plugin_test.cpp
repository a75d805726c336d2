// The plug-in object over the real core API: start-up tasks, the change-log
// window, the timer on the platform clock, the check request's values from
// the settings and variants, and the overview item through the overview's
// named functions (a recording stand-in here).
#include "core_update_host.h"
#include "update_folder.h"
#include "update_texts.h"
#include "updates_plugin.h"

#include "kestrova/bus.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/own_module.h"
#include "kestrova/kit/settings.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/edit.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"
#include "support/loopback_peer.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <thread>

using namespace kestrova;
using namespace kestrova::updates;
using namespace kestrova::updates::testing;
using namespace std::chrono_literals;

namespace {

// The overview's four functions, recording each call as a line.
class OverviewRecorder {
  public:
    std::vector<std::string> lines;

    OverviewRecorder() {
        functions_.push_back(
            kit::registerFunction(names::kOverviewCreateSection, [this](const RY_OverviewSectionArgs* a) {
                lines.push_back(std::string("section ") + a->key + " \"" + a->title +
                                "\" top=" + std::to_string(a->atTop));
                return reinterpret_cast<void*>(&section_);
            }));
        functions_.push_back(
            kit::registerFunction(names::kOverviewAddStaticItem, [this](const RY_OverviewItemArgs* a) {
                bool ownIcon = a->iconModule == kit::ownModule() && a->iconName &&
                               std::string(a->iconName) == "DOWNLOAD";
                lines.push_back(std::string("add ") + a->title + " / " + a->text +
                                (ownIcon ? " [DOWNLOAD]" : " [no icon]") +
                                (a->section == &section_ ? "" : " [wrong section]"));
                return reinterpret_cast<void*>(&item_);
            }));
        functions_.push_back(
            kit::registerFunction(names::kOverviewUpdateStaticItem, [this](const RY_OverviewItemArgs* a) {
                lines.push_back(std::string("update ") + a->title + " / " + a->text +
                                (a->item == &item_ ? "" : " [wrong item]"));
                return int32_t{1};
            }));
        functions_.push_back(kit::registerFunction(names::kOverviewDeleteItem, [this](void* item) {
            lines.push_back(item == &item_ ? "delete" : "delete [wrong item]");
            return int32_t{1};
        }));
    }

  private:
    int section_ = 0, item_ = 0;
    std::vector<kit::RegisteredFunction> functions_;
};

class UpdatesPluginTest : public ::testing::Test {
  protected:
    UpdateFolder home, config, program;

    void SetUp() override {
        ::setenv("KESTROVA_HOME", home.path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    }
    void TearDown() override {
        RY_API_Cleanup();
        ::unsetenv("XDG_CONFIG_HOME");
    }
    static bool pumpUntil(const std::function<bool()>& done) {
        return kestrova::testing::pumpUntil(
            [] {
                platform::pumpPendingMessages();
                std::this_thread::sleep_for(2ms);
            },
            done);
    }
};

} // namespace

TEST_F(UpdatesPluginTest, StartCleansUpMigratesAndShowsTheDeliveredChangeLogOnce) {
    program.write("kestrova", "program");
    program.write("libapi.so", "new api");
    program.write("libapi.so.old", "old api");
    program.write("connection.so.new", "never installed");
    program.write("changelog.txt", "Faster start.\nFewer bugs.\n");
    platform::CreateParams mainWindow;
    mainWindow.className = "STATIC";
    mainWindow.title = "Kestrova";
    mainWindow.style = platform::WS_POPUP;
    platform::UniqueWindow main(platform::createWindow(mainWindow));
    bus::set(names::kCoreWindowHwnd, main.get());

    UpdatesPlugin plugin({program.path(), "kestrova", kit::ownModule()});
    plugin.Start();
    EXPECT_EQ(plugin.started, 1);
    EXPECT_FALSE(program.has("libapi.so.old"));
    EXPECT_FALSE(program.has("connection.so.new"));
    EXPECT_FALSE(program.has("changelog.txt"));
    EXPECT_EQ(program.read("libapi.so"), "new api");
    EXPECT_EQ(kit::readSetting(settings::kUpdatesVersionId), 5);
    EXPECT_TRUE(std::filesystem::exists(config.path() / "autostart" / "kestrova.desktop"));

    ASSERT_NE(plugin.changeLog(), nullptr);
    platform::HWND window = plugin.changeLog()->hwnd();
    ASSERT_TRUE(platform::isWindow(window));
    EXPECT_EQ(platform::windowText(window), "Kestrova Updated!");
    EXPECT_EQ(platform::ownerOf(window), main.get());
    EXPECT_EQ(platform::windowRect(window), platform::workArea()) << "a full-screen dialog";
    EXPECT_EQ(platform::foregroundWindow(), window);
    platform::HWND text = platform::childById(window, ChangeLogWindow::kTextId);
    EXPECT_EQ(platform::windowText(text), "Faster start.\r\nFewer bugs.\r\n");
    platform::Rect textRect = platform::windowRect(text), inside = platform::clientRect(window);
    EXPECT_EQ(textRect.right - textRect.left, inside.right) << "the text fills the window";
    EXPECT_EQ(textRect.bottom - textRect.top, inside.bottom);
    EXPECT_NE(platform::windowStyle(text) & platform::ES_READONLY, 0u);
    auto bar = platform::menuBarOf(window);
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->left.label, "OK");
    EXPECT_FALSE(bar->right.visible);
    platform::pressSoftKey(window, 0);
    platform::pumpPendingMessages();
    EXPECT_FALSE(platform::isWindow(window));

    // A later start has nothing to show; the shortcut the user removed stays away.
    plugin.Stop();
    std::filesystem::remove(config.path() / "autostart" / "kestrova.desktop");
    plugin.Start();
    EXPECT_EQ(plugin.changeLog(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(config.path() / "autostart" / "kestrova.desktop"));
}

TEST_F(UpdatesPluginTest, TheTimerChecksWithTheSettingsAndVariantsWhileStartedAndReportsOnTheOverview) {
    platform::VirtualClock clock({1'800'000'000, 0});
    kestrova::testing::LoopbackPeer server;
    program.write("kestrova", "program");
    program.write("updates.so", "plug-in");
    kit::writeSetting(settings::kUpdatesServerHost, "127.0.0.1");
    kit::writeSetting(settings::kUpdatesServerPort, server.port());
    kit::writeSetting(settings::kUpdatesLastCheck, 1'800'000'000 - 3000); // 50 minutes ago
    bus::set(names::kConnectionSubId, "987654321");
    ::setenv("LC_ALL", "en_GB.UTF-8", 1);
    OverviewRecorder overview;

    UpdatesPlugin plugin({program.path(), "kestrova", kit::ownModule()});
    // Loaded but not started: ticks do nothing.
    clock.advance(std::chrono::minutes(20));
    platform::pumpPendingMessages();
    EXPECT_EQ(plugin.updater().run(), nullptr);

    plugin.Start();
    clock.advance(std::chrono::minutes(5));
    platform::pumpPendingMessages();
    ASSERT_NE(plugin.updater().run(), nullptr) << "the last check is now more than an hour old";
    EXPECT_EQ(kit::readSetting(settings::kUpdatesLastCheck), 1'800'001'500);

    ASSERT_TRUE(pumpUntil([&] { return server.pendingBytes().find("</root>") != std::string::npos; }));
    std::string request = server.pendingBytes();
    EXPECT_EQ(request.rfind("POST /u.php HTTP/1.0\n", 0), 0u);
    EXPECT_NE(request.find("host: 127.0.0.1\n"), std::string::npos);
    EXPECT_NE(request.find("<platform><name>SmartPhone</name><language>2057</language></platform>"
                           "<user><subid>987654321</subid></user></root>"),
              std::string::npos)
        << request;
    server.send("HTTP/1.0 200 OK\ncontent-length: 0\n\n");
    ASSERT_TRUE(pumpUntil([&] { return plugin.updater().run()->state() == RunState::UpToDate; }));
    EXPECT_EQ(overview.lines,
              (std::vector<std::string>{"section UPDATES \"Automatic Updates\" top=0",
                                        "add Automatic Updates / Connecting to server... [DOWNLOAD]",
                                        "update Automatic Updates / Checking for updates...", "delete"}));
    EXPECT_FALSE(plugin.overviewItem().shown());

    // Stopped, it checks no more, however old the last check.
    plugin.Stop();
    EXPECT_EQ(plugin.updater().run(), nullptr);
    clock.advance(std::chrono::hours(3));
    platform::pumpPendingMessages();
    EXPECT_EQ(plugin.updater().run(), nullptr);
    ::unsetenv("LC_ALL");
}

TEST_F(UpdatesPluginTest, TheLibraryHandsOutOnePluginForInterfaceVersionFiveOnly) {
    std::string path = std::string(KESTROVA_BIN_DIR) + "/updates.so";
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    auto load = reinterpret_cast<PluginLoadProc>(::dlsym(module, "PluginLoad"));
    auto unload = reinterpret_cast<PluginUnloadProc>(::dlsym(module, "PluginUnload"));
    ASSERT_TRUE(load && unload);
    Plugin* plugin = reinterpret_cast<Plugin*>(1);
    EXPECT_EQ(load(4, &plugin), 0);
    EXPECT_EQ(plugin, nullptr);
    ASSERT_EQ(load(5, &plugin), 1);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->started, 0) << "loaded, not started";
    EXPECT_STREQ(plugin->GetInfo(), "");
    Plugin* again = nullptr;
    EXPECT_EQ(load(5, &again), 1);
    EXPECT_EQ(again, plugin);
    EXPECT_EQ(unload(), 0);
    ::dlclose(module);
}

TEST(UpdatesPluginParts, NumbersAreReadAsAtolReadsThemAndFormatsTakeOnlyNumbers) {
    EXPECT_EQ(leadingNumber(" -42abc"), -42);
    EXPECT_EQ(leadingNumber("12345678901"), 12345678901);
    EXPECT_EQ(leadingNumber("x1"), 0);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("99999999999999999999999"), INT64_MAX);

    EXPECT_EQ(texts::text(texts::kDownloadingFormat), "Downloading %d/%d KB (%d %%)");
    EXPECT_EQ(texts::formatNumbers(texts::text(texts::kDownloadingFormat), {12, 340, 3}),
              "Downloading 12/340 KB (3 %)");
    // A format from a damaged table cannot reach past the numbers given.
    EXPECT_EQ(texts::formatNumbers("%s %d %d %n %", {7}), "%s 7 %d %n %");
}
