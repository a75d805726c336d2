#include "connection_plugin.h"

#include "command_line.h"

namespace kestrova::connection {

ConnectionPlugin::~ConnectionPlugin() { Stop(); }

void ConnectionPlugin::Start() {
    if (started) return;
    window_ = std::make_unique<net::PlatformHiddenWindow>();
    sendPacket_ = std::make_unique<SendPacketFunction>();
    connection_ = std::make_unique<Connection>(
        ConnectionEnvironment{*window_, alerts_, power_, objects_, startedHidden()});
    sendPacket_->setConnection(connection_.get());
    objects_.attach(*connection_);
    sender_ = std::make_unique<MessageSender>(objects_.link());
    history_ = std::make_unique<MessageHistoryFunction>(objects_.link());
    started = 1;
}

void ConnectionPlugin::Stop() {
    if (!started) return;
    history_.reset();
    sender_.reset();
    sendPacket_.reset();
    connection_.reset();
    objects_.detach();
    window_.reset();
    started = 0;
}

}  // namespace kestrova::connection
