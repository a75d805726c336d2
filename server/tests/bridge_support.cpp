#include "bridge_support.h"

#include "bridges/xmpp/xmpp_address.h"
#include "kestrova/crypto/salsa20.h"

namespace kestrova::server::testing {
namespace {

class ScriptedAdapter : public bridges::NetworkAdapter {
  public:
    explicit ScriptedAdapter(std::shared_ptr<ScriptedNetwork::Login> login) : login_(std::move(login)) {}
    ~ScriptedAdapter() override { login_->loggedOut = true; }

    std::optional<std::string> addressOf(std::string_view text) const override {
        std::string bare = bridges::xmpp::bareOf(text);
        if (bare.empty() || bare.find('@') == std::string::npos || bare.size() != text.size())
            return std::nullopt;
        return bare;
    }
    void setPresence(int32_t status) override { log("presence " + std::to_string(status)); }
    void sendMessage(const std::string& address, const std::string& text) override {
        log("message " + address + " " + text);
    }
    void sendRoomMessage(const std::string& room, const std::string& text) override {
        log("room-message " + room + " " + text);
    }
    void requestContact(const std::string& address, const std::string& text) override {
        log("request " + address + " " + text);
    }
    void answerContact(const std::string& address, bool accepted) override {
        log("answer " + address + (accepted ? " 1" : " 0"));
    }
    void removeContact(const std::string& address) override { log("remove " + address); }
    void joinRoom(const std::string& room, const std::string& nickname,
                  const std::string& password) override {
        log("join " + room + " " + nickname + (password.empty() ? "" : " " + password));
    }
    void leaveRoom(const std::string& room) override { log("leave " + room); }

  private:
    void log(std::string command) { login_->commands.push_back(std::move(command)); }
    std::shared_ptr<ScriptedNetwork::Login> login_;
};

} // namespace

bridges::NetworkFactory ScriptedNetwork::factory() {
    return [logins = logins_](const bridges::BridgeAccount& account, int32_t status,
                              bridges::NetworkEventSink sink) -> std::unique_ptr<bridges::NetworkAdapter> {
        auto login = std::make_shared<Login>();
        login->account = account;
        login->status = status;
        login->sink = std::move(sink);
        logins->push_back(login);
        return std::make_unique<ScriptedAdapter>(login);
    };
}

size_t ScriptedNetwork::loginCount(RunningServer& server) {
    return server.onServerThread([&](Server&) { return logins_->size(); });
}

ScriptedNetwork::Login ScriptedNetwork::login(RunningServer& server, size_t index) {
    return server.onServerThread([&](Server&) {
        Login copy = *logins_->at(index);
        copy.sink = nullptr;
        return copy;
    });
}

void ScriptedNetwork::play(RunningServer& server, size_t index, bridges::NetworkEvent event) {
    server.onServerThread([&](Server&) {
        std::shared_ptr<Login> login = logins_->at(index);
        if (!login->loggedOut) login->sink(std::move(event));
    });
}

std::string encryptFields(const std::array<uint8_t, 16>& sessionKey, const wire::DataMapEntries& fields,
                          const std::string& iv) {
    std::string map = wire::encodeDataMap(fields);
    crypto::Salsa20Context cipher;
    crypto::salsa20KeySetup(cipher, sessionKey.data(), 128);
    crypto::salsa20IvSetup(cipher, reinterpret_cast<const uint8_t*>(iv.data()));
    std::string sealed(map.size(), '\0');
    crypto::salsa20EncryptBytes(cipher, reinterpret_cast<const uint8_t*>(map.data()),
                                reinterpret_cast<uint8_t*>(sealed.data()), map.size());
    return iv + sealed;
}

int32_t clientReasonCode(const std::string& reason) {
    if (reason == "You have signed on from another location.") return 1;
    if (reason == "Unable to read socket") return 2;
    if (reason == "Disconnected.") return 3;
    auto has = [&](const char* phrase) { return reason.find(phrase) != std::string::npos; };
    if (has("Unable to connect") || has("Connection error from Notification server:") ||
        has("Could not connect to authentication server:"))
        return 5;
    if (has("connecting and disconnecting too frequently")) return 4;
    if (has("Unable to authenticate:")) return 6;
    return 0;
}

uint64_t registerBridge(Peer& peer, const wire::DataMapEntries& fields) {
    uint64_t id = peer.send(packet("BRIDGE REGISTER", {{"Bridge-Type", "6"}}));
    if (peer.codeFor(id) != 0u) return 0;
    wire::Packet answer = packet("BRIDGE REGISTER FIELDS", {{"Mesg-Id", std::to_string(id)}, {"IV", "8"}},
                                 encryptFields(peer.sessionKey, fields));
    peer.send(answer);
    if (peer.codeFor(id) != 0u) return 0;
    std::optional<wire::Packet> push = peer.expect("SUB PROFILE");
    if (!push) return 0;
    wire::DataMapEntries bridges = dataMap(dataMap(push->body())["BRIDGE"]);
    return bridges.size() == 1 ? std::stoull(bridges.begin()->first) : 0;
}

std::optional<wire::DataMapEntries> bridgeIn(const wire::DataMapEntries& profile, uint64_t bridgeId) {
    auto bridges = profile.find("BRIDGE");
    if (bridges == profile.end()) return std::nullopt;
    wire::DataMapEntries all = dataMap(bridges->second);
    auto entry = all.find(std::to_string(bridgeId));
    if (entry == all.end()) return std::nullopt;
    return dataMap(entry->second);
}

wire::Packet bridgePacket(std::string command, uint64_t bridgeId,
                          std::initializer_list<std::pair<const char*, std::string>> headers,
                          std::string body) {
    wire::Packet out = packet(std::move(command), headers, std::move(body));
    out.setHeader("Bridge-Id", bridgeId);
    return out;
}

} // namespace kestrova::server::testing
