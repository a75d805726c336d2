// The plug-in object: starts and stops the connection and what belongs to
// it, in a fixed order.
#pragma once

#include "account_screens.h"
#include "alerts.h"
#include "connection.h"
#include "friend_requests.h"
#include "power_manager.h"
#include "send_packet_function.h"
#include "service_functions.h"
#include "session_objects.h"
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
    RecordedAlerts& alerts() { return alerts_; }
    RecordedPower& power() { return power_; }

private:
    RecordedAlerts alerts_;
    RecordedPower power_;
    RecordedAccountScreens screens_;
    CountingSessionObjects objects_;
    std::unique_ptr<net::PlatformHiddenWindow> window_;
    std::unique_ptr<SendPacketFunction> sendPacket_;
    // Before the connection: profile synchronisation hands it the requests.
    std::unique_ptr<FriendRequests> friendRequests_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<ServiceFunctions> serviceFunctions_;
    std::unique_ptr<StatusMenu> statusMenu_;
};

}  // namespace kestrova::connection
