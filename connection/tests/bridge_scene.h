// The bridges of one connection against the scripted server: the real
// session objects, the bridge manager and the friend requests, with the
// shell's overview played by stand-in functions on the bus.
#pragma once

#include "bridging/bridge_manager.h"
#include "friend_requests.h"
#include "service_scene.h"
#include "sync_scene.h"

#include "kestrova/platform/icon_resources.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/modal.h"

#include <memory>

namespace kestrova::testing {

// Every service on the api's list, with references the caller drops at once.
inline std::vector<HSERVICE> serviceList() {
    HSERVICE services[16];
    uint32_t count = 16;
    RY_GetServices(services, &count);
    std::vector<HSERVICE> list(services, services + count);
    for (HSERVICE service : list) RY_ReleaseService(service);
    return list;
}

class BridgeScene : public SyncScene {
protected:
    static constexpr uint64_t kBridge = 7;

    void started() override {
        manager_.reset();
        if (!overview_) overview_ = std::make_unique<StubOverview>();
        if (!requests_) requests_ = std::make_unique<connection::FriendRequests>(nullptr);
        manager_ = std::make_unique<connection::BridgeManager>(connection::BridgeManagerEnvironment{
            *connection_, sync_.contactSync(), *requests_, alerts_, platform::mainProgramModule()});
        sync_.setBridgeLookup(manager_.get());
        if (!sender_) sender_ = std::make_unique<connection::MessageSender>(sync_.link(), manager_.get());
        SyncScene::started();
    }
    void TearDown() override {
        responder_.reset();
        sender_.reset();
        sync_.setBridgeLookup(nullptr);
        manager_.reset();
        connection_.reset();
        requests_.reset();
        overview_.reset();
        SyncScene::TearDown();
    }

    // The profile entry of a bridge as the server writes it.
    static std::string bridgeEntry(const std::string& enabled = "1", const std::string& type = "6") {
        return encode({{"bridge-type", type},
                       {"domain", "localhost"},
                       {"enabled", enabled},
                       {"nickname", "Alice"},
                       {"username", "alice@localhost"}});
    }
    static wire::DataMapEntries withBridge(const std::string& entry = bridgeEntry()) {
        return {{"BRIDGE", encode({{std::to_string(kBridge), entry}})}};
    }

    // Signs in with the encrypted exchange (so the session has its cipher)
    // and the profile; returns the session key K2.
    std::string signInEncrypted(wire::DataMapEntries profile = {}) {
        startAndTakeLogon();
        profile.emplace("Sub-Id", std::to_string(kMyId));
        std::string k2 = authenticateEncrypted();
        std::string iv = "IV-bytes", key = "resume";
        std::string body = iv + encode(profile) + salsaBytes(k2, iv, key);
        serverSendsAndWait(packetWithBody("SUB PROFILE\niv: 8\nrk: " + std::to_string(key.size()) + "\n", body),
                           [&] { return state() == connection::kStateOnline; });
        return k2;
    }
    // Signed in with bridge 7 (switched on by the client, and by the server).
    void signInWithBridgeOn() {
        signInWith(withBridge());
        std::string id;
        EXPECT_EQ(takeMasked(&id), "BRIDGE ON\nbridge-id: 7\nmesg-id: #\nonline-status: 1\n\n");
        respondTo(id, 0);
        serverSends("BRIDGE ON\nbridge-id: 7\n\n");
    }

    HSERVICE bridgeService() {
        connection::Bridge* bridge = manager_->find(kBridge);
        return bridge ? bridge->service() : nullptr;
    }
    kit::ServiceFields bridgeFields() { return kit::ServiceRecord(bridgeService()).read(); }

    std::string takeMasked(std::string* id = nullptr) { return maskedMesgId(takePacket(), id); }
    void respondTo(const std::string& id, uint32_t code) { serverSends(response(std::stoull(id), code)); }

    // Answers the next modals: a question with `reply`, a menu with the entry of that text.
    void answerModals(int reply, const char* entry = "") {
        responder_.reset();  // it puts back the responder before it as it goes
        responder_ = std::make_unique<platform::ScopedModalResponder>(
            [this, reply, entry](const platform::ModalRequest& request) -> std::optional<int> {
                if (request.kind == platform::ModalKind::kPopupMenu)
                    return static_cast<int>(platform::findMenuCommand(request.menu, entry).value_or(0));
                questions_.push_back(request);
                return reply;
            });
    }

    std::unique_ptr<StubOverview> overview_;
    std::unique_ptr<connection::FriendRequests> requests_;
    std::unique_ptr<connection::BridgeManager> manager_;
    std::unique_ptr<platform::ScopedModalResponder> responder_;
    std::vector<platform::ModalRequest> questions_;
};

}  // namespace kestrova::testing
