// The start-up shortcut: a program started at log-in. On this platform it is
// an XDG autostart entry, $XDG_CONFIG_HOME/autostart/kestrova.desktop, whose
// Exec line starts the program with its arguments.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::platform {

std::filesystem::path startupShortcutPath();

// The desktop entry's text; nullopt for a program path with control bytes
// (it could not be written as one Exec line). `arguments` are written as
// they are and must need no quoting.
std::optional<std::string> startupShortcutEntry(const std::filesystem::path& program,
                                                std::string_view arguments);

// Writes the entry whole (aside, then renamed into place).
bool writeStartupShortcut(const std::filesystem::path& program, std::string_view arguments);
bool removeStartupShortcut();

} // namespace kestrova::platform
