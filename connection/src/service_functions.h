// The "Service/%p/" functions of the account's own service: everything the
// shell and messaging ask of the server goes through them, so no other
// deliverable ever builds a packet. Registered for as long as this object
// lives; the argument records are in kestrova/bus_records.h.
#pragma once

#include "account_record.h"
#include "bus_bindings.h"
#include "contact_lookup.h"

#include "kestrova/api.h"

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
    template <intptr_t (ServiceFunctions::*Operation)(void*)>
    static intptr_t call(void* context, void* argument) {
        return (static_cast<ServiceFunctions*>(context)->*Operation)(argument);
    }
    template <intptr_t (ServiceFunctions::*Operation)(void*)>
    void add(const char* operation);

    intptr_t setPresenceStatus(void* argument);
    intptr_t addContact(void* argument);
    intptr_t acceptContact(void* argument);
    intptr_t deleteContact(void* argument);
    intptr_t adminContact(void* argument);
    intptr_t groupSubscribe(void* argument);
    intptr_t leaveGroup(void* argument);
    intptr_t createGroup(void* argument);
    intptr_t getContactHandle(void* argument);
    intptr_t getMyHandle(void* argument);

    HCONTACT findContact(uint64_t contactId) const;
    void writeDesiredStatus(int32_t status);
    void setOwnPresence(int32_t status);

    Connection& connection_;
    ContactLookup contacts_;
    FriendRequests& friendRequests_;
    AccountScreens& screens_;
    HSERVICE service_;
    AccountRecord account_;
    // Answers may come after this object is gone (the connection fails what
    // is still pending when it stops); they check this first.
    std::shared_ptr<ServiceFunctions*> alive_;
    std::vector<RegisteredFunction> functions_;
};

}  // namespace kestrova::connection
