// Groups: sets of contacts with a name. The core state keeps a table of the
// server's groups by identifier (one reference each); each member holds one
// reference to its contact and carries a 32-bit flags word.
#pragma once

#include "handle.h"

#include <map>
#include <string>

namespace kestrova::api {

class Group : public Object {
public:
    Group() : Object(ObjectKind::Group) {}
    ~Group() override;
    // Members go before the last reference does, telling the subscribers once.
    void beforeLastRelease() override;
    SubscriberSet* subscribers() override { return &subscribers_; }

    uint64_t groupId = 0;
    HandleRecord* service = nullptr;  // one reference
    std::string name, description;
    int32_t groupState = 0;
    std::map<HandleRecord*, uint32_t> members;  // contact -> member flags; ordered by handle value

private:
    SubscriberSet subscribers_;
};

// Removes the contact if it is a member, then tells the group's subscribers.
void removeGroupMember(HandleRecord* group, HandleRecord* contact);

}  // namespace kestrova::api
