// The per-user registry: hierarchical keys holding named text values, kept in
// one file per hive under the Kestrova home folder. Writes replace the file
// atomically (temp file, fsync, rename) under an advisory lock, so two running
// instances never leave a half-written or corrupt file and never drop each
// other's values.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::platform {

enum class Hive { CurrentUser, LocalMachine };

// One key's values, as read when the key was opened. Changes are kept in the
// object until commit() writes them.
class RegistryKey {
public:
    // The key as stored now, or nothing if it does not exist.
    static std::optional<RegistryKey> open(Hive hive, std::string_view path);
    // The key as stored now, or an empty one that commit() will create.
    static RegistryKey create(Hive hive, std::string_view path);

    std::optional<std::string> value(std::string_view name) const;
    void setValue(std::string_view name, std::string_view text);
    // Writes the values set since open/create. False if the file could not be written.
    bool commit();

private:
    RegistryKey(Hive hive, std::string path) : hive_(hive), path_(std::move(path)) {}

    Hive hive_;
    std::string path_;
    std::map<std::string, std::string, std::less<>> values_;
    std::map<std::string, std::string, std::less<>> changed_;
};

// The whole content of one hive file: key path -> value name -> text.
using RegistryTree = std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>>;

// Reads the text form of a hive. Lines that cannot be read are skipped, so a
// damaged file loses only what is damaged. Input beyond kMaxRegistryFileSize
// is ignored.
RegistryTree parseRegistryText(std::string_view text);
std::string formatRegistryText(const RegistryTree& tree);

inline constexpr size_t kMaxRegistryFileSize = 16 * 1024 * 1024;

}  // namespace kestrova::platform
