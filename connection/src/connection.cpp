#include "connection.h"

#include "texts.h"

#include "kestrova/kit/settings.h"
#include "kestrova/kit/texts.h"
#include "kestrova/net/proxy_tunnel.h"
#include "kestrova/wire/protocol.h"

namespace kestrova::connection {

namespace protocol = wire::protocol;

Connection::Connection(ConnectionEnvironment environment)
    : PacketSocket(environment.window),
      window_(environment.window),
      alerts_(environment.alerts),
      power_(environment.power),
      objects_(environment.objects),
      service_(RY_GetPrimaryService()),
      account_(service_) {
    window_.setHandler([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        return handleWindowMessage(message, wParam, lParam);
    });
    char platformName[64] = {};
    RY_GetPlatformName(platformName);
    isPocketPC_ = std::string_view(platformName) == "PocketPC";
    servers_.load();
    registerCoreHandlers();

    std::string user = kit::readSetting(settings::kUser);
    std::string password = kit::readSetting(settings::kPassword);
    if (user.empty() || password.empty()) return;
    account_.write(kit::ServiceChange().userName(user).password(password));
    bool signInNow = environment.startedHidden || kit::readSetting(settings::kAutoSignIn) != 0;
    if (signInNow && state() == kStateOffline) {
        account_.write(kit::ServiceChange().desiredStatus(RY_PRESENCE_ONLINE));
        connect();
    }
}

Connection::~Connection() {
    if (isConnected()) {
        sendBye();
        window_.stopTimer();
        closeSocket();
        onDisconnected();
    }
    // NOTE: a session kept for resuming would leave its requests waiting for
    // good, and their handlers holding what they refer to; nothing can resume
    // it after the plug-in stops.
    if (!resumeKey_.empty() || pending_.size() != 0) endSession();
    objects_.removeAll();
    if (isPocketPC_) {
        power_.scheduleProgramStart(std::nullopt);
        if (unattendedRequested_) power_.setUnattendedMode(false);
    }
    // NOTE: with the user wanting to be online, the close above left the
    // state at "waiting to reconnect"; nobody reconnects once we are gone.
    window_.stopTimer();
    setState(kStateOffline);
    RY_ReleaseService(service_);
    window_.setHandler(nullptr);
}

Connection::Micros Connection::now() { return static_cast<Micros>(platform::tickCount64()) * 1000; }

int32_t Connection::state() const { return bus::get(names::kConnectionState); }

namespace {

// The states that stand for a live socket.
bool needsSocket(int32_t state) {
    switch (state) {
    case kStateProxy:
    case kStateLogonSent:
    case kStateLoadingContacts:
    case kStateLoadingRest:
    case kStateStoredMessages:
    case kStateOnline:
    case kStateResumeSent:
        return true;
    default:
        return false;
    }
}

}  // namespace

void Connection::setState(int32_t state) {
    // NOTE: a step that moves the state up (sign-in, resume, stored messages)
    // does so after sending, and a failed send has already closed the socket
    // and set the state to offline or waiting to reconnect. That failure
    // wins: without a socket the state cannot go up again.
    if (needsSocket(state) && !isConnected()) return;
    bus::set(names::kConnectionState, state);
}

bool Connection::powerSave() const { return kit::readSetting(settings::kPowerSave) > 0; }

void Connection::registerHandler(std::string command, Handler handler) {
    handlers_.insert_or_assign(std::move(command), std::move(handler));
}

void Connection::registerCoreHandlers() {
    auto bind = [this](void (Connection::*member)(const wire::Packet&)) {
        return [this, member](const wire::Packet& packet) { (this->*member)(packet); };
    };
    registerHandler(protocol::command::kAuth, bind(&Connection::onAuth));
    registerHandler(protocol::command::kLogonFailed, bind(&Connection::onLogonFailed));
    registerHandler(protocol::command::kGhosted, bind(&Connection::onGhosted));
    registerHandler(protocol::command::kSubProfile, bind(&Connection::onSubProfile));
    registerHandler(protocol::command::kPing, bind(&Connection::onPing));
    registerHandler(protocol::command::kResponse, bind(&Connection::onResponse));
    registerHandler(protocol::command::kSetting, bind(&Connection::onSetting));
    registerHandler(protocol::command::kMessage, bind(&Connection::onMessageChunk));
    registerHandler(protocol::command::kBridgeMessage, bind(&Connection::onMessageChunk));
}

intptr_t Connection::handleWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == net::kMsgTimer) {
        onTimer();
        return 0;
    }
    return handleMessage(message, wParam, lParam);
}

void Connection::connect() {
    int32_t current = state();
    if (current == kStateOffline || current == kStateReconnectWait) {
        setState(kStateNetwork);
        checkNetwork();
        return;
    }
    if (current == kStateNetwork) startSocket();
}

