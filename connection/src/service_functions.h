// The "Service/%p/" functions of the account's own service: everything the
// shell and messaging ask of the server goes through them, so no other
// deliverable ever builds a packet. Registered for as long as this object
// lives; the argument records are in kestrova/bus_records.h.
#pragma once

#include "contact_lookup.h"

#include "kestrova/api.h"
#include "kestrova/bus_records.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/service_record.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kestrova::connection {

class AccountScreens;
class Connection;
class FriendRequests;

struct ServiceFunctionsEnvironment {
    Connection& connection;
    ContactLookup contacts;
    FriendRequests& friendRequests;
    AccountScreens& screens;
};

class ServiceFunctions {
public:
    explicit ServiceFunctions(ServiceFunctionsEnvironment environment);
    ~ServiceFunctions();
    ServiceFunctions(const ServiceFunctions&) = delete;
    ServiceFunctions& operator=(const ServiceFunctions&) = delete;

    HSERVICE service() const { return service_; }

private:
    // Registers one operation of the own service, handled by a member function.
    template <typename Arg, typename Result, typename Member>
    void add(bus::ServiceOperation<Arg, Result> operation, Member member);

    int32_t setPresenceStatus(const RY_PresenceStatusArgs* args);
    int32_t addContact(const RY_AddContactArgs* args);
    int32_t acceptContact(const RY_AcceptContactArgs* args);
    int32_t deleteContact(const HCONTACT* handle);
    int32_t adminContact(const RY_AdminContactArgs* args);
    int32_t groupSubscribe(const RY_GroupSubscribeArgs* args);
    int32_t leaveGroup(HGROUP handle);
    int32_t createGroup(const RY_CreateGroupArgs* args);
    int32_t getContactHandle(RY_GetContactHandleArgs* args);
    HCONTACT getMyHandle();
    int32_t setIdentity(const RY_IdentityArgs* args);

    HCONTACT findContact(uint64_t contactId) const;
    void writeDesiredStatus(int32_t status);
    void setOwnPresence(int32_t status);

    Connection& connection_;
    ContactLookup contacts_;
    FriendRequests& friendRequests_;
    AccountScreens& screens_;
    HSERVICE service_;
    kit::ServiceRecord account_;
    // Answers may come after this object is gone (the connection fails what
    // is still pending when it stops); they check this first.
    std::shared_ptr<ServiceFunctions*> alive_;
    std::vector<kit::RegisteredFunction> functions_;
};

}  // namespace kestrova::connection
