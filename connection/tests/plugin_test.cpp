// The plug-in library as the shell loads it.
#include "connection_fixture.h"

#include "kestrova/bus.h"
#include "kestrova/kit/settings.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class LoadedPlugin {
public:
    LoadedPlugin() {
        const char* bin = std::getenv("KESTROVA_BIN");
        std::string path = std::string(bin ? bin : ".") + "/connection.so";
        module_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module_) return;
        load = reinterpret_cast<PluginLoadProc>(::dlsym(module_, "PluginLoad"));
        unload = reinterpret_cast<PluginUnloadProc>(::dlsym(module_, "PluginUnload"));
    }
    ~LoadedPlugin() {
        if (module_) ::dlclose(module_);
    }
    explicit operator bool() const { return module_ && load && unload; }
    PluginLoadProc load = nullptr;
    PluginUnloadProc unload = nullptr;

private:
    void* module_ = nullptr;
};

bool registered(const std::string& name) {
    NamedFunctionProc proc = nullptr;
    void* context = nullptr;
    return RY_GetFunctionProcAddress(name.c_str(), &proc, &context) != 0;
}

bool sendPacketRegistered() { return kestrova::bus::provided(kestrova::names::kConnectionSendPacket); }

// Every operation of the own service, by its full name.
std::vector<std::string> serviceFunctions() {
    using namespace kestrova::names;
    HSERVICE service = RY_GetPrimaryService();
    auto nameOf = [service](auto operation) { return kestrova::bus::nameFor(operation, service); };
    std::vector<std::string> names{
        nameOf(kServiceSetPresenceStatus), nameOf(kServiceAddContact),      nameOf(kServiceAcceptContact),
        nameOf(kServiceDeleteContact),     nameOf(kServiceAdminContact),    nameOf(kServiceGroupSubscribe),
        nameOf(kServiceLeaveGroup),        nameOf(kServiceCreateGroup),     nameOf(kServiceGetContactHandle),
        nameOf(kServiceGetMyHandle),       nameOf(kServiceCreatePopupMenu), nameOf(kServiceHandlePopupMenu)};
    RY_ReleaseService(service);
    return names;
}

}  // namespace

class ConnectionPluginLibrary : public ConnectionTest {};

TEST_F(ConnectionPluginLibrary, OnlyInterfaceVersionFiveGetsThePlugin) {
    LoadedPlugin library;
    ASSERT_TRUE(library) << dlerror();
    Plugin* plugin = reinterpret_cast<Plugin*>(0x1);
    EXPECT_EQ(library.load(4, &plugin), 0);
    EXPECT_EQ(plugin, nullptr);
    Plugin* first = nullptr;
    Plugin* second = nullptr;
    EXPECT_EQ(library.load(5, &first), 1);
    EXPECT_EQ(library.load(5, &second), 1);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first->GetInfo(), "");
    EXPECT_EQ(library.unload(), 0);
}

TEST_F(ConnectionPluginLibrary, StartRegistersTheBusFunctionsAndStopRemovesThem) {
    LoadedPlugin library;
    ASSERT_TRUE(library);
    Plugin* plugin = nullptr;
    ASSERT_EQ(library.load(5, &plugin), 1);
    plugin->Start();
    EXPECT_EQ(plugin->started, 1);
    EXPECT_TRUE(sendPacketRegistered());
    for (const std::string& name : serviceFunctions()) EXPECT_TRUE(registered(name)) << name;
    EXPECT_EQ(kestrova::bus::get(kestrova::names::kConnectionState), 0);
    EXPECT_EQ(kestrova::kit::readSetting(kestrova::settings::kServerList),
              "127.0.0.1:38535,127.0.0.1:443,127.0.0.1:12345");
    plugin->Stop();
    EXPECT_EQ(plugin->started, 0);
    EXPECT_FALSE(sendPacketRegistered());
    for (const std::string& name : serviceFunctions()) EXPECT_FALSE(registered(name)) << name;
    library.unload();
}