void Connection::onNetworkReady(bool viaConnectionManager) {
    // NOTE: the user may have gone offline while the network was being
    // checked; the answer must not start a sign-in nobody wants any more.
    if (state() == kStateNetwork) connect();
}

void Connection::startSocket() {
    setState(kStateConnecting);
    if (kit::readSetting(settings::kProxyType) != net::kProxyNone) {
        std::string host = kit::readSetting(settings::kProxyHost);
        startConnect(host, static_cast<uint16_t>(kit::readSetting(settings::kProxyPort)));
        return;
    }
    const ServerEntry& server = servers_.current();
    startConnect(server.host, static_cast<uint16_t>(server.port));
}

void Connection::onConnected() {
    reconnectDelay_ = 5;
    pingInterval_ = 30;
    pingDue_ = 0;
    messageSincePing_ = false;
    lastMessageAt_ = now();
    deadline_ = now() + (pingInterval_ + 30) * 1'000'000LL;
    window_.startTimer(10000);

    int32_t proxyType = kit::readSetting(settings::kProxyType);
    if (proxyType == net::kProxyNone) {
        setState(kStateLogonSent);
        sendLogon();
        return;
    }
    setState(kStateProxy);
    // Other proxy types write nothing and wait for a status line all the same.
    if (proxyType == net::kProxyHttpConnect) {
        const ServerEntry& server = servers_.current();
        queueBytes(net::tunnelRequest(server.host, server.port));
    }
    flush();
}

void Connection::onProxyAnswer(const std::string& statusLine, int32_t code) {
    if (code == 200) {
        setState(kStateLogonSent);
        sendLogon();
        return;
    }
    alerts_.showError(kit::text(texts::kLoginFailed), kit::text(texts::kProxyRejected) + statusLine);
    account_.write(kit::ServiceChange().failure(statusLine, kit::kFailureNone));
    account_.write(kit::ServiceChange().desiredStatus(RY_PRESENCE_OFFLINE));
}

bool Connection::onPacket(wire::Packet& packet) {
    ++packetsHandled_;
    if (state() == kStateProxy) {
        if (auto status = net::parseProxyStatusLine(packet.command())) {
            onProxyAnswer(packet.command(), status->code);
            return true;
        }
    }
    ++packetsReceived_;
    onPacketReceived();
    auto handler = handlers_.find(packet.command());
    if (handler != handlers_.end()) {
        // A handler may replace itself in the table; keep it alive while it runs.
        Handler running = handler->second;
        running(packet);
    }
    return true;
}

bool Connection::send(const wire::Packet& packet) {
    if (!isConnected()) return false;
    std::optional<std::string> bytes = packet.serialise();
    if (!bytes) return false;  // a text in it would break its line: nothing is written
    queueBytes(*bytes);
    return flush();
}

uint32_t Connection::sendWithId(wire::Packet& packet) {
    uint32_t id = RY_GetLUID();
    packet.setHeader(protocol::header::kMesgId, uint64_t{id});
    return send(packet) ? id : 0;
}

void Connection::submit(wire::Packet packet, ResponseHandler handler) {
    uint32_t id = static_cast<uint32_t>(packet.headerInt(protocol::header::kMesgId));
    if (id == 0) {
        id = RY_GetLUID();
        packet.setHeader(protocol::header::kMesgId, uint64_t{id});
    }
    if (state() == kStateOffline) {
        if (handler) handler(kCodeSessionEnded, std::string());
        return;
    }
    if (!packet.writable()) {
        // Refused by the writer: answered as the server refuses such texts,
        // never sent and never pending.
        if (handler) handler(kCodeTextBreaksLine, std::string());
        return;
    }
    auto request = std::make_shared<PendingRequest>(PendingRequest{std::move(packet), std::move(handler)});
    pending_.insert(id, request);
    send(request->packet);
}

bool Connection::sendRawPacket(std::string_view bytes) {
    if (!isConnected()) return false;
    queueBytes(bytes);
    return flush();
}

void Connection::onResponse(const wire::Packet& packet) {
    uint64_t id = packet.headerId(protocol::header::kMesgId);
    bool isText = packet.headerInt(protocol::header::kType) == 1;
    int64_t code = isText ? kCodeSuccess : responseCode(packet.body());
    pending_.answer(id, code, isText ? packet.body() : std::string());
}

void Connection::onSetting(const wire::Packet& packet) {
    std::string name = packet.header(protocol::header::kName);
    std::string value = packet.header(protocol::header::kValue);
    // NOTE: values beyond what the store can give back are refused rather
    // than stored; a nameless setting is meaningless.
    if (name.empty() || name.size() > kit::kMaxSettingBytes || value.size() > kit::kMaxSettingBytes) return;
    RY_SetSettingString(name.c_str(), value.c_str());
}

void Connection::onMessageChunk(const wire::Packet& packet) {
    lastMessageAt_ = now();
    messageSincePing_ = true;
    objects_.receiveMessageChunk(packet);
}

}  // namespace kestrova::connection
