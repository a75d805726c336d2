// The argument records of the named functions and events that cross
// deliverables: the "Service/%p/" operations (registered by the connection
// plug-in, called by the shell and messaging) and the overview's functions
// (registered by the shell, called by the plug-ins). Field order is part of
// the contract; every size field holds sizeof the record as compiled here.
#pragma once

#include "kestrova/api.h"

#include <cstdint>
#include <cstdio>
#include <string>

// How a request to the server ended: callback(user, &code, high word of the
// code). code is 0 on success and 100 when offline or the session ended.
typedef void (*RY_ResponseCallback)(void* user, const int64_t* code, uint32_t codeHigh);

// "Service/%p/SetPresenceStatus": the new desired online status
// (0 offline, 1 online, 2 away, 3 invisible, 5 busy).
struct RY_PresenceStatusArgs {
    int32_t status;
};

// "Service/%p/AddContact": an account number (all decimal digits) or an
// account name, and the request message shown to that person.
struct RY_AddContactArgs {
    uint32_t size;
    const char* address;
    const char* message;
    RY_ResponseCallback callback;  // may be null
    void* user;
};

// "Service/%p/AcceptContact": the answer to a friend request.
struct RY_AcceptContactArgs {
    uint64_t contactId;
    uint8_t accepted;
};

// "Service/%p/AdminContact": a member's rights in a group.
struct RY_AdminContactArgs {
    HCONTACT contact;
    HGROUP group;
    int32_t action;
};

// "Service/%p/GroupSubscribe": join a chat group by name.
struct RY_GroupSubscribeArgs {
    uint32_t size;
    const char* name;
    const char* password;  // empty or null when the group has none
    RY_ResponseCallback callback;  // may be null
    void* user;
};

// "Service/%p/CreateGroup": a new chat group.
struct RY_CreateGroupArgs {
    uint32_t size;
    const char* name;
    RY_ResponseCallback callback;  // may be null
    void* user;
};

// "Service/%p/GetContactHandle": contact receives a handle with a reference
// of the caller's when the id is known; it is left untouched otherwise.
struct RY_GetContactHandleArgs {
    uint64_t contactId;
    HCONTACT contact;
};

// "Overview/CreateSection". The result is the section handle.
struct RY_OverviewSectionArgs {
    uint32_t size;
    const char* key;
    const char* title;
    uint8_t atTop;  // non-zero: above every other section
};

// "Overview/AddStaticItem" and "Overview/UpdateStaticItem". Add returns the
// item handle; update takes it in item and ignores section.
struct RY_OverviewItemArgs {
    uint32_t size;
    void* section;
    void* item;
    const char* title;
    const char* text;
    void* iconModule;        // may be null
    const char* iconName;    // may be null
};

// The data of the event "Overview/Item/OnContextMenu": which item and where
// (screen coordinates).
struct RY_OverviewContextMenu {
    void* item;
    int32_t x;
    int32_t y;
};

namespace kestrova {

// "Service/<handle>/<operation>", the name of one service's function.
inline std::string serviceFunctionName(const void* service, const char* operation) {
    char name[160];
    std::snprintf(name, sizeof name, names::kServiceFunctionFormat, const_cast<void*>(service), operation);
    return name;
}

}  // namespace kestrova
