#include "kestrova/platform/string_table.h"

#include "kestrova/platform/icon_resources.h"
#include "kestrova/platform/text.h"

#include <fstream>
#include <iterator>
#include <mutex>

namespace kestrova::platform {
namespace {

// One line without its LF (and CR); false and a reason when it is not an
// entry. Comments and blank lines give true with nothing added.
bool parseLine(std::string_view line, StringTableParse& table, std::string& error) {
    auto fail = [&error](const char* why) {
        error = why;
        return false;
    };
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') return true;
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return fail("no tab after the number");
    const std::string_view digits = line.substr(0, tab);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
        return fail("the number is not decimal");
    const uint32_t number = static_cast<uint32_t>(std::stoul(std::string(digits)));
    if (number > kMaxStringNumber) return fail("the number is over 65535");
    if (table.strings.count(number)) return fail("the number is there twice");

    std::string text;
    for (size_t i = tab + 1; i < line.size(); ++i) {
        if (line[i] != '\\') {
            text += line[i];
            continue;
        }
        if (++i == line.size()) return fail("a backslash ends the line");
        switch (line[i]) {
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case '\\':
            text += '\\';
            break;
        default:
            return fail("unknown escape");
        }
    }
    if (text.size() > kMaxStringBytes) return fail("the text is too long");
    if (!isValidUtf8(text)) return fail("the text is not UTF-8");
    table.strings.emplace(number, std::move(text));
    return true;
}

std::string readTable(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxStringTableBytes) return {};
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

StringTableParse parseStringTable(std::string_view text) {
    StringTableParse table;
    if (text.size() > kMaxStringTableBytes) {
        table.errorLine = 1;
        table.error = "the table is too large";
        return table;
    }
    size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        std::string error;
        if (!parseLine(line, table, error)) {
            table.strings.clear();
            table.errorLine = lineNumber;
            table.error = std::move(error);
            return table;
        }
    }
    return table;
}

std::filesystem::path stringTablePath(void* module) {
    return resourcesRoot() / moduleResourceName(module) / "strings.txt";
}

const std::string& loadString(void* module, uint32_t number) {
    static const std::string kNone;
    // NOTE: keyed by the file's path, not the module, so a different
    // resources root (tests) gives a table of its own. Entries are never
    // dropped: the texts handed out stay valid for the process.
    static std::mutex lock;
    static std::map<std::string, std::map<uint32_t, std::string>> tables;
    const std::string path = stringTablePath(module).string();
    std::lock_guard guard(lock);
    auto table = tables.find(path);
    if (table == tables.end()) table = tables.emplace(path, parseStringTable(readTable(path)).strings).first;
    auto text = table->second.find(number);
    return text == table->second.end() ? kNone : text->second;
}

}  // namespace kestrova::platform
