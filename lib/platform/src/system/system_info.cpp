#include "kestrova/platform/system_info.h"

#include "kestrova/platform/registry.h"
#include "kestrova/platform/text.h"

#include <cstdlib>

namespace kestrova::platform {
namespace {

// The phone reads the name into 32 UTF-16 units, the terminator among them.
constexpr size_t kMaxOperatorUnits = 31;

}  // namespace

std::string platformName() {
    const char* name = std::getenv("KESTROVA_PLATFORM");
    return name && *name ? std::string(name) : std::string("SmartPhone");
}

std::optional<std::string> operatorName() {
    // A phone keeps the operator under this key; on a desktop it exists only
    // when someone (a test, say) writes it into the machine hive.
    auto key = RegistryKey::open(Hive::LocalMachine, "System\\State\\Phone");
    if (!key) return std::nullopt;
    auto name = key->value("Current Operator Name");
    // NOTE: a longer name would come out cut, and a cut name is not the
    // operator's: it counts as none.
    if (!name || !isValidUtf8(*name) || utf16Length(*name) > kMaxOperatorUnits) return std::nullopt;
    return name;
}

}  // namespace kestrova::platform
