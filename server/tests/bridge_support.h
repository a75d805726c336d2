// What the bridge tests share: a scripted network that stands in for XMPP
// (its logins record the commands the bridge gives them, and the test plays
// the network's side through them), and the client's half of bridges,
// computed here independently of the server's code: the encrypted
// registration fields, and the reason codes the client derives from the
// texts of "BRIDGE OFF".
#pragma once

#include "bridges/bridge_protocol.h"
#include "bridges/network.h"
#include "peer.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace kestrova::server::testing {

class ScriptedNetwork {
  public:
    struct Login {
        bridges::BridgeAccount account;
        int32_t status = 0;
        bridges::NetworkEventSink sink;
        std::vector<std::string> commands; // "message ADDRESS TEXT", "presence 2", ...
        bool loggedOut = false;
    };

    bridges::NetworkFactory factory();

    // These run on the server's thread.
    size_t loginCount(RunningServer& server);
    Login login(RunningServer& server, size_t index);
    void play(RunningServer& server, size_t index, bridges::NetworkEvent event);

  private:
    std::shared_ptr<std::vector<std::shared_ptr<Login>>> logins_ =
        std::make_shared<std::vector<std::shared_ptr<Login>>>();
};

// The body of "BRIDGE REGISTER FIELDS" as the client builds it: 8 IV bytes,
// then the encoded map encrypted with Salsa20/20 under K2 and that IV.
std::string encryptFields(const std::array<uint8_t, 16>& sessionKey, const wire::DataMapEntries& fields,
                          const std::string& iv = "\x01\x02\x03\x04\x05\x06\x07\x08");
// The reason code the client stores for a "BRIDGE OFF" reason.
int32_t clientReasonCode(const std::string& reason);

// "BRIDGE REGISTER" and its encrypted fields; the new bridge's id from the
// profile push, 0 when there was none.
uint64_t registerBridge(Peer& peer, const wire::DataMapEntries& fields);
// The bridge's map in the "BRIDGE" entry of a profile.
std::optional<wire::DataMapEntries> bridgeIn(const wire::DataMapEntries& profile, uint64_t bridgeId);
// A packet with the headers given, "Bridge-Id" first.
wire::Packet bridgePacket(std::string command, uint64_t bridgeId,
                          std::initializer_list<std::pair<const char*, std::string>> headers = {},
                          std::string body = {});

} // namespace kestrova::server::testing
