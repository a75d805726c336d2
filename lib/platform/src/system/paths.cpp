#include "kestrova/platform/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kestrova::platform {
namespace {

std::filesystem::path fromEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace

std::filesystem::path programPath() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe;
}

std::filesystem::path programFolder() {
    auto exe = programPath();
    return exe.empty() ? std::filesystem::current_path() : exe.parent_path();
}

std::filesystem::path kestrovaHome() {
    if (auto home = fromEnv("KESTROVA_HOME"); !home.empty()) return home;
    if (auto config = fromEnv("XDG_CONFIG_HOME"); !config.empty()) return config / "kestrova";
    if (auto home = fromEnv("HOME"); !home.empty()) return home / ".config" / "kestrova";
    return std::filesystem::temp_directory_path() / "kestrova";
}

std::filesystem::path runtimeFolder() {
    if (auto dir = fromEnv("XDG_RUNTIME_DIR"); !dir.empty()) return dir;
    return std::filesystem::temp_directory_path() / ("kestrova-" + std::to_string(::getuid()));
}

std::filesystem::path temporaryFolder() {
    std::filesystem::path folder = runtimeFolder() / "tmp";
    std::error_code ec;
    if (std::filesystem::create_directories(folder, ec))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
    return folder;
}

}  // namespace kestrova::platform
