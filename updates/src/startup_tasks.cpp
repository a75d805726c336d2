#include "startup_tasks.h"

#include "mapped_file.h"

#include "kestrova/platform/startup_shortcut.h"
#include "kestrova/platform/text.h"

#include <unistd.h>

namespace kestrova::updates {

void migrateSettings(UpdateHost& host, const std::filesystem::path& program) {
    int32_t level = host.migrationLevel();
    if (level < 1) platform::writeStartupShortcut(program, "/hidden");
    if (level < 3 && host.platformName() == "PocketPC") host.setPowerSave(1);
    host.setMigrationLevel(kMigrationLevel);
}

std::optional<std::string> takeChangeLog(const std::filesystem::path& folder) {
    std::filesystem::path path = folder / kChangeLogName;
    auto file = MappedFile::open(path);
    if (!file) return std::nullopt;
    std::string_view text = file->bytes();
    if (text.size() > kMaxChangeLogBytes) {
        text = text.substr(0, kMaxChangeLogBytes);
        // Back off to the start of a character.
        while (!text.empty() && (static_cast<unsigned char>(text[text.size() - 1]) & 0xC0) == 0x80)
            text.remove_suffix(1);
        if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) text.remove_suffix(1);
    }
    std::string log = platform::isValidUtf8(text) ? std::string(text) : std::string(kUnconvertibleText);
    ::unlink(path.c_str());
    return log;
}

} // namespace kestrova::updates
