#include "plugin_loader.h"

#include <cstdio>
#include <cstdlib>
#include <map>
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

uint16_t userLanguageId() {
    static const std::map<std::string, uint16_t> known = {
        {"en_US", 0x0409}, {"en_GB", 0x0809}, {"de_DE", 0x0407}, {"fr_FR", 0x040C}, {"es_ES", 0x0C0A},
        {"it_IT", 0x0410}, {"nl_NL", 0x0413}, {"pt_BR", 0x0416}, {"pl_PL", 0x0415}, {"sv_SE", 0x041D},
        {"ru_RU", 0x0419}, {"ja_JP", 0x0411}, {"zh_CN", 0x0804}, {"en", 0x0409},   {"de", 0x0407},
        {"fr", 0x040C},    {"es", 0x0C0A},    {"it", 0x0410},    {"nl", 0x0413},   {"pl", 0x0415},
    };
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        std::string locale(value);
        locale = locale.substr(0, locale.find_first_of(".@"));
        if (auto it = known.find(locale); it != known.end()) return it->second;
        if (auto it = known.find(locale.substr(0, 2)); it != known.end()) return it->second;
        break;
    }
    return 0x0409;
}

void removeLegacyModules(const std::filesystem::path& folder) {
    std::error_code ignored;
    for (const char* name : {"TrayIcon.so", "clist.so"}) std::filesystem::remove(folder / name, ignored);
}

}  // namespace kestrova::shell
