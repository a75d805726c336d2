// The friend requests of the account: people who asked to be added, shown as
// items of a "Friend Requests" section at the top of the shell's overview.
// Each item's context menu accepts, declines or opens a chat; an answer the
// server confirms removes the item, and the end of a session drops them all.
#pragma once

#include "friend_request_sink.h"

#include "kestrova/api.h"
#include "kestrova/bus_records.h"
#include "kestrova/kit/bindings.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace kestrova::connection {

class FriendRequests final : public FriendRequestSink {
public:
    // iconModule: the module whose "CONTACT" icon the items show (may be null).
    explicit FriendRequests(void* iconModule);
    ~FriendRequests() override;
    FriendRequests(const FriendRequests&) = delete;
    FriendRequests& operator=(const FriendRequests&) = delete;

    // A request of a contact already listed gets the newer text.
    void addFriendRequest(HSERVICE service, HCONTACT contact, uint64_t contactId, const std::string& text) override;
    // Idempotent; also done on "Connection/SessionEnded".
    void dropFriendRequests() override;
    // The server's answer to "CONTACT ADD RESP" for that contact.
    void answered(uint64_t contactId, int64_t code);

    size_t size() const { return requests_.size(); }
    bool contains(uint64_t contactId) const { return requests_.count(contactId) != 0; }

private:
    enum Answer { kNoAnswer = 0, kAccepting = 1, kDeclining = 2 };
    struct Request;

    void onContextMenu(Request& request, const RY_OverviewContextMenu* asked);
    void showMenu(const std::shared_ptr<Request>& request, int32_t x, int32_t y);
    void accept(const std::shared_ptr<Request>& request);
    void answer(const std::shared_ptr<Request>& request, bool accepted);
    void showItem(Request& request);
    void removeItem(Request& request);
    bool alive(const std::shared_ptr<Request>& request) const;

    void* iconModule_;
    void* section_ = nullptr;
    std::map<uint64_t, std::shared_ptr<Request>> requests_;
    kit::Subscription sessionEnded_;
};

}  // namespace kestrova::connection
