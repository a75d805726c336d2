#include "kestrova/platform/startup_shortcut.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace kestrova::platform {
namespace {

std::filesystem::path configHome() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) return config;
    if (const char* home = std::getenv("HOME"); home && *home) return std::filesystem::path(home) / ".config";
    return std::filesystem::temp_directory_path();
}

// The program as one quoted argument of an Exec line: inside the quotes
// '"', '`', '$' and '\' take a backslash; then the line, as a desktop-entry
// string, doubles every backslash, and '%' (a field code) is doubled.
std::optional<std::string> quotedExecArgument(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    std::string value;
    for (char c : quoted) {
        if (c == '\\') value.push_back('\\');
        if (c == '%') value.push_back('%');
        value.push_back(c);
    }
    return value;
}

} // namespace

std::filesystem::path startupShortcutPath() {
    return configHome() / "autostart" / "kestrova.desktop";
}

std::optional<std::string> startupShortcutEntry(const std::filesystem::path& program,
                                                std::string_view arguments) {
    auto exec = quotedExecArgument(program.string());
    if (!exec) return std::nullopt;
    std::string entry = "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Kestrova\n"
                        "Comment=Starts Kestrova hidden at log-in\nExec=";
    entry.append(*exec);
    if (!arguments.empty()) entry.append(" ").append(arguments);
    entry.append("\nTerminal=false\n");
    return entry;
}

bool writeStartupShortcut(const std::filesystem::path& program, std::string_view arguments) {
    auto entry = startupShortcutEntry(program, arguments);
    if (!entry) return false;
    std::filesystem::path path = startupShortcutPath();
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::filesystem::path aside = path;
    aside += ".tmp";
    {
        std::ofstream out(aside, std::ios::binary | std::ios::trunc);
        out << *entry;
        if (!out.flush()) return false;
    }
    std::filesystem::rename(aside, path, ec);
    return !ec;
}

bool removeStartupShortcut() {
    std::error_code ec;
    std::filesystem::remove(startupShortcutPath(), ec);
    return !ec;
}

} // namespace kestrova::platform
