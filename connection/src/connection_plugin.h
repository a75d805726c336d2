// The plug-in object: starts and stops the connection and what belongs to
// it, in a fixed order.
#pragma once

#include "alerts.h"
#include "connection.h"
#include "power_manager.h"
#include "send_packet_function.h"
#include "session_objects.h"

#include "kestrova/api.h"
#include "kestrova/net/mailbox_window.h"

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
    net::MailboxWindow* window() { return window_.get(); }
    RecordedAlerts& alerts() { return alerts_; }
    RecordedPower& power() { return power_; }

private:
    RecordedAlerts alerts_;
    RecordedPower power_;
    CountingSessionObjects objects_;
    std::unique_ptr<net::MailboxWindow> window_;
    std::unique_ptr<SendPacketFunction> sendPacket_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace kestrova::connection
