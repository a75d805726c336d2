// The two exports of a plug-in library over its one plug-in object, made by
// the first PluginLoad and destroyed by PluginUnload. A plug-in's
// plugin_entry.cpp is then:
//
//   extern "C" {
//   RY_EXPORT int32_t PluginLoad(int32_t version, Plugin** out) { return
//   kit::PluginEntry<MyPlugin>::load(version, out); } RY_EXPORT int32_t PluginUnload() { return
//   kit::PluginEntry<MyPlugin>::unload(); }
//   }
#pragma once

#include "kestrova/api.h"

namespace kestrova::kit {

template <typename PluginClass> struct PluginEntry {
    // Another interface version gets no object: 0 and a null *out.
    static int32_t load(int32_t apiVersion, Plugin** out) {
        if (apiVersion != RY_API_VERSION) {
            *out = nullptr;
            return 0;
        }
        if (!object()) object() = new PluginClass;
        *out = object();
        return 1;
    }
    static int32_t unload() {
        delete object();
        object() = nullptr;
        return 0;
    }

  private:
    static PluginClass*& object() {
        static PluginClass* plugin = nullptr;
        return plugin;
    }
};

} // namespace kestrova::kit
