#include "handle.h"

namespace kestrova::api {

HandleRecord* makeHandle(Object* body) { return new HandleRecord{1, body}; }

void duplicateHandle(HandleRecord* handle) { ++handle->refCount; }

void releaseHandle(HandleRecord* handle) {
    if (!handle) return;
    if (handle->refCount == 1) handle->body->beforeLastRelease();
    if (--handle->refCount != 0) return;
    delete handle->body;
    delete handle;
}

void notifySubscribers(HandleRecord* handle, void* data) {
    if (SubscriberSet* set = handle->body->subscribers()) set->dispatch(data);
}

}  // namespace kestrova::api
