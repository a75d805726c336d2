#include "settings.h"

#include "core_state.h"
#include "number_text.h"

#include "kestrova/platform/registry.h"
#include "kestrova/platform/system_info.h"
#include "kestrova/platform/text.h"

#include <cstring>

namespace kestrova::api {
namespace {

constexpr const char* kSettingsKey = "SOFTWARE\\Kestorva\\Settings";
constexpr const char* kNotConvertible = "** could not convert to multi-byte **";
// NOTE: the phone read each value into a 256-byte buffer and silently dropped
// longer ones, so a long status line or server list reverted to its default
// after a restart. Values are now read up to this bound instead.
constexpr size_t kMaxValueBytes = 64 * 1024;

// The persisted value of a setting, as the store should hold it.
std::optional<std::string> persistedValue(std::string_view name) {
    auto key = platform::RegistryKey::open(platform::Hive::CurrentUser, kSettingsKey);
    if (!key) return std::nullopt;
    auto value = key->value(name);
    if (!value || value->size() > kMaxValueBytes) return std::nullopt;
    if (!platform::isValidUtf8(*value)) return std::string(kNotConvertible);
    return value;
}

// Finds the setting, creating it with the default and loading its persisted
// value the first time it is read.
Setting& settingForRead(std::string_view name, std::string_view defaultValue) {
    auto& table = core().settings;
    auto it = table.find(name);
    if (it != table.end()) return *it->second;
    auto& setting = *table.emplace(std::string(name), std::make_unique<Setting>()).first->second;
    setting.setText(std::string(defaultValue));
    if (!name.empty()) {
        if (auto value = persistedValue(name)) setting.setText(std::move(*value));
    }
    return setting;
}

Setting& settingForWrite(std::string_view name) {
    auto& table = core().settings;
    auto it = table.find(name);
    if (it == table.end()) it = table.emplace(std::string(name), std::make_unique<Setting>()).first;
    return *it->second;
}

}  // namespace

void saveSettings() {
    CoreState* state = existingCore();
    if (!state || state->settings.empty()) return;
    auto key = platform::RegistryKey::create(platform::Hive::CurrentUser, kSettingsKey);
    for (const auto& [name, setting] : state->settings) {
        if (name.empty() || !platform::isValidUtf8(setting->text())) continue;
        key.setValue(name, setting->text());
    }
    key.commit();
}

}  // namespace kestrova::api

using namespace kestrova::api;

extern "C" {

int32_t RY_GetSettingLong(const char* name, int32_t defaultValue) {
    return settingForRead(name, decimalText(defaultValue)).getNumber();
}

void RY_GetSettingString(const char* name, const char* defaultValue, char* out) {
    if (!out) return;
    const std::string& text = settingForRead(name, defaultValue ? defaultValue : "").text();
    std::memcpy(out, text.c_str(), text.size() + 1);
}

void RY_SetSettingLong(const char* name, int32_t value) { settingForWrite(name).setNumber(value); }

void RY_SetSettingString(const char* name, const char* text) { settingForWrite(name).setText(text); }

void RY_SaveSettings() { saveSettings(); }

int32_t RY_GetPlatformName(char* out) {
    std::string name = kestrova::platform::platformName();
    if (name.size() > 31 || !kestrova::platform::isValidUtf8(name)) name = name.substr(0, 31);
    // Never cut a character in half.
    while (!kestrova::platform::isValidUtf8(name)) name.pop_back();
    if (out) std::memcpy(out, name.c_str(), name.size() + 1);
    return static_cast<int32_t>(name.size());
}

int32_t RY_GetOperatorName(char* out, int32_t size) {
    std::memcpy(out, "Unknown", 8);
    auto name = kestrova::platform::operatorName();
    // NOTE: a name that does not fit with its NUL is not cut: a cut name
    // would be taken for the operator's, so it is as good as none.
    if (!name || size <= 0 || name->size() >= static_cast<size_t>(size)) return 0;
    std::memcpy(out, name->c_str(), name->size() + 1);
    return 1;
}

}  // extern "C"

