// The plug-in library as the program loads it: its two exports, the version
// it accepts, and what its start and stop put on the bus and take off.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/platform/paths.h"
#include "view_environment.h"

namespace {

std::filesystem::path pluginPath() {
    const char* bin = std::getenv("KESTROVA_BIN");
    std::filesystem::path folder =
        bin ? std::filesystem::path(bin) : kestrova::platform::programFolder().parent_path() / "bin";
    return folder / "messaging.so";
}

TEST(MessagingPlugin, LoadsOnlyAtVersion5StartsAndStopsCleanly) {
    kestrova::messaging::testing::useTestEnvironment();
    char pattern[] = "/tmp/kestrova-plugin-XXXXXX";
    std::filesystem::path home = ::mkdtemp(pattern);
    ::setenv("KESTROVA_HOME", home.c_str(), 1);

    void* library = ::dlopen(pluginPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    auto load = reinterpret_cast<PluginLoadProc>(::dlsym(library, "PluginLoad"));
    auto unload = reinterpret_cast<PluginUnloadProc>(::dlsym(library, "PluginUnload"));
    ASSERT_NE(load, nullptr);
    ASSERT_NE(unload, nullptr);

    Plugin* plugin = reinterpret_cast<Plugin*>(0x1);
    EXPECT_EQ(load(4, &plugin), 0);
    EXPECT_EQ(plugin, nullptr) << "another version gets no object";
    ASSERT_EQ(load(5, &plugin), 1);
    ASSERT_NE(plugin, nullptr);
    Plugin* again = nullptr;
    EXPECT_EQ(load(5, &again), 1);
    EXPECT_EQ(again, plugin) << "one object per library";
    EXPECT_STREQ(plugin->GetInfo(), "");

    EXPECT_FALSE(kestrova::bus::provided(kestrova::names::kMessagingPopupChatsList));
    plugin->Start();
    EXPECT_EQ(plugin->started, 1);
    EXPECT_TRUE(kestrova::bus::provided(kestrova::names::kMessagingPopupChatsList));
    plugin->Stop();
    EXPECT_EQ(plugin->started, 0);
    EXPECT_FALSE(kestrova::bus::provided(kestrova::names::kMessagingPopupChatsList))
        << "nothing left on the bus";
    EXPECT_EQ(unload(), 0);
    RY_API_Cleanup();
    std::filesystem::remove_all(home);
}

} // namespace
