#include "install.h"

#include "kestrova/platform/module.h"
#include "kestrova/wire/update_body.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <optional>
#include <sstream>

namespace kestrova::updates {
namespace {

constexpr std::string_view kJournalHeader = "kestrova update journal 1";
constexpr std::string_view kJournalEnd = "end";

void step(const InstallStepHook& hook, std::string_view name) {
    if (hook) hook(name);
}

bool syncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool fileExists(const std::filesystem::path& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::filesystem::path withSuffix(const std::filesystem::path& folder, std::string_view name,
                                 std::string_view suffix) {
    return folder / (std::string(name) + std::string(suffix));
}

bool writeJournal(const std::filesystem::path& folder, const std::vector<std::string>& targets) {
    std::filesystem::path aside = withSuffix(folder, kJournalName, ".new");
    int fd = ::open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::string text(kJournalHeader);
    text.push_back('\n');
    for (const std::string& name : targets)
        text.append(name).push_back('\n');
    text.append(kJournalEnd).push_back('\n');
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    return ok && ::rename(aside.c_str(), (folder / kJournalName).c_str()) == 0 && syncFolder(folder);
}

// The targets of a committed install; nullopt when there is none (or it is
// unreadable, which a journal renamed into place whole cannot be).
std::optional<std::vector<std::string>> readJournal(const std::filesystem::path& folder) {
    std::ifstream in(folder / kJournalName);
    if (!in) return std::nullopt;
    std::string line;
    if (!std::getline(in, line) || line != kJournalHeader) return std::nullopt;
    std::vector<std::string> targets;
    while (std::getline(in, line)) {
        if (line == kJournalEnd) return targets;
        if (!wire::isSafeUpdateFileName(line)) return std::nullopt;
        targets.push_back(line);
    }
    return std::nullopt;
}

// Keeps the current file as "<name>.old" and puts the new one in its place.
// Repeating it after a crash part-way is harmless.
bool replaceOne(const std::filesystem::path& folder, const std::string& name, const InstallStepHook& hook) {
    std::filesystem::path current = folder / name;
    std::filesystem::path old = withSuffix(folder, name, ".old");
    std::filesystem::path fresh = withSuffix(folder, name, ".new");
    if (!fileExists(fresh)) return fileExists(current); // moved already
    if (fileExists(current)) {
        step(hook, "keep-old");
        ::unlink(old.c_str());
        if (::link(current.c_str(), old.c_str()) != 0) return false;
    }
    step(hook, "replace");
    return ::rename(fresh.c_str(), current.c_str()) == 0;
}

bool completeInstall(const std::filesystem::path& folder, const std::vector<std::string>& targets,
                     const InstallStepHook& hook) {
    for (const std::string& name : targets)
        if (!replaceOne(folder, name, hook)) return false;
    step(hook, "sync");
    if (!syncFolder(folder)) return false;
    step(hook, "close-journal");
    ::unlink((folder / kJournalName).c_str());
    return syncFolder(folder);
}

void removeMatching(const std::filesystem::path& folder, std::string_view pattern) {
    for (const auto& path : platform::findFiles(folder, pattern))
        ::unlink(path.c_str());
}

} // namespace

bool installNewFiles(const std::filesystem::path& folder, const std::vector<std::string>& targets,
                     const InstallStepHook& hook) {
    step(hook, "journal");
    if (!writeJournal(folder, targets)) {
        ::unlink(withSuffix(folder, kJournalName, ".new").c_str());
        return false;
    }
    return completeInstall(folder, targets, hook);
}

void recoverInstall(const std::filesystem::path& folder, const InstallStepHook& hook) {
    if (auto targets = readJournal(folder)) {
        completeInstall(folder, *targets, hook);
    } else if (fileExists(folder / kJournalName)) {
        ::unlink((folder / kJournalName).c_str());
    }
    // NOTE: a journal that could not be completed (a file that will not move)
    // keeps its ".new" files for the next start to try again.
    if (fileExists(folder / kJournalName)) return;
    step(hook, "clean-up");
    removeMatching(folder, "*.old");
    removeMatching(folder, "*.new");
}

} // namespace kestrova::updates
