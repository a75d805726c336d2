// The two exports of the plug-in library.
#include "connection_plugin.h"
#include "kestrova/kit/plugin_entry.h"

using Entry = kestrova::kit::PluginEntry<kestrova::connection::ConnectionPlugin>;

extern "C" {

RY_EXPORT int32_t PluginLoad(int32_t apiVersion, Plugin** out) { return Entry::load(apiVersion, out); }
RY_EXPORT int32_t PluginUnload() { return Entry::unload(); }

}  // extern "C"
