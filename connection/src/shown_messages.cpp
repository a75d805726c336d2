#include "shown_messages.h"

#include "kestrova/platform/paths.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrova::connection {

namespace {

constexpr const char* kFileName = "shown-messages";

bool readNumber(std::string_view& text, uint64_t& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return false;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return true;
}

std::optional<ShownKey> parseLine(std::string_view line) {
    ShownKey key;
    if (!readNumber(line, key.bridgeId) || !line.starts_with(' ')) return std::nullopt;
    line.remove_prefix(1);
    if (!readNumber(line, key.sourceId) || !line.starts_with(' ')) return std::nullopt;
    line.remove_prefix(1);
    key.byOriginKey = line.starts_with('k');
    if (key.byOriginKey) line.remove_prefix(1);
    if (!readNumber(line, key.messageId) || !line.empty()) return std::nullopt;
    return key;
}

bool appendText(const std::filesystem::path& file, const std::string& text) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

} // namespace

std::string formatShownKey(const ShownKey& key) {
    return std::to_string(key.bridgeId) + ' ' + std::to_string(key.sourceId) + ' ' +
           (key.byOriginKey ? "k" : "") + std::to_string(key.messageId) + '\n';
}

std::vector<ShownKey> parseShownKeys(std::string_view text) {
    if (text.size() > kMaxShownFileBytes) text = text.substr(0, kMaxShownFileBytes);
    std::vector<ShownKey> keys;
    while (!text.empty()) {
        size_t end = text.find('\n');
        // A line without its end is one a killed write left half done.
        if (end == std::string_view::npos) break;
        if (auto key = parseLine(text.substr(0, end))) keys.push_back(*key);
        text.remove_prefix(end + 1);
    }
    return keys;
}

ShownMessages::ShownMessages(std::filesystem::path file, size_t capacity)
    : file_(std::move(file)), capacity_(capacity == 0 ? 1 : capacity) {}

bool ShownMessages::contains(const ShownKey& key) {
    load();
    return keys_.contains(key);
}

void ShownMessages::remember(const ShownKey& key) {
    load();
    if (keys_.contains(key)) return;
    add(key);
    if (fileLines_ + 1 >= 2 * capacity_) {
        rewrite();
        return;
    }
    // The folder the settings file makes; made here, the owner's alone, when
    // a message comes before any setting was saved.
    ::mkdir(file_.parent_path().c_str(), 0700);
    if (appendText(file_, formatShownKey(key))) ++fileLines_;
}

void ShownMessages::load() {
    if (loaded_) return;
    loaded_ = true;
    if (file_.empty()) file_ = platform::kestrovaHome() / kFileName;
    std::ifstream in(file_, std::ios::binary);
    // Only what the file holds, up to the bound: the list is read whenever a
    // connection starts, and it is usually a few kilobytes.
    std::error_code error;
    uintmax_t size = std::filesystem::file_size(file_, error);
    std::string text(error ? 0 : static_cast<size_t>(std::min<uintmax_t>(size, kMaxShownFileBytes)), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    std::vector<ShownKey> keys = parseShownKeys(text);
    for (const ShownKey& key : keys)
        add(key);
    fileLines_ = keys.size();
    // A file that is long, or that a killed write left with half a line.
    if (keys.size() > capacity_ || (!text.empty() && text.back() != '\n')) rewrite();
}

void ShownMessages::add(const ShownKey& key) {
    if (!keys_.insert(key).second) return;
    order_.push_back(key);
    if (order_.size() <= capacity_) return;
    keys_.erase(order_.front());
    order_.pop_front();
}

void ShownMessages::rewrite() {
    std::string text;
    for (const ShownKey& key : order_)
        text += formatShownKey(key);
    std::filesystem::path temporary = file_;
    temporary += ".tmp." + std::to_string(::getpid());
    std::error_code ec;
    std::filesystem::remove(temporary, ec);
    if (!appendText(temporary, text) || std::rename(temporary.c_str(), file_.c_str()) != 0) {
        std::filesystem::remove(temporary, ec);
        return;
    }
    fileLines_ = order_.size();
}

} // namespace kestrova::connection
