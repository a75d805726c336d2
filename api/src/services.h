// Services (the accounts the user is signed in with) and service types (the
// kinds of network that can be bridged). Both lists hold their members
// without references: each entry is its creator's handle, unlinked when the
// last reference goes.
#pragma once

#include "handle.h"

#include <string>

namespace kestrova::api {

class Service : public Object {
public:
    Service() : Object(ObjectKind::Service) {}
    ~Service() override { subscribers_.detachAll(); }
    void beforeLastRelease() override;
    SubscriberSet* subscribers() override { return &subscribers_; }

    HSERVICETYPE serviceType = nullptr;
    int32_t presence = 0;
    int32_t connectionState = 0;
    std::string text1, text2, text3, text4, text5, text6;
    int32_t value1 = 0;
    void* iconModule = nullptr;
    uint32_t iconResource = 0;

private:
    SubscriberSet subscribers_;
};

class ServiceType : public Object {
public:
    ServiceType() : Object(ObjectKind::ServiceType) {}
    void beforeLastRelease() override;

    std::string displayName, shortName;
    int32_t networkType = 0;
    void* iconModule = nullptr;
    uint32_t iconResource = 0;
};

}  // namespace kestrova::api
