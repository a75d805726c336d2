// What the updates plug-in does once at start: finish or undo an install a
// crash interrupted and remove the leftovers of the last one, run the
// one-time settings migrations, and take the change log an update delivered.
#pragma once

#include "update_host.h"

#include <filesystem>
#include <optional>
#include <string>

namespace kestrova::updates {

inline constexpr int32_t kMigrationLevel = 5;
inline constexpr char kChangeLogName[] = "changelog.txt";
inline constexpr size_t kMaxChangeLogBytes = 1024 * 1024;
inline constexpr char kUnconvertibleText[] = "** could not convert to multi-byte **";

// Below level 1: the start-up shortcut (the program with "/hidden"); below 3
// on a "PocketPC": power saving on. Then the level is set to 5.
void migrateSettings(UpdateHost& host, const std::filesystem::path& program);

// The text of "changelog.txt" in the folder, which is then deleted; nullopt
// when there is none. Text that is not UTF-8 gives kUnconvertibleText; a
// longer log is cut at kMaxChangeLogBytes.
std::optional<std::string> takeChangeLog(const std::filesystem::path& folder);

} // namespace kestrova::updates
