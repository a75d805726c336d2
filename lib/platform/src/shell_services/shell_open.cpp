#include "kestrova/platform/shell_open.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "kestrova/platform/display.h"
#include "kestrova/platform/jpeg_image.h"
#include "kestrova/platform/text.h"
#include "shell_services/image_viewer.h"

extern char** environ;

namespace kestrova::platform {
namespace {

constexpr size_t kMaxTarget = 4096;
constexpr char kOpener[] = "xdg-open";

std::mutex gMutex;
std::vector<ShellOpenRecord> gRecord;

void record(std::string how, std::string target) {
    std::lock_guard lock(gMutex);
    gRecord.push_back({std::move(how), std::move(target)});
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// Texts come from messages of other people: nothing that a program could take
// for an option or that could split a command.
bool isSafe(std::string_view target) {
    if (target.empty() || target.size() > kMaxTarget || target.front() == '-' || !isValidUtf8(target))
        return false;
    return std::none_of(target.begin(), target.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

// The link as the opener takes it, or nothing when the text is not a link.
std::optional<std::string> asLink(std::string_view target) {
    for (std::string_view scheme : {"http://", "https://", "ftp://"})
        if (startsWithNoCase(target, scheme)) return std::string(target);
    if (startsWithNoCase(target, "www.")) return "http://" + std::string(target);
    if (startsWithNoCase(target, "ftp.")) return "ftp://" + std::string(target);
    return std::nullopt;
}

// "mailto:", "file://", "javascript:" and the like: a colon before any slash.
bool hasOtherScheme(std::string_view target) {
    size_t colon = target.find(':');
    return colon != std::string_view::npos && colon < target.find('/');
}

bool openerRuns() {
    const char* mode = std::getenv("KESTROVA_SHELL_OPEN");
    return currentDisplay() == DisplayKind::kSdl && !(mode && std::string_view(mode) == "record");
}

bool openerInstalled() {
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/bin:/bin";
    while (!folders.empty()) {
        size_t end = std::min(folders.find(':'), folders.size());
        std::filesystem::path candidate = std::filesystem::path(folders.substr(0, end)) / kOpener;
        if (::access(candidate.c_str(), X_OK) == 0) return true;
        folders.remove_prefix(std::min(end + 1, folders.size()));
    }
    return false;
}

ShellOpenResult startOpener(const std::string& target) {
    record(kOpener, target);
    if (!openerRuns()) return ShellOpenResult::kRecorded;
    if (!openerInstalled()) return ShellOpenResult::kNoOpener;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    char* argv[] = {const_cast<char*>(kOpener), const_cast<char*>(target.c_str()), nullptr};
    pid_t pid = 0;
    int failed = posix_spawnp(&pid, kOpener, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return ShellOpenResult::kNoOpener;
    // The opener hands over to the desktop and ends; collect it so it leaves no zombie.
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    return ShellOpenResult::kStarted;
}

ShellOpenResult refuse(std::string_view target) {
    record("refused", std::string(target));
    return ShellOpenResult::kRefused;
}

} // namespace

bool shellOpenSucceeded(ShellOpenResult result) {
    return result == ShellOpenResult::kViewer || result == ShellOpenResult::kStarted ||
           result == ShellOpenResult::kRecorded;
}

ShellOpenResult openWithShell(std::string_view target, HWND owner) {
    if (!isSafe(target)) return refuse(target.substr(0, std::min(target.size(), kMaxTarget)));
    if (auto link = asLink(target)) return startOpener(*link);
    if (hasOtherScheme(target)) return refuse(target);
    std::error_code error;
    std::filesystem::path file = std::filesystem::absolute(target, error);
    if (error || !std::filesystem::is_regular_file(file, error)) return refuse(target);
    if (!hasJpegExtension(file)) return startOpener(file.string());
    record("viewer", file.string());
    return detail::showImageViewer(file, owner) ? ShellOpenResult::kViewer : ShellOpenResult::kNotShown;
}

std::vector<ShellOpenRecord> shellOpenRecord() {
    std::lock_guard lock(gMutex);
    return gRecord;
}

void clearShellOpenRecord() {
    std::lock_guard lock(gMutex);
    gRecord.clear();
}

} // namespace kestrova::platform
