#include "plugin_loader.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "kestrova/api.h"

namespace kestrova::shell {

int PluginLoader::loadAll(const std::filesystem::path& folder, std::string_view pattern) {
    int added = 0;
    for (const auto& path : platform::findFiles(folder, pattern)) {
        platform::Module module = platform::Module::load(path);
        if (!module) continue;
        auto load = reinterpret_cast<PluginLoadProc>(module.symbol("PluginLoad"));
        if (!load) continue;  // the module goes again with its owner
        Plugin* plugin = nullptr;
        if (load(RY_API_VERSION, &plugin) != 1 || !plugin) continue;
        plugin->module = module.release();
        RY_PluginAdd(plugin);
        ++added;
    }
    return added;
}

int loadLanguageLibraries(const std::filesystem::path& folder, uint16_t languageId) {
    char pattern[32];
    std::snprintf(pattern, sizeof pattern, "*.%04X.mui", languageId);
    int loaded = 0;
    for (const auto& path : platform::findFiles(folder, pattern)) {
        auto module = platform::Module::load(path);
        if (!module) continue;
        module.release();
        ++loaded;
    }
    return loaded;
}

void removeLegacyModules(const std::filesystem::path& folder) {
    std::error_code ignored;
    for (const char* name : {"TrayIcon.so", "clist.so"}) std::filesystem::remove(folder / name, ignored);
}

}  // namespace kestrova::shell
