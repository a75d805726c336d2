#include "kestrova/platform/sound_profile.h"

#include <charconv>

#include "kestrova/platform/registry.h"

namespace kestrova::platform {
namespace {

std::optional<std::string> readValue(std::string_view key, std::string_view name) {
    auto opened = RegistryKey::open(Hive::CurrentUser, key);
    if (!opened) return std::nullopt;
    return opened->value(name);
}

bool writeValue(std::string_view key, std::string_view name, std::string_view text) {
    RegistryKey opened = RegistryKey::create(Hive::CurrentUser, key);
    opened.setValue(name, text);
    return opened.commit();
}

} // namespace

std::optional<std::string> activeSoundProfile() {
    auto name = readValue(kProfilesKey, kActiveProfileValue);
    if (name && name->empty()) return std::nullopt;
    return name;
}

int32_t notificationOverrideMode() {
    auto text = readValue(kShellOverridesKey, kOverrideModeValue);
    if (!text || text->empty()) return kNoOverride;
    int32_t mode = kNoOverride;
    auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), mode);
    if (ec != std::errc() || end != text->data() + text->size()) return kNoOverride;
    return mode;
}

bool setActiveSoundProfile(std::string_view name) {
    return writeValue(kProfilesKey, kActiveProfileValue, name);
}

bool setNotificationOverrideMode(int32_t mode) {
    return writeValue(kShellOverridesKey, kOverrideModeValue,
                      mode == kNoOverride ? std::string() : std::to_string(mode));
}

} // namespace kestrova::platform
