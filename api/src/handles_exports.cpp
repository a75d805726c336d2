// Duplicate, release, reference count and object subscriptions: the same few
// routines serve every kind of handle.
#include "handle.h"

using namespace kestrova::api;

namespace {

template <class H>
H duplicateOrNull(H handle) {
    if (handle) duplicateHandle(record(handle));
    return handle;
}

template <class H>
H duplicate(H handle) {
    duplicateHandle(record(handle));
    return handle;
}

template <class H>
HSUBSCRIPTION subscribeTo(SubscriptionCallback callback, H handle, void* user) {
    return record(handle)->body->subscribers()->subscribe(callback, user);
}

}  // namespace

extern "C" {

HCONTACT RY_DuplicateContactHandle(HCONTACT handle) { return duplicateOrNull(handle); }
HDATAMAP RY_DuplicateDataMapHandle(HDATAMAP handle) { return duplicateOrNull(handle); }
HSERVICE RY_DuplicateServiceHandle(HSERVICE handle) { return duplicateOrNull(handle); }
HGROUP RY_DuplicateGroupHandle(HGROUP handle) { return duplicate(handle); }
HMESSAGE RY_DuplicateMessageHandle(HMESSAGE handle) { return duplicate(handle); }

int32_t RY_GetHandleReferenceCount(const void* handle) {
    return static_cast<const HandleRecord*>(handle)->refCount;
}

void RY_ReleaseContact(HCONTACT handle) { releaseHandle(record(handle)); }
void RY_ReleaseGroup(HGROUP handle) { releaseHandle(record(handle)); }
void RY_ReleaseMessage(HMESSAGE handle) { releaseHandle(record(handle)); }
void RY_ReleaseService(HSERVICE handle) { releaseHandle(record(handle)); }
void RY_ReleaseDataMap(HDATAMAP handle) { releaseHandle(record(handle)); }
void RY_ReleaseServiceType(HSERVICETYPE handle) { releaseHandle(record(handle)); }

HSUBSCRIPTION RY_ContactSubscribe(SubscriptionCallback callback, HCONTACT contact, void* user) {
    return subscribeTo(callback, contact, user);
}
HSUBSCRIPTION RY_GroupSubscribe(SubscriptionCallback callback, HGROUP group, void* user) {
    return subscribeTo(callback, group, user);
}
HSUBSCRIPTION RY_MessageSubscribe(SubscriptionCallback callback, HMESSAGE message, void* user) {
    return subscribeTo(callback, message, user);
}
HSUBSCRIPTION RY_ServiceSubscribe(SubscriptionCallback callback, HSERVICE service, void* user) {
    return subscribeTo(callback, service, user);
}

void RY_ContactUnsubscribe(HSUBSCRIPTION subscription) { unsubscribe(subscription); }
void RY_GroupUnsubscribe(HSUBSCRIPTION subscription) { unsubscribe(subscription); }
void RY_MessageUnsubscribe(HSUBSCRIPTION subscription) { unsubscribe(subscription); }
void RY_ServiceUnsubscribe(HSUBSCRIPTION subscription) { unsubscribe(subscription); }

}  // extern "C"
