// The two exports of the plug-in library.
#include "updates_plugin.h"

namespace {

kestrova::updates::UpdatesPlugin* gPlugin = nullptr;

} // namespace

extern "C" {

RY_EXPORT int32_t PluginLoad(int32_t apiVersion, Plugin** out) {
    *out = nullptr;
    if (apiVersion != RY_API_VERSION) return 0;
    if (!gPlugin) gPlugin = new kestrova::updates::UpdatesPlugin(kestrova::updates::runningProgram());
    *out = gPlugin;
    return 1;
}

RY_EXPORT int32_t PluginUnload() {
    delete gPlugin;
    gPlugin = nullptr;
    return 0;
}

} // extern "C"
