#include "subscription.h"

#include <new>
#include <utility>
#include <vector>

namespace kestrova::api {

struct Subscription::Members {
    std::set<Subscription*> set;  // std::less orders pointers by address
};

namespace {
uint64_t gNextSerial = 1;
}

Subscription::Subscription(SubscriberSet* owner, SubscriptionCallback callback, void* user)
    : owner_(owner->members_), callback_(callback), user_(user), serial_(gNextSerial++) {}

Subscription::~Subscription() {
    if (owner_) owner_->set.erase(this);
}

void Subscription::invoke(void* data) { callback_(user_, data, nullptr, handle()); }

SubscriberSet::SubscriberSet() : members_(std::make_shared<Subscription::Members>()) {}

SubscriberSet::~SubscriberSet() { detachAll(); }

HSUBSCRIPTION SubscriberSet::subscribe(SubscriptionCallback callback, void* user) {
    auto* subscription = new (std::nothrow) Subscription(this, callback, user);
    if (!subscription) return nullptr;
    members_->set.insert(subscription);
    return subscription->handle();
}

void SubscriberSet::dispatch(void* data) {
    std::shared_ptr<Subscription::Members> members = members_;
    std::vector<std::pair<Subscription*, uint64_t>> snapshot;
    snapshot.reserve(members->set.size());
    for (Subscription* s : members->set) snapshot.emplace_back(s, s->serial_);
    for (auto [subscription, serial] : snapshot) {
        if (!members->set.contains(subscription) || subscription->serial_ != serial) continue;
        subscription->invoke(data);
    }
}

int32_t SubscriberSet::size() const { return static_cast<int32_t>(members_->set.size()); }

void SubscriberSet::detachAll() {
    std::set<Subscription*> detached;
    detached.swap(members_->set);
    for (Subscription* s : detached) {
        s->owner_.reset();
        s->detach();
    }
}

void unsubscribe(HSUBSCRIPTION handle) {
    if (handle) delete Subscription::from(handle);
}

}  // namespace kestrova::api
