#include "kestrova/platform/registry.h"

#include "kestrova/platform/paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace kestrova::platform {
namespace {

constexpr std::string_view kHeader = "kestrova-registry 1";

std::filesystem::path hiveFile(Hive hive) {
    return kestrovaHome() / (hive == Hive::CurrentUser ? "user.reg" : "machine.reg");
}

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

std::optional<std::string> unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size()) return std::nullopt;
        switch (field[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

// Reads one "key<TAB>name<TAB>value" line into the tree; a malformed line is skipped.
void parseLine(std::string_view line, RegistryTree& tree) {
    size_t tab1 = line.find('\t');
    if (tab1 == std::string_view::npos) return;
    size_t tab2 = line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) return;
    auto key = unescape(line.substr(0, tab1));
    auto name = unescape(line.substr(tab1 + 1, tab2 - tab1 - 1));
    auto value = unescape(line.substr(tab2 + 1));
    if (!key || !name || !value || key->empty()) return;
    tree[*key][*name] = *value;
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string text(kMaxRegistryFileSize, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

RegistryTree readHive(Hive hive) { return parseRegistryText(readFile(hiveFile(hive))); }

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Replaces the file so that a reader sees either the old or the new content.
bool replaceFile(const std::filesystem::path& file, const std::string& content) {
    std::filesystem::path temp = file;
    temp += ".tmp." + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // The settings hold the password: the owner's alone, whatever the umask
    // or a file left over under the same name.
    bool ok = ::fchmod(fd, 0600) == 0 && writeAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temp.c_str(), file.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    int dir = ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

// Holds the hive's advisory lock for one read-modify-write.
class HiveLock {
public:
    explicit HiveLock(Hive hive) {
        std::filesystem::path lockFile = hiveFile(hive);
        lockFile += ".lock";
        fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~HiveLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The home folder, made the owner's alone when it is made. A folder that
// exists is left as it is: the user may have chosen it.
bool ensureHome() {
    std::filesystem::path home = kestrovaHome();
    std::error_code ec;
    std::filesystem::create_directories(home.parent_path(), ec);
    if (::mkdir(home.c_str(), 0700) == 0) return ::chmod(home.c_str(), 0700) == 0;
    return errno == EEXIST;
}

// Temporary files of the hive's saves (<file>.tmp.<pid>).
std::vector<std::filesystem::path> temporaries(Hive hive) {
    std::filesystem::path file = hiveFile(hive);
    std::string prefix = file.filename().string() + ".tmp.";
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), ec))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry.path());
    return found;
}

// A save killed between writing its temporary file and renaming it leaves
// the file behind for ever. A writer holds the hive's lock for as long as
// its temporary file exists, so one found under the lock is left over.
void removeLeftOverTemporaries(Hive hive) {
    if (temporaries(hive).empty()) return;
    HiveLock lock(hive);
    if (!lock.held()) return;
    std::error_code ec;
    for (const auto& path : temporaries(hive)) std::filesystem::remove(path, ec);
}

}  // namespace

RegistryTree parseRegistryText(std::string_view text) {
    RegistryTree tree;
    if (text.size() > kMaxRegistryFileSize) text = text.substr(0, kMaxRegistryFileSize);
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!(first && line == kHeader)) parseLine(line, tree);
        first = false;
        start = end + 1;
    }
    return tree;
}

std::string formatRegistryText(const RegistryTree& tree) {
    std::string out(kHeader);
    out += '\n';
    for (const auto& [key, values] : tree) {
        for (const auto& [name, value] : values) {
            appendEscaped(out, key);
            out += '\t';
            appendEscaped(out, name);
            out += '\t';
            appendEscaped(out, value);
            out += '\n';
        }
    }
    return out;
}

std::optional<RegistryKey> RegistryKey::open(Hive hive, std::string_view path) {
    removeLeftOverTemporaries(hive);
    RegistryTree tree = readHive(hive);
    auto it = tree.find(path);
    if (it == tree.end()) return std::nullopt;
    RegistryKey key(hive, std::string(path));
    key.values_ = std::move(it->second);
    return key;
}

RegistryKey RegistryKey::create(Hive hive, std::string_view path) {
    if (auto existing = open(hive, path)) return std::move(*existing);
    return RegistryKey(hive, std::string(path));
}

std::optional<std::string> RegistryKey::value(std::string_view name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void RegistryKey::setValue(std::string_view name, std::string_view text) {
    values_[std::string(name)] = text;
    changed_[std::string(name)] = text;
}

bool RegistryKey::commit() {
    if (!ensureHome()) return false;
    HiveLock lock(hive_);
    if (!lock.held()) return false;
    // Re-read under the lock so that values another instance wrote meanwhile survive.
    RegistryTree tree = readHive(hive_);
    auto& values = tree[path_];
    for (const auto& [name, text] : changed_) values[name] = text;
    if (!replaceFile(hiveFile(hive_), formatRegistryText(tree))) return false;
    changed_.clear();
    return true;
}

}  // namespace kestrova::platform
