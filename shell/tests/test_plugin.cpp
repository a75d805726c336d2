// A plug-in for the start-up tests. It writes what happens to it into the
// file named by KESTROVA_TEST_LOG, one line each: "<pid> <name> <event>".
// KESTROVA_TEST_EXIT=startup makes it end the program from "core.startup".
// Built with PLUGIN_WATCH_CHATS it also writes every chat asked for
// ("chat contact <id>", "chat group <id>"), as the messaging plug-in hears them.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/window.h"

namespace {

void note(const std::string& event) {
    const char* path = std::getenv("KESTROVA_TEST_LOG");
    if (!path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%d %s %s\n", static_cast<int>(getpid()), PLUGIN_NAME, event.c_str());
        std::fclose(f);
    }
}

void onStartup() {
    namespace platform = kestrova::platform;
    namespace bus = kestrova::bus;
    namespace names = kestrova::names;
    platform::HWND main = bus::get(names::kCoreWindowHwnd);
    bool framework = platform::className(main).rfind("RY_CTRL_", 0) == 0;
    note(std::string("startup window=") + (framework ? "framework" : "missing") +
         " layout=" + (bus::get(names::kCoreWindowLayout) ? "set" : "null") +
         " display=" + platform::displayKindName(platform::currentDisplay()));
    const char* exitAt = std::getenv("KESTROVA_TEST_EXIT");
    if (exitAt && std::string(exitAt) == "startup") note("exit " + std::to_string(RY_Exit()));
}

class TestPlugin final : public Plugin {
  public:
    void Start() override {
        note("start");
        subscription_ = kestrova::kit::subscribe(kestrova::names::kCoreStartup, &onStartup);
#ifdef PLUGIN_WATCH_CHATS
        chats_[0] = kestrova::kit::subscribe(kestrova::names::kMessagingChatContact, [](HCONTACT contact) {
            note("chat contact " + std::to_string(RY_GetContactID(contact)));
        });
        chats_[1] = kestrova::kit::subscribe(kestrova::names::kMessagingChatGroup, [](HGROUP group) {
            note("chat group " + std::to_string(RY_GetGroupID(group)));
        });
#endif
#ifndef PLUGIN_START_UNFINISHED
        started = 1;
#endif
    }
    void Stop() override {
        note("stop");
        subscription_.reset();
        for (auto& chat : chats_)
            chat.reset();
        started = 0;
    }
    const char* GetInfo() override {
        return "";
    }

  private:
    kestrova::kit::Subscription subscription_;
    kestrova::kit::Subscription chats_[2];
};

[[maybe_unused]] TestPlugin* gPlugin = nullptr;

} // namespace

#ifndef PLUGIN_NO_ENTRY
extern "C" __attribute__((visibility("default"))) int32_t PluginLoad(int32_t apiVersion, Plugin** out) {
    *out = nullptr;
    note("load " + std::to_string(apiVersion));
#ifdef PLUGIN_REFUSES_VERSION
    return 0;
#else
    if (apiVersion != RY_API_VERSION) return 0;
    if (!gPlugin) gPlugin = new TestPlugin;
    *out = gPlugin;
    return 1;
#endif
}

extern "C" __attribute__((visibility("default"))) int32_t PluginUnload() {
    delete gPlugin;
    gPlugin = nullptr;
    return 0;
}
#endif
