#include "kestrova/platform/system_info.h"

#include "kestrova/platform/registry.h"

#include <cstdlib>

namespace kestrova::platform {

std::string platformName() {
    const char* name = std::getenv("KESTROVA_PLATFORM");
    return name && *name ? std::string(name) : std::string("SmartPhone");
}

std::optional<std::string> operatorName() {
    // A phone keeps the operator under this key; on a desktop it exists only
    // when someone (a test, say) writes it into the machine hive.
    auto key = RegistryKey::open(Hive::LocalMachine, "System\\State\\Phone");
    if (!key) return std::nullopt;
    return key->value("Current Operator Name");
}

}  // namespace kestrova::platform
