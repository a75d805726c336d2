// The friend requests of the account and of its bridged accounts: people who
// asked to be added, shown as items of a "Friend Requests" section at the top
// of the shell's overview. Each item's context menu accepts, declines or
// opens a chat; an answer the server confirms removes the item, and the end
// of a session drops them all. A request is known by its service and an id:
// the asking contact's on the own service, the request's on a bridge.
#pragma once

#include "friend_request_sink.h"

#include "kestrova/api.h"
#include "kestrova/bus_records.h"
#include "kestrova/kit/bindings.h"

#include <cstdint>
#include <functional>
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

    // A request already listed gets the newer text.
    void addFriendRequest(HSERVICE service, HCONTACT contact, uint64_t id, const std::string& text) override;
    // Idempotent; also done on "Connection/SessionEnded".
    void dropFriendRequests() override;
    // Those of one service (a bridge that went off).
    void dropFriendRequests(HSERVICE service);
    // The server's answer to the request's "... ADD RESP".
    void answered(HSERVICE service, uint64_t id, int64_t code);

    size_t size() const { return requests_.size(); }
    bool contains(uint64_t id) const;

private:
    enum Answer { kNoAnswer = 0, kAccepting = 1, kDeclining = 2 };
    struct Request;
    using Key = std::pair<HSERVICE, uint64_t>;

    void onContextMenu(Request& request, const RY_OverviewContextMenu* asked);
    void showMenu(const std::shared_ptr<Request>& request, int32_t x, int32_t y);
    void accept(const std::shared_ptr<Request>& request);
    void answer(const std::shared_ptr<Request>& request, bool accepted);
    void showItem(Request& request);
    void removeItem(Request& request);
    bool alive(const std::shared_ptr<Request>& request) const;
    // Takes the requests the predicate picks out of the list and removes their items.
    void drop(const std::function<bool(const Key&)>& picked);

    void* iconModule_;
    void* section_ = nullptr;
    std::map<Key, std::shared_ptr<Request>> requests_;
    kit::Subscription sessionEnded_;
};

}  // namespace kestrova::connection
