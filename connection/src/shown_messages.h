// The messages this account has already shown, so that a repeat is dropped.
//
// A session that ends without a resume leaves the messages the client had not
// acknowledged yet with the server, which stores them and delivers them again
// in the next session under the same id. The user must not see them twice,
// also when the program was restarted in between, so the keys are kept in a
// file under the Kestrova home folder: one line per message, appended as it
// is shown, and rewritten to the newest `capacity` keys when it has grown to
// twice that. A key is only as old as the last `capacity` messages; the
// server keeps unacknowledged messages for far fewer than that.
//
// A message whose sender gave it an origin key is known by that key: the
// sender's client sends a message again after a session ended without an
// answer, and a server that had relayed it before going down relays it
// again under a new id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace kestrova::connection {

// A message: the bridge it came through (0: none), its sender and either the
// sender's origin key or, for a message without one, the server's message id.
// The two kinds never match each other ("k" marks an origin key in the file).
struct ShownKey {
    uint64_t bridgeId = 0;
    uint64_t sourceId = 0;
    uint64_t messageId = 0;
    bool byOriginKey = false; // messageId holds the sender's origin key
    auto operator<=>(const ShownKey&) const = default;
};

inline constexpr size_t kMaxShownFileBytes = 1024 * 1024;

// The keys in a journal's text, oldest first. Lines that cannot be read are
// skipped; input beyond kMaxShownFileBytes is ignored.
std::vector<ShownKey> parseShownKeys(std::string_view text);
// One line of the journal, with its line feed.
std::string formatShownKey(const ShownKey& key);

class ShownMessages {
  public:
    // An empty file means the default place in the Kestrova home folder,
    // looked up when the keys are first needed.
    explicit ShownMessages(std::filesystem::path file = {}, size_t capacity = 4096);

    bool contains(const ShownKey& key);
    // Remembers the key, here and in the file.
    void remember(const ShownKey& key);

  private:
    void load();
    void add(const ShownKey& key);
    void rewrite();

    std::filesystem::path file_;
    size_t capacity_;
    bool loaded_ = false;
    size_t fileLines_ = 0;
    std::deque<ShownKey> order_;
    std::set<ShownKey> keys_;
};

} // namespace kestrova::connection
