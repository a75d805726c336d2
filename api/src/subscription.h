// Subscriptions and the ordered subscriber sets that events, variants and
// objects embed. A subscription is handed out as its own address; it stays
// allocated until its holder unsubscribes, even after its owner is gone.
#pragma once

#include "kestrova/api.h"

#include <cstdint>
#include <memory>
#include <set>

namespace kestrova::api {

class SubscriberSet;

class Subscription {
public:
    Subscription(SubscriberSet* owner, SubscriptionCallback callback, void* user);
    // Leaves the owner's set if the owner still exists.
    virtual ~Subscription();
    // Called once the owner is gone; the owner field is already cleared.
    virtual void detach() {}
    virtual void invoke(void* data);

    HSUBSCRIPTION handle() { return reinterpret_cast<HSUBSCRIPTION>(this); }
    static Subscription* from(HSUBSCRIPTION handle) { return reinterpret_cast<Subscription*>(handle); }

private:
    friend class SubscriberSet;
    struct Members;
    std::shared_ptr<Members> owner_;  // empty once detached
    SubscriptionCallback callback_;
    void* user_;
    uint64_t serial_;
};

// The subscribers of one event, variant or object, called in ascending order
// of their handle values.
//
// NOTE: callbacks may subscribe, unsubscribe, or destroy the very object that
// owns this set while it is being dispatched. Dispatch therefore walks a
// snapshot and calls a subscription only if it is still a member, matched by
// a serial number so that a new subscription at a recycled address is not
// mistaken for an old one; the member list itself is shared with the
// dispatch so it outlives an owner destroyed mid-walk.
class SubscriberSet {
public:
    SubscriberSet();
    ~SubscriberSet();
    SubscriberSet(const SubscriberSet&) = delete;
    SubscriberSet& operator=(const SubscriberSet&) = delete;

    // Null only if the subscription could not be allocated.
    HSUBSCRIPTION subscribe(SubscriptionCallback callback, void* user);
    void dispatch(void* data);
    int32_t size() const;
    // Detaches every member: none will be called again.
    void detachAll();

private:
    friend class Subscription;
    std::shared_ptr<Subscription::Members> members_;
};

// The one unsubscribe routine behind every unsubscribe export.
void unsubscribe(HSUBSCRIPTION handle);

}  // namespace kestrova::api
