// The one connection of the plug-in to the messaging server. It chooses the
// server, reaches it directly or through an HTTP proxy tunnel, logs on and
// authenticates, keeps the session alive with pings, notices a dead line,
// reconnects with growing delays over the list of servers, resumes a
// session that dropped, and ends it. All of it runs on the user-interface
// thread; the socket layer below hands every socket event to it.
//
// The state is published in the variant "connection.state":
//   0 offline, 10 bringing up the network, 30 connecting, 35 waiting for the
//   proxy, 40 "LOGON" sent, 50/60 profile being loaded, 70 stored messages
//   requested, 100 online, 130 waiting to reconnect, 140 resume answered.
#pragma once
#include "alerts.h"
#include "pending_requests.h"
#include "power_manager.h"
#include "server_list.h"
#include "session_objects.h"

#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/crypto/salsa20.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/net/packet_socket.h"
#include "kestrova/platform/clock.h"
#include "kestrova/wire/packet.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace kestrova::connection {

enum ConnectionState : int32_t {
    kStateOffline = 0,
    kStateNetwork = 10,
    kStateConnecting = 30,
    kStateProxy = 35,
    kStateLogonSent = 40,
    kStateLoadingContacts = 50,
    kStateLoadingRest = 60,
    kStateStoredMessages = 70,
    kStateOnline = 100,
    kStateReconnectWait = 130,
    kStateResumeSent = 140,
};

// Everything the connection needs from its surroundings.
struct ConnectionEnvironment {
    net::HiddenWindow& window;
    Alerts& alerts;
    PowerManager& power;
    SessionObjects& objects;
    // The program was started with "/hidden": sign in whatever the setting says.
    bool startedHidden = false;
};

class Connection final : public net::PacketSocket {
public:
    using Handler = std::function<void(const wire::Packet&)>;

    explicit Connection(ConnectionEnvironment environment);
    ~Connection() override;

    // Sign-in entry: from offline or a reconnect wait, bring up the network
    // and connect.
    void connect();
    // The user goes offline: "BYE", close, no reconnect, the session ends.
    void disconnect();

    // Writes a packet now. False when the socket is not there or the write failed.
    bool send(const wire::Packet& packet);
    // Gives the packet a fresh "Mesg-Id", sends it and returns the id; 0 when
    // it could not be sent (see send).
    uint32_t sendWithId(wire::Packet& packet);
    // Sends a request that waits for its "RESPONSE"; offline, its handler is
    // answered with code 100 at once.
    void submit(wire::Packet packet, ResponseHandler handler);
    // "Connection/SendPacket": bytes of a whole packet written unchanged.
    // False when they could not be written.
    bool sendRawPacket(std::string_view bytes);

    // A later registration of the same command replaces the earlier one.
    void registerHandler(std::string command, Handler handler);

    int32_t state() const;
    uint64_t myId() const { return myId_; }
    const std::string& resumeKey() const { return resumeKey_; }
    int32_t packetsReceived() const { return packetsReceived_; }
    // Every packet handed to the connection since it was created.
    uint64_t packetsHandled() const { return packetsHandled_; }
    int32_t pingInterval() const { return pingInterval_; }
    int32_t reconnectDelay() const { return reconnectDelay_; }
    platform::UnixTime serverClockOffset() const { return serverClockOffset_; }
    const ServerList& servers() const { return servers_; }
    const PendingTable& pending() const { return pending_; }
    crypto::Salsa20Context& sessionCipher() { return sessionCipher_; }

    // The socket layer's operations.
    void onConnected() override;
    void onDisconnected() override;
    void onNetworkReady(bool viaConnectionManager) override;
    bool onPacket(wire::Packet& packet) override;

    // The hidden window's messages: the socket layer's and the timer.
    intptr_t handleWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

private:
    // Microseconds on the platform's tick, the clock the timer runs on; 0
    // means "not set".
    using Micros = int64_t;

    // NOTE: every deadline the timer checks is counted on the timer's own
    // clock. On the system clock a tick could come a fraction of a
    // millisecond before a deadline it was meant to meet, and the wait would
    // grow by a whole tick.
    static Micros now();
    void setState(int32_t state);
    void registerCoreHandlers();
    bool powerSave() const;
    bool resumable() const;

    // Reaching the server.
    void startSocket();
    void onProxyAnswer(const std::string& statusLine, int32_t code);

    // Logon and authentication.
    void sendLogon();
    // The sign-in cannot go on: say why, go offline and stay there.
    void abandonSignIn(const std::string& reason);
    void onAuth(const wire::Packet& packet);
    void answerResume(const wire::Packet& packet);
    void answerEncrypted(const wire::Packet& packet, const kit::ServiceFields& account);
    void answerPlain(const kit::ServiceFields& account);
    void onLogonFailed(const wire::Packet& packet);
    void onGhosted(const wire::Packet& packet);
    void onSubProfile(const wire::Packet& packet);
    void acceptLogonProfile(const wire::Packet& packet);
    void takeResumeKey(const wire::Packet& packet, std::string_view iv, std::string_view sealedKey);
    void takeServerTime(const wire::Packet& packet);
    void requestStoredMessages(const std::string& since);
    void acceptResume();

    // Requests and other packets.
    void onResponse(const wire::Packet& packet);
    void onSetting(const wire::Packet& packet);
    void onMessageChunk(const wire::Packet& packet);

    // Keep-alive, reconnection and the end of a session.
    void onTimer();
    void onPacketReceived();
    void onPing(const wire::Packet& packet);
    void sendBye();
    void sendPing();
    void scheduleReconnect(int32_t previousState, const kit::ServiceFields& account);
    void endSession();
    void updatePowerRequest(Micros wakeAt);

    net::HiddenWindow& window_;
    Alerts& alerts_;
    PowerManager& power_;
    SessionObjects& objects_;
    HSERVICE service_;
    kit::ServiceRecord account_;
    ServerList servers_;
    std::map<std::string, Handler, std::less<>> handlers_;
    PendingTable pending_;

    bool isPocketPC_ = false;
    bool unattended_ = false;
    bool unattendedRequested_ = false;
    int32_t stayConnected_ = 0;
    uint64_t myId_ = 0;
    crypto::Salsa20Context sessionCipher_{};
    std::string resumeKey_;
    Micros resumeDeadline_ = 0;
    int32_t packetsReceived_ = 0;
    uint64_t packetsHandled_ = 0;
    platform::UnixTime serverClockOffset_{};
    bool wasOnline_ = false;

    Micros pingDue_ = 0;
    bool messageSincePing_ = false;
    Micros deadline_ = 0;
    Micros lastMessageAt_ = 0;
    int32_t pingInterval_ = 30;
    int32_t reconnectDelay_ = 5;
    Micros reconnectAt_ = 0;
};

}  // namespace kestrova::connection
