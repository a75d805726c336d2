// The plug-in list, local identifiers, clean-up and exit.
#include "core_state.h"
#include "kestrova/platform/message_loop.h"

using namespace kestrova::api;

extern "C" {

void RY_PluginAdd(Plugin* plugin) { core().plugins.push_back(plugin); }

void RY_PluginStartAll() {
    // Index loop: a plug-in's Start may add further plug-ins.
    for (size_t i = 0; i < core().plugins.size(); ++i) core().plugins[i]->Start();
}

void RY_PluginStopAll() {
    for (size_t i = 0; i < core().plugins.size(); ++i) {
        Plugin* plugin = core().plugins[i];
        if (plugin->started == 1) plugin->Stop();
    }
}

void RY_API_Cleanup() { destroyCore(); }

uint32_t RY_GetLUID() { return core().nextLuid++; }

intptr_t RY_Exit() {
    namespace platform = kestrova::platform;
    platform::HWND window = kestrova::bus::get(kestrova::names::kCoreWindowHwnd);
    return platform::sendMessage(window, platform::WM_CLOSE, 0, 0);
}

}  // extern "C"
