#include "kestrova/platform/system_info.h"

#include "kestrova/platform/registry.h"

#include <cstdlib>
#include <map>

namespace kestrova::platform {

std::string platformName() {
    const char* name = std::getenv("KESTROVA_PLATFORM");
    return name && *name ? std::string(name) : std::string("SmartPhone");
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

std::optional<std::string> operatorName() {
    // A phone keeps the operator under this key; on a desktop it exists only
    // when someone (a test, say) writes it into the machine hive.
    auto key = RegistryKey::open(Hive::LocalMachine, "System\\State\\Phone");
    if (!key) return std::nullopt;
    return key->value("Current Operator Name");
}

}  // namespace kestrova::platform
