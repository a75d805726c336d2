#include "peer.h"

#include <algorithm>

namespace kestrova::server::testing {

uint32_t responseCode(const wire::Packet& response) {
    const std::string& body = response.body();
    if (body.size() != 4) return 0xFFFFFFFF;
    uint32_t code = 0;
    for (unsigned char byte : body) code = code << 8 | byte;
    return code;
}

wire::DataMapEntries dataMap(std::string_view bytes) {
    wire::DataMapEntries map;
    wire::parseDataMap({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, map);
    return map;
}

std::optional<wire::DataMapEntries> contactIn(const wire::DataMapEntries& profile, uint64_t contactId) {
    auto contacts = profile.find("contacts");
    if (contacts == profile.end()) return std::nullopt;
    wire::DataMapEntries list = dataMap(contacts->second);
    auto entry = list.find(std::to_string(contactId));
    if (entry == list.end()) return std::nullopt;
    return dataMap(entry->second);
}

wire::Packet packet(std::string command, std::initializer_list<std::pair<const char*, std::string>> headers,
                    std::string body) {
    wire::Packet out(std::move(command));
    for (const auto& [name, value] : headers) out.setHeader(name, value);
    out.setBody(std::move(body));
    return out;
}

std::optional<Peer> Peer::signIn(uint16_t port, const TestAccount& account) {
    std::optional<SignedIn> session = testing::signIn(port, account);
    if (!session) return std::nullopt;
    Peer peer;
    peer.client = std::move(session->client);
    peer.profile = std::move(session->profileMap);
    peer.resumeKey = session->resumeKey;
    peer.sessionKey = session->sessionKey;
    peer.lastOnline = session->profile.packet.header("Last-Online");
    peer.received = session->received;
    return peer;
}

uint64_t Peer::send(wire::Packet packet) {
    if (!packet.hasHeader("Mesg-Id")) packet.setHeader("Mesg-Id", nextId_++);
    client->send(packet);
    return packet.headerId("Mesg-Id");
}

std::optional<wire::Packet> Peer::read() {
    std::optional<Received> next = client->receive();
    if (!next) return std::nullopt;
    ++received;
    return std::move(next->packet);
}

std::optional<wire::Packet> Peer::expect(std::string_view command,
                                         const std::function<bool(const wire::Packet&)>& test) {
    return expectMatching([&](const wire::Packet& p) { return p.command() == command && (!test || test(p)); });
}

std::optional<wire::Packet> Peer::expectOneOf(std::initializer_list<std::string_view> commands) {
    return expectMatching([&](const wire::Packet& p) {
        return std::find(commands.begin(), commands.end(), p.command()) != commands.end();
    });
}

std::optional<wire::Packet> Peer::expectMatching(const std::function<bool(const wire::Packet&)>& matches) {
    for (auto it = aside_.begin(); it != aside_.end(); ++it) {
        if (!matches(*it)) continue;
        wire::Packet found = std::move(*it);
        aside_.erase(it);
        return found;
    }
    while (std::optional<wire::Packet> next = read()) {
        if (matches(*next)) return next;
        aside_.push_back(std::move(*next));
    }
    return std::nullopt;
}

std::optional<uint32_t> Peer::codeFor(uint64_t mesgId) {
    std::optional<wire::Packet> response =
        expect("RESPONSE", [&](const wire::Packet& p) { return p.headerId("Mesg-Id") == mesgId; });
    if (!response) return std::nullopt;
    return responseCode(*response);
}

bool Peer::sync() {
    client->send(packet("P", {{"PS", std::to_string(received)}}));
    while (std::optional<wire::Packet> next = read()) {
        if (next->command() == "P") return true;
        aside_.push_back(std::move(*next));
    }
    return false;
}

std::vector<wire::Packet> Peer::takeAll(std::string_view command) {
    std::vector<wire::Packet> out;
    for (auto it = aside_.begin(); it != aside_.end();) {
        if (it->command() == command) {
            out.push_back(std::move(*it));
            it = aside_.erase(it);
        } else {
            ++it;
        }
    }
    return out;
}

void Peer::bye() {
    sync();
    client->send(packet("BYE", {{"PS", std::to_string(received)}}));
    client->waitForClose();
}

}  // namespace kestrova::server::testing
