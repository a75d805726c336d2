// The plug-in object: starts and stops the connection and what belongs to
// it, in a fixed order.
#pragma once

#include "account_screens.h"
#include "alerts.h"
#include "dialogs/account_dialogs.h"
#include "forms/account_forms.h"
#include "bridging/bridge_manager.h"
#include "connection.h"
#include "message_history.h"
#include "message_sender.h"
#include "power_manager.h"
#include "send_packet_function.h"
#include "friend_requests.h"
#include "service_functions.h"
#include "session_sync.h"
#include "status_menu.h"

#include "kestrova/api.h"
#include "kestrova/net/platform_hidden_window.h"

#include <memory>

namespace kestrova::connection {

class ConnectionPlugin final : public Plugin {
public:
    ConnectionPlugin() = default;
    ~ConnectionPlugin();

    void Start() override;
    void Stop() override;
    const char* GetInfo() override { return ""; }

    Connection* connection() { return connection_.get(); }
    RecordedPower& power() { return power_; }
    SessionSync& objects() { return objects_; }
    BridgeManager* bridges() { return bridges_.get(); }
    AccountForms* forms() { return screens_.get(); }

private:
    WindowAlerts alerts_;
    RecordedPower power_;
    // Outlives the connection, whose destructor ends the session through it.
    SessionSync objects_;
    std::unique_ptr<AccountForms> screens_;
    std::unique_ptr<AccountDialogs> dialogs_;
    std::unique_ptr<net::PlatformHiddenWindow> window_;
    std::unique_ptr<SendPacketFunction> sendPacket_;
    // Before the connection: profile synchronisation hands it the requests.
    std::unique_ptr<FriendRequests> friendRequests_;
    std::unique_ptr<Connection> connection_;
    // After the connection, whose packets it takes, and before what sends
    // through it.
    std::unique_ptr<BridgeManager> bridges_;
    std::unique_ptr<MessageSender> sender_;
    std::unique_ptr<MessageHistoryFunction> history_;
    std::unique_ptr<ServiceFunctions> serviceFunctions_;
    std::unique_ptr<StatusMenu> statusMenu_;
};

}  // namespace kestrova::connection
