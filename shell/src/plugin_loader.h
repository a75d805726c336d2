// Finds the plug-in libraries beside the program and hands each plug-in to
// the core API. A library that does not load, lacks PluginLoad, or refuses
// the interface version is unloaded again and skipped without a word.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "kestrova/platform/module.h"

namespace kestrova::shell {

class PluginLoader {
public:
    // Loads every match of the pattern in the folder, in name order, and
    // adds the plug-ins with RY_PluginAdd. Returns how many were added.
    // NOTE: added plug-ins are never unloaded: the core API's tables may
    // refer to their code until clean-up, and after it the process ends.
    int loadAll(const std::filesystem::path& folder, std::string_view pattern);
};

// Language resource libraries ("*.%04X.mui" with the user's language
// identifier) stay loaded for the life of the process.
// Returns how many were loaded.
int loadLanguageLibraries(const std::filesystem::path& folder, uint16_t languageId);
// Removes module files of older versions that must never be loaded as plug-ins.
void removeLegacyModules(const std::filesystem::path& folder);

}  // namespace kestrova::shell
