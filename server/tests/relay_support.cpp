#include "relay_support.h"

#include <algorithm>

namespace kestrova::server::testing {

Sent sendMessage(Peer& from, uint64_t target, const std::string& body, bool group, const std::string& type,
                 size_t chunks, const char* originKey) {
    Sent sent{0, {}};
    size_t offset = 0;
    do {
        size_t length = std::min<size_t>(512, body.size() - offset);
        wire::Packet chunk = packet("MESG",
                                    {{"Mesg-Target", group ? "1" : "0"},
                                     {"Target-Id", std::to_string(target)},
                                     {"Content-Type", type}},
                                    body.substr(offset, length));
        if (offset)
            chunk.setHeader("Correlation-Id", sent.messageId);
        else if (originKey)
            chunk.setHeader("Origin-Key", originKey);
        if (offset + length == body.size())
            chunk.setHeader("Last", int32_t(1));
        else if (!offset)
            chunk.setHeader("Total-Length", static_cast<int32_t>(body.size()));
        uint64_t id = from.send(chunk);
        if (!offset) sent.messageId = id;
        sent.codes.push_back(from.codeFor(id).value_or(0xFFFFFFFF));
        offset += length;
    } while (offset < body.size() && sent.codes.size() < chunks);
    return sent;
}

std::optional<Got> receiveMessage(Peer& to) {
    auto first = to.expect("MESG", [](const wire::Packet& p) { return !p.hasHeader("Correlation-Id"); });
    if (!first) return std::nullopt;
    Got got{*first, first->body(), 1};
    uint64_t id = first->headerId("Mesg-Id");
    bool last = first->hasHeader("Last");
    while (!last) {
        auto next =
            to.expect("MESG", [&](const wire::Packet& p) { return p.headerId("Correlation-Id") == id; });
        if (!next) return std::nullopt;
        got.body += next->body();
        ++got.chunks;
        last = next->hasHeader("Last");
    }
    return got;
}

std::string text(size_t length) {
    std::string out(length, '\0');
    for (size_t i = 0; i < length; ++i)
        out[i] = static_cast<char>('a' + i % 26);
    return out;
}

uint64_t createGroup(Peer& owner, const std::vector<Peer*>& members) {
    if (owner.request(packet("GROUP CREATE", {{"Name", "Crew"}})) != 0) return 0;
    for (Peer* member : members)
        if (member->request(packet("GROUP SUBSCRIBE", {{"Name", "Crew"}})) != 0) return 0;
    auto update = owner.expect("GROUP UPDATE");
    return update ? wire::readDecimalId(dataMap(update->body())["Group-Id"]) : 0;
}

} // namespace kestrova::server::testing
