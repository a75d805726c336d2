// Reference-counted handles. Every object the library lends out (contact,
// group, message, service, service type, data map) has exactly one handle
// record for its whole life; the handle callers see is the record's address.
#pragma once

#include "kestrova/api.h"
#include "subscription.h"

#include <cstdint>

namespace kestrova::api {

enum class ObjectKind { Contact, Group, Message, Service, ServiceType, DataMap };

// The body of a handle. Kinds that callers can subscribe to embed a
// SubscriberSet; destroying the body detaches its subscribers.
class Object {
public:
    explicit Object(ObjectKind kind) : kind_(kind) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    ObjectKind kind() const { return kind_; }
    // Runs while the count is still 1, just before the last release takes it
    // to 0 (services leave the service list here).
    virtual void beforeLastRelease() {}
    // Null for kinds without subscribers.
    virtual SubscriberSet* subscribers() { return nullptr; }

private:
    ObjectKind kind_;
};

struct HandleRecord {
    int32_t refCount;
    Object* body;
};

// Allocates the record with count 1, owning body.
HandleRecord* makeHandle(Object* body);
void duplicateHandle(HandleRecord* handle);
// Drops one reference; the last one destroys the body and the record.
void releaseHandle(HandleRecord* handle);
// Tells the object's subscribers, with data as the callback's data.
void notifySubscribers(HandleRecord* handle, void* data);

template <class H>
HandleRecord* record(H handle) {
    return reinterpret_cast<HandleRecord*>(handle);
}

// The body of a handle the caller promises to be of kind T.
template <class T, class H>
T* body(H handle) {
    return static_cast<T*>(record(handle)->body);
}

template <class H>
H as(HandleRecord* handle) {
    return reinterpret_cast<H>(handle);
}

}  // namespace kestrova::api
