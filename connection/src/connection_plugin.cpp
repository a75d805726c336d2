#include "connection_plugin.h"

#include "kestrova/kit/own_module.h"

namespace kestrova::connection {

ConnectionPlugin::~ConnectionPlugin() { Stop(); }

void ConnectionPlugin::Start() {
    if (started) return;
    const bool startedHidden = bus::get(names::kCoreStartedHidden) != 0;
    window_ = std::make_unique<net::PlatformHiddenWindow>();
    screens_ = std::make_unique<AccountForms>(startedHidden);
    dialogs_ = std::make_unique<AccountDialogs>();
    sendPacket_ = std::make_unique<SendPacketFunction>();
    friendRequests_ = std::make_unique<FriendRequests>(kit::ownModule());
    objects_.setFriendRequestSink(friendRequests_.get());
    connection_ = std::make_unique<Connection>(
        ConnectionEnvironment{*window_, alerts_, power_, objects_, startedHidden});
    sendPacket_->setConnection(connection_.get());
    objects_.attach(*connection_);
    bridges_ = std::make_unique<BridgeManager>(BridgeManagerEnvironment{
        *connection_, objects_.contactSync(), *friendRequests_, alerts_, kit::ownModule()});
    objects_.setBridgeLookup(bridges_.get());
    sender_ = std::make_unique<MessageSender>(objects_.link(), bridges_.get());
    history_ = std::make_unique<MessageHistoryFunction>(objects_.link());
    ContactLookup contacts = [this](uint64_t id) { return objects_.contacts().find(id); };
    serviceFunctions_ = std::make_unique<ServiceFunctions>(
        ServiceFunctionsEnvironment{*connection_, std::move(contacts), *friendRequests_, *screens_});
    statusMenu_ = std::make_unique<StatusMenu>(serviceFunctions_->service(), *screens_);
    started = 1;
}

void ConnectionPlugin::Stop() {
    if (!started) return;
    statusMenu_.reset();
    serviceFunctions_.reset();
    history_.reset();
    sender_.reset();
    objects_.setBridgeLookup(nullptr);
    bridges_.reset();
    sendPacket_.reset();
    // Last of what answers requests: its end fails them and drops the friend requests.
    connection_.reset();
    objects_.detach();
    objects_.setFriendRequestSink(nullptr);
    friendRequests_.reset();
    dialogs_.reset();
    screens_.reset();
    window_.reset();
    started = 0;
}

}  // namespace kestrova::connection
