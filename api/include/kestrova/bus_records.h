// The argument records of the named functions and events that cross
// deliverables: the "Service/%p/" operations (registered by the connection
// plug-in, called by the shell and messaging) and the overview's functions
// (registered by the shell, called by the plug-ins). Field order is part of
// the contract; every size field holds sizeof the record as compiled here.
#pragma once

#include "kestrova/api.h"

#include <cstdint>

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

// "Connection/SetIdentity": the nickname and status line shown to others;
// either may be null to leave it as it is.
struct RY_IdentityArgs {
    const char* nickname;
    const char* statusLine;
};

// "Connection/Bridging/Create": the account fields of a new bridge, each
// optional (null).
struct RY_BridgingCreateArgs {
    const char* userName;
    const char* nickname;
    const char* password;
};

// One field of an account form: a key and its value, NUL-terminated.
struct RY_RegistrationField {
    char key[16];
    char value[65];
};

// "ServiceType/%p/Register": the account form of a network to bridge. The
// plug-in writes requestId; the words marked "caller's" are never read.
struct RY_ServiceTypeRegistration {
    HSERVICETYPE serviceType;
    uint32_t callerWord;
    uint64_t requestId;
    int32_t fieldCount;  // at most 8
    uint8_t callerByte;
    RY_RegistrationField fields[8];
};
