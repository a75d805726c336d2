// The two exports of the plug-in library.
#include "kestrova/kit/plugin_entry.h"
#include "messaging_plugin.h"

using Entry = kestrova::kit::PluginEntry<kestrova::messaging::MessagingPlugin>;

extern "C" {

RY_EXPORT int32_t PluginLoad(int32_t apiVersion, Plugin** out) {
    return Entry::load(apiVersion, out);
}
RY_EXPORT int32_t PluginUnload() {
    return Entry::unload();
}

} // extern "C"
