// A signed-in test client that keeps what it read: waiting for one command
// sets the others aside for later checks, so tests do not depend on how the
// server interleaves pushes, answers and relayed messages. It counts packets
// as the real client does and acknowledges them in "P" and "BYE".
#pragma once

#include "server_fixture.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::server::testing {

uint32_t responseCode(const wire::Packet& response);
wire::DataMapEntries dataMap(std::string_view bytes);
// The record of one contact in a "SUB PROFILE" push or profile ("contacts").
std::optional<wire::DataMapEntries> contactIn(const wire::DataMapEntries& profile, uint64_t contactId);

class Peer {
public:
    static std::optional<Peer> signIn(uint16_t port, const TestAccount& account);

    // Sends with a fresh "Mesg-Id" (returned) unless the packet has one.
    uint64_t send(wire::Packet packet);
    // The next packet with this command (and matching `test`), from what was
    // set aside first; nothing when none comes within the guard time.
    std::optional<wire::Packet> expect(std::string_view command,
                                       const std::function<bool(const wire::Packet&)>& test = nullptr);
    // The next packet with any of these commands, as expect does.
    std::optional<wire::Packet> expectOneOf(std::initializer_list<std::string_view> commands);
    // The code of the "RESPONSE" to the request.
    std::optional<uint32_t> codeFor(uint64_t mesgId);
    uint32_t request(wire::Packet packet) { return codeFor(send(std::move(packet))).value_or(0xFFFFFFFF); }
    // Pings and reads up to the answer: everything the server sent before is
    // then set aside.
    bool sync();
    // Takes every set-aside packet with the command.
    std::vector<wire::Packet> takeAll(std::string_view command);
    void bye();
    void drop() { client->disconnect(); }

    std::unique_ptr<TestClient> client;
    wire::DataMapEntries profile;
    std::string resumeKey;
    std::array<uint8_t, 16> sessionKey{};
    std::string lastOnline;
    int32_t received = 0;

private:
    std::optional<wire::Packet> read();
    std::optional<wire::Packet> expectMatching(const std::function<bool(const wire::Packet&)>& matches);
    std::deque<wire::Packet> aside_;
    uint64_t nextId_ = 32768;
};

// "CONTACT DETAIL", "MESG" and the like with headers given as pairs.
wire::Packet packet(std::string command, std::initializer_list<std::pair<const char*, std::string>> headers,
                    std::string body = {});

}  // namespace kestrova::server::testing
