// The two exports of the plug-in library.
#include "messaging_plugin.h"

namespace {

kestrova::messaging::MessagingPlugin* gPlugin = nullptr;

} // namespace

extern "C" {

RY_EXPORT int32_t PluginLoad(int32_t apiVersion, Plugin** out) {
    if (apiVersion != RY_API_VERSION) {
        *out = nullptr;
        return 0;
    }
    if (!gPlugin) gPlugin = new kestrova::messaging::MessagingPlugin;
    *out = gPlugin;
    return 1;
}

RY_EXPORT int32_t PluginUnload() {
    delete gPlugin;
    gPlugin = nullptr;
    return 0;
}

} // extern "C"
