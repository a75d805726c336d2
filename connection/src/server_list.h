// The servers to try, in order, from "Connection/Servers/List" (entries of
// host, colon, port, separated by commas), with a cursor on the one in use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::connection {

// NOTE: the service's public host is not ours to name; out of the box the
// client looks for a server on this machine, which is where the reference
// server and the demo run. Deployments set "Connection/Servers/List".
inline constexpr const char kDefaultServerHost[] = "127.0.0.1";
inline constexpr int32_t kDefaultServerPorts[] = {38535, 443, 12345};

struct ServerEntry {
    std::string host;
    int32_t port = 0;
    bool operator==(const ServerEntry&) const = default;
};

std::vector<ServerEntry> parseServerList(std::string_view text);
std::string formatServerList(const std::vector<ServerEntry>& entries);

class ServerList {
public:
    // Reads the setting; an empty or unusable list is replaced by the
    // defaults, which are written back to the setting.
    void load();
    const ServerEntry& current() const { return entries_[cursor_]; }
    // The next entry, after the last the first again.
    void advance() { cursor_ = (cursor_ + 1) % entries_.size(); }
    const std::vector<ServerEntry>& entries() const { return entries_; }
    size_t cursor() const { return cursor_; }

private:
    std::vector<ServerEntry> entries_{{kDefaultServerHost, kDefaultServerPorts[0]}};
    size_t cursor_ = 0;
};

}  // namespace kestrova::connection
