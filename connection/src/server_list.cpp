#include "server_list.h"

#include "kestrova/api.h"
#include "kestrova/kit/settings.h"
#include "kestrova/wire/packet.h"

namespace kestrova::connection {

std::vector<ServerEntry> parseServerList(std::string_view text) {
    std::vector<ServerEntry> entries;
    while (!text.empty()) {
        size_t comma = text.find(',');
        std::string_view entry = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        size_t colon = entry.find(':');
        // NOTE: an entry without a port or without a host cannot be reached;
        // it is skipped instead of being read across into the next entry.
        if (colon == std::string_view::npos || colon == 0) continue;
        entries.push_back({std::string(entry.substr(0, colon)), wire::readDecimalInt(entry.substr(colon + 1))});
    }
    return entries;
}

std::string formatServerList(const std::vector<ServerEntry>& entries) {
    std::string text;
    for (const ServerEntry& entry : entries) {
        if (!text.empty()) text.push_back(',');
        text += entry.host + ":" + std::to_string(entry.port);
    }
    return text;
}

void ServerList::load() {
    entries_ = parseServerList(kit::readSetting(settings::kServerList));
    cursor_ = 0;
    if (!entries_.empty()) return;
    for (int32_t port : kDefaultServerPorts) entries_.push_back({kDefaultServerHost, port});
    kit::writeSetting(settings::kServerList, formatServerList(entries_));
}

}  // namespace kestrova::connection
