// The core API of Kestrova: the only channel between the shell and the
// plug-ins. It holds the client's whole object model (contacts, groups,
// messages, services, data maps, settings) and an in-process bus of named
// functions, events and variants. Objects cross the library boundary as
// reference-counted handles; every export is a plain C function.
//
// Threading: everything here runs on the user-interface thread, except the
// audio lock exports, which any thread may call.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define RY_EXPORT __attribute__((visibility("default")))
#else
#define RY_EXPORT
#endif

// The header is C as well as C++: a plug-in written in C includes it too.
// Flag sets keep their fixed type where the language has one.
#ifdef __cplusplus
#define RY_ENUM(type) enum : type
#else
#define RY_ENUM(type) enum
#endif

// ---------------------------------------------------------------------------
// Handles and callbacks
// ---------------------------------------------------------------------------

// Opaque handles. Each is the address of the library's handle record
// (reference count, body); the kinds are distinct types so that the compiler
// catches a contact passed where a group is expected.
typedef struct RY_ContactRecord* HCONTACT;
typedef struct RY_GroupRecord* HGROUP;
typedef struct RY_MessageRecord* HMESSAGE;
typedef struct RY_ServiceRecord* HSERVICE;
typedef struct RY_ServiceTypeRecord* HSERVICETYPE;
typedef struct RY_DataMapRecord* HDATAMAP;
typedef struct RY_Subscription* HSUBSCRIPTION;

// The records below, by their plain names in C too.
typedef struct RY_ServiceData RY_ServiceData;
typedef struct RY_ServiceTypeData RY_ServiceTypeData;
typedef struct RY_ContactData RY_ContactData;
typedef struct RY_GroupData RY_GroupData;
typedef struct RY_MessageTime RY_MessageTime;
typedef struct RY_MessageData RY_MessageData;
typedef struct RY_ACLData RY_ACLData;
typedef struct RY_LocationData RY_LocationData;
typedef struct RY_PacketBytes RY_PacketBytes;
typedef struct RY_HistoryRequest RY_HistoryRequest;
typedef struct RY_IconResource RY_IconResource;
typedef struct RY_MD5Context RY_MD5Context;
typedef struct RY_Salsa20Context RY_Salsa20Context;

// callback(user, data, extra, subscription). Data is the raise's argument,
// null for variant changes, the changed object for object subscriptions.
// Extra carries nothing. The result is ignored.
typedef intptr_t (*SubscriptionCallback)(void* user, void* data, void* extra, HSUBSCRIPTION subscription);

// proc(context, arg); what arg and the result mean is fixed per name.
typedef intptr_t (*NamedFunctionProc)(void* context, void* arg);

// ---------------------------------------------------------------------------
// Plug-in contract
// ---------------------------------------------------------------------------

#define RY_API_VERSION 5

// The object each plug-in library hands out through PluginLoad. The layout is
// part of the contract: the table of virtual operations (Start, Stop, GetInfo
// in that order), then the started flag that the plug-in keeps (1 once Start
// has finished, 0 after Stop), then a word the loader fills with the module
// handle of the library. The core API reads the flag and never writes it.
#ifdef __cplusplus
class Plugin {
public:
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual const char* GetInfo() = 0;

    int32_t started = 0;
    void* module = nullptr;

protected:
    ~Plugin() = default;
};
#else
typedef struct Plugin Plugin;
#endif

// Exported by each plug-in library:
//   int32_t PluginLoad(int32_t apiVersion, Plugin** out);  1 and *out set, or 0 and *out null
//   int32_t PluginUnload();                                 destroys the object; returns 0
typedef int32_t (*PluginLoadProc)(int32_t apiVersion, Plugin** out);
typedef int32_t (*PluginUnloadProc)(void);

// ---------------------------------------------------------------------------
// Data records. The first field is the record's size (sizeof as compiled
// here); the second, on set, is the mask of the fields to take.
// ---------------------------------------------------------------------------

RY_ENUM(uint32_t) {
    RY_SERVICE_TYPE = 0x001,
    RY_SERVICE_TEXT1 = 0x002,
    RY_SERVICE_TEXT3 = 0x004,
    RY_SERVICE_PRESENCE = 0x008,
    RY_SERVICE_CONNECTION_STATE = 0x010,
    RY_SERVICE_ICON = 0x020,
    RY_SERVICE_TEXT6 = 0x040,
    RY_SERVICE_VALUE1 = 0x080,
    RY_SERVICE_TEXT4 = 0x100,
    RY_SERVICE_TEXT2 = 0x200,
    RY_SERVICE_TEXT5 = 0x400,
};

// One account. The connection plug-in gives the texts their meaning:
// text1 account name, text2 password, text3 nickname, text4 status line,
// text5 domain of a bridged account, text6 and value1 the text and reason
// code of the last failure, presence the current and connectionState the
// desired online status.
struct RY_ServiceData {
    uint32_t size;
    uint32_t flags;
    HSERVICETYPE serviceType;  // null for the primary service; held without a reference
    const char* text1;
    const char* text2;
    const char* text3;
    const char* text4;
    const char* text6;
    int32_t value1;
    const char* text5;
    int32_t presence;
    int32_t connectionState;
    void* iconModule;
    uint32_t iconResource;
};

RY_ENUM(uint32_t) {
    RY_SERVICETYPE_DISPLAY_NAME = 0x1,
    RY_SERVICETYPE_SHORT_NAME = 0x2,
    RY_SERVICETYPE_ICON = 0x4,
};

// A kind of network that can be bridged. networkType is taken on every set.
struct RY_ServiceTypeData {
    uint32_t size;
    uint32_t flags;
    const char* displayName;
    const char* shortName;
    int32_t networkType;
    void* iconModule;
    uint32_t iconResource;
};

RY_ENUM(uint32_t) {
    RY_CONTACT_ID = 0x001,
    RY_CONTACT_SERVICE = 0x002,
    RY_CONTACT_NAME = 0x004,
    RY_CONTACT_NICKNAME = 0x008,
    RY_CONTACT_STATUS_TEXT = 0x010,
    RY_CONTACT_PRESENCE = 0x020,
    RY_CONTACT_DEVICE_TYPE = 0x080,
    RY_CONTACT_DATA_MAP = 0x100,
};

// Presence codes of contacts and services.
RY_ENUM(int32_t) {
    RY_PRESENCE_OFFLINE = 0,
    RY_PRESENCE_ONLINE = 1,
    RY_PRESENCE_AWAY = 2,
    RY_PRESENCE_INVISIBLE = 3,
    RY_PRESENCE_BUSY = 5,
    RY_PRESENCE_UNKNOWN = 100,  // not known since the session ended
};

// Client kinds of contacts.
RY_ENUM(int32_t) {
    RY_DEVICE_ROBOT = 1,
    RY_DEVICE_PC = 2,
    RY_DEVICE_MOBILE = 3,
    RY_DEVICE_MAC = 4,
    RY_DEVICE_IPHONE = 5,
};

// One person or robot. On set the contact takes its own reference to service
// and adopts the caller's reference to dataMap (handed over unless it is the
// map the contact already holds). On get neither carries a new reference.
struct RY_ContactData {
    uint32_t size;
    uint32_t flags;
    HSERVICE service;
    uint64_t contactId;
    const char* name;
    const char* nickname;
    const char* statusText;
    int32_t presence;
    int32_t deviceType;
    HDATAMAP dataMap;
};

RY_ENUM(uint32_t) {
    RY_GROUP_NAME = 0x01,
    RY_GROUP_STATE = 0x02,
    RY_GROUP_SERVICE = 0x04,
    RY_GROUP_ID = 0x08,
    RY_GROUP_DESCRIPTION = 0x10,
};

// A chat group, the contact list (groupId 0) or a bridged group chat. The
// group holds its own reference to service; get returns it without one.
struct RY_GroupData {
    uint32_t size;
    uint32_t flags;
    HSERVICE service;
    uint64_t groupId;
    const char* name;
    int32_t groupState;
    const char* description;
};

RY_ENUM(uint32_t) {
    RY_MESSAGE_ID = 0x0001,
    RY_MESSAGE_CONTACT = 0x0002,
    RY_MESSAGE_TARGET = 0x0004,
    RY_MESSAGE_IS_GROUP = 0x0008,
    RY_MESSAGE_CONTENT_TYPE = 0x0010,
    RY_MESSAGE_DATA = 0x0020,
    RY_MESSAGE_COMPLETE = 0x0040,
    RY_MESSAGE_ORIGIN = 0x0080,
    RY_MESSAGE_TIMES = 0x0200,
    RY_MESSAGE_TOTAL_LENGTH = 0x0400,
    RY_MESSAGE_TOTAL_LENGTH2 = 0x0800,
    RY_MESSAGE_MARK1 = 0x1000,
    RY_MESSAGE_NO_UNREAD = 0x2000,
};

// How a message arrived.
RY_ENUM(int32_t) {
    RY_ORIGIN_LOCAL = 0,
    RY_ORIGIN_LIVE = 1,
    RY_ORIGIN_WHILE_CONNECTING = 2,
    RY_ORIGIN_HISTORY = 3,
};

// Seconds and microseconds since 1970-01-01 UTC.
struct RY_MessageTime {
    uint32_t seconds;
    uint32_t microseconds;
};

// One text, voice clip or photo. contact is the sender of a received message
// (null for one the user sends); target is a group when isGroup is set, else
// a contact. The message holds its own references to both; get returns them
// without new ones. A negative dataLength on set takes data up to its NUL.
// totalLength and totalLength2 are two positions of one stored value.
struct RY_MessageData {
    uint32_t size;
    uint32_t flags;
    uint64_t messageId;
    HCONTACT contact;
    void* target;
    uint8_t isGroup;
    uint8_t complete;
    uint8_t mark1;
    uint8_t noUnread;
    const char* contentType;
    const void* data;
    int32_t dataLength;
    int32_t origin;
    RY_MessageTime serverTime;
    RY_MessageTime localTime;
    int32_t totalLength;
    int32_t totalLength2;
};

// The found parts of an access-control entry (flags on read).
RY_ENUM(uint32_t) {
    RY_ACL_PERMISSIONS = 0x1,
    RY_ACL_OPTION_B = 0x2,
    RY_ACL_OPTION_T = 0x4,
    RY_ACL_USERS = 0x8,
};

// One access-control entry of the user's profile. On write, count says how
// many users to send; on read it is the capacity of users, or (users null)
// receives the number of users found.
struct RY_ACLData {
    uint32_t size;
    uint32_t flags;
    uint8_t permission1;  // bit 0x2 of the permission value
    uint8_t permission2;  // bit 0x4
    uint8_t permission3;  // bit 0x8
    uint8_t permission0;  // bit 0x1
    uint8_t optionB;
    uint8_t optionT;
    int32_t count;
    uint64_t* users;
};

RY_ENUM(uint32_t) {
    RY_LOCATION_LAT = 0x01,
    RY_LOCATION_LON = 0x02,
    RY_LOCATION_ACCURACY = 0x04,
    RY_LOCATION_TIME = 0x08,
    RY_LOCATION_NAME = 0x10,
    RY_LOCATION_AREA = 0x20,
    RY_LOCATION_COUNTRY = 0x40,
    RY_LOCATION_SOURCE = 0x80,
};

RY_ENUM(uint8_t) {
    RY_LOCATION_FROM_POSITIONING = 0,  // "PLS_IF"
    RY_LOCATION_MANUAL = 1,            // "Manual"
};

// A position or a place. The texts follow source without alignment and are
// always NUL-terminated within their fields.
struct RY_LocationData {
    uint32_t size;
    uint32_t flags;
    float lat;
    float lon;
    float accuracy;
    uint32_t time;
    uint8_t source;
    char name[200];
    char area[200];
    char country[103];
};

// The argument of "Connection/SendPacket": one whole packet's bytes.
struct RY_PacketBytes {
    const void* data;
    uint32_t length;
};

// The argument of "Connection/RequestMessageHistory": count messages of one
// conversation from a point in time (a negative count asks for older ones).
// The callback hears every answer to the request as a status pair, the low
// and the high 32-bit word of the response code: (0, 0) while messages
// follow, any other pair once the request is over ((100, 0) when the session
// ended).
typedef void (*RY_HistoryCallback)(void* context, const int32_t* status);
struct RY_HistoryRequest {
    int32_t count;
    void* conversation;  // a contact, or a group when isGroup is set
    uint8_t isGroup;
    int32_t seconds;
    int32_t microseconds;
    uint8_t flag;
    RY_HistoryCallback callback;
    void* context;
};

// An icon resource: the module that carries it and its name, or its number
// when name is null (a bridged network's icon). A null module means none.
struct RY_IconResource {
    void* module;
    const char* name;
    uint32_t number;
};

// An icon built by the core API; the caller owns it and deletes it.
#ifdef __cplusplus
namespace kestrova::platform {
class Icon;
}
typedef kestrova::platform::Icon* HICON;
#else
typedef struct RY_Icon* HICON;
#endif

// Caller-owned contexts of the digest and the cipher; any thread may use its own.
struct RY_MD5Context {
    uint32_t count[2];  // bytes processed, low word first
    uint32_t state[4];
    unsigned char buffer[64];
};

struct RY_Salsa20Context {
    uint32_t input[16];
};

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------
// Bus: named functions, events, variants; plug-in list; core state
// ---------------------------------------------------------------------------

RY_EXPORT void RY_RegisterFunction(const char* name, NamedFunctionProc proc, void* context);
RY_EXPORT void RY_UnregisterFunction(const char* name);
RY_EXPORT intptr_t RY_CallFunction(const char* name, void* arg);
RY_EXPORT int32_t RY_GetFunctionProcAddress(const char* name, NamedFunctionProc* procOut, void** contextOut);

RY_EXPORT HSUBSCRIPTION RY_EventSubscribe(SubscriptionCallback callback, const char* name, void* user);
RY_EXPORT void RY_EventUnsubscribe(HSUBSCRIPTION subscription);
RY_EXPORT int32_t RY_EventRaise(const char* name, void* data);

RY_EXPORT HSUBSCRIPTION RY_VariantSubscribe(SubscriptionCallback callback, const char* name, void* user);
RY_EXPORT void RY_VariantUnsubscribe(HSUBSCRIPTION subscription);
RY_EXPORT int32_t RY_GetVariantLong(const char* name);
RY_EXPORT void* RY_GetVariantPtr(const char* name);
RY_EXPORT int32_t RY_GetVariantString(const char* name, char* buf);
RY_EXPORT void RY_SetVariantLong(const char* name, int32_t value);
RY_EXPORT void RY_SetVariantPtr(const char* name, void* value);
RY_EXPORT void RY_SetVariantString(const char* name, const char* text);

RY_EXPORT void RY_PluginAdd(Plugin* plugin);
RY_EXPORT void RY_PluginStartAll();
RY_EXPORT void RY_PluginStopAll();

// Saves the settings and frees the whole core state; a later call of any
// export starts a fresh one.
RY_EXPORT void RY_API_Cleanup();
// Sends WM_CLOSE to the window in "core.window.hwnd" and returns its result.
RY_EXPORT intptr_t RY_Exit();
// Local identifiers, unique within a run, starting at 32768.
RY_EXPORT uint32_t RY_GetLUID();

// ---------------------------------------------------------------------------
// Handles and object subscriptions
// ---------------------------------------------------------------------------

RY_EXPORT HCONTACT RY_DuplicateContactHandle(HCONTACT handle);
RY_EXPORT HDATAMAP RY_DuplicateDataMapHandle(HDATAMAP handle);
RY_EXPORT HSERVICE RY_DuplicateServiceHandle(HSERVICE handle);
RY_EXPORT HGROUP RY_DuplicateGroupHandle(HGROUP handle);
RY_EXPORT HMESSAGE RY_DuplicateMessageHandle(HMESSAGE handle);
RY_EXPORT int32_t RY_GetHandleReferenceCount(const void* handle);

RY_EXPORT void RY_ReleaseContact(HCONTACT handle);
RY_EXPORT void RY_ReleaseGroup(HGROUP handle);
RY_EXPORT void RY_ReleaseMessage(HMESSAGE handle);
RY_EXPORT void RY_ReleaseService(HSERVICE handle);
RY_EXPORT void RY_ReleaseDataMap(HDATAMAP handle);
RY_EXPORT void RY_ReleaseServiceType(HSERVICETYPE handle);

RY_EXPORT HSUBSCRIPTION RY_ContactSubscribe(SubscriptionCallback callback, HCONTACT contact, void* user);
RY_EXPORT HSUBSCRIPTION RY_GroupSubscribe(SubscriptionCallback callback, HGROUP group, void* user);
RY_EXPORT HSUBSCRIPTION RY_MessageSubscribe(SubscriptionCallback callback, HMESSAGE message, void* user);
RY_EXPORT HSUBSCRIPTION RY_ServiceSubscribe(SubscriptionCallback callback, HSERVICE service, void* user);
RY_EXPORT void RY_ContactUnsubscribe(HSUBSCRIPTION subscription);
RY_EXPORT void RY_GroupUnsubscribe(HSUBSCRIPTION subscription);
RY_EXPORT void RY_MessageUnsubscribe(HSUBSCRIPTION subscription);
RY_EXPORT void RY_ServiceUnsubscribe(HSUBSCRIPTION subscription);

// ---------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------

RY_EXPORT int32_t RY_GetSettingLong(const char* name, int32_t defaultValue);
// Copies the value and its NUL into out without a bound; a null out does nothing.
RY_EXPORT void RY_GetSettingString(const char* name, const char* defaultValue, char* out);
RY_EXPORT void RY_SetSettingLong(const char* name, int32_t value);
RY_EXPORT void RY_SetSettingString(const char* name, const char* text);
RY_EXPORT void RY_SaveSettings();
// Length of the platform name ("SmartPhone" unless KESTROVA_PLATFORM says
// otherwise), at most 31 bytes; copied with its NUL when out is not null.
RY_EXPORT int32_t RY_GetPlatformName(char* out);
// 1 and the operator's name in out; 0 and "Unknown" when there is none or
// when it does not fit into size bytes with its NUL (never cut).
RY_EXPORT int32_t RY_GetOperatorName(char* out, int32_t size);

// ---------------------------------------------------------------------------
// Data maps
// ---------------------------------------------------------------------------

RY_EXPORT HDATAMAP RY_CreateDataMap();
RY_EXPORT void RY_SetDataMapEntry(HDATAMAP map, const char* key, const void* data, uint32_t length);
RY_EXPORT void RY_SetDataMapString(HDATAMAP map, const char* key, const char* text);
RY_EXPORT int32_t RY_GetDataMapEntry(HDATAMAP map, const char* key, const unsigned char** dataOut,
                                     uint32_t* lengthOut);
RY_EXPORT const char* RY_GetDataMapString(HDATAMAP map, const char* key);
RY_EXPORT int32_t RY_GetDataMapInt(HDATAMAP map, const char* key);
RY_EXPORT int64_t RY_GetDataMapInt64(HDATAMAP map, const char* key);
RY_EXPORT int32_t RY_EnumDataMapBegin(HDATAMAP map, const char** keyOut, const unsigned char** dataOut,
                                      uint32_t* lengthOut);
RY_EXPORT int32_t RY_EnumDataMapNext(HDATAMAP map, const char** keyOut, const unsigned char** dataOut,
                                     uint32_t* lengthOut);
RY_EXPORT void RY_SetNestedAttribute(HDATAMAP map, const char* path, const void* const* valueRef,
                                     uint32_t length);
RY_EXPORT uint32_t RY_EncodeDataMap(HDATAMAP map, void* buffer);
RY_EXPORT int32_t RY_ParseDataMap(HDATAMAP map, const void* data, uint32_t length);

// ---------------------------------------------------------------------------
// Services and service types
// ---------------------------------------------------------------------------

RY_EXPORT HSERVICE RY_CreateService(const RY_ServiceData* data);
RY_EXPORT void RY_SetServiceData(HSERVICE service, const RY_ServiceData* data);
RY_EXPORT void RY_GetServiceData(HSERVICE service, RY_ServiceData* out);
// count: in the capacity, out the number written; each handle carries a new reference.
RY_EXPORT void RY_GetServices(HSERVICE* handles, uint32_t* count);
RY_EXPORT HSERVICE RY_GetPrimaryService();
RY_EXPORT HSERVICETYPE RY_CreateServiceType(const RY_ServiceTypeData* data);
RY_EXPORT void RY_SetServiceTypeData(HSERVICETYPE type, const RY_ServiceTypeData* data);
RY_EXPORT void RY_GetServiceTypeData(HSERVICETYPE type, RY_ServiceTypeData* out);
// count: in the capacity, out the number written; no references are added.
RY_EXPORT void RY_GetServiceTypes(HSERVICETYPE* handles, uint32_t* count);

// ---------------------------------------------------------------------------
// Contacts
// ---------------------------------------------------------------------------

// Every create and set notifies the contact's subscribers and raises "contact.changed".
RY_EXPORT HCONTACT RY_CreateContact(const RY_ContactData* data);
RY_EXPORT void RY_SetContactData(HCONTACT contact, const RY_ContactData* data);
RY_EXPORT void RY_GetContactData(HCONTACT contact, RY_ContactData* out);
// 0 for null.
RY_EXPORT uint64_t RY_GetContactID(HCONTACT contact);
// Removes, from every group of the table, the members that match both filters
// in use (presence equal to presence; service equal to service).
RY_EXPORT void RY_PruneContacts(int32_t byService, HSERVICE service, int32_t byPresence, int32_t presence);
RY_EXPORT RY_IconResource* RY_GetContactIconResource(RY_IconResource* out, HCONTACT contact);
RY_EXPORT RY_IconResource* RY_GetStateOverlayIconResource(RY_IconResource* out, int32_t presence);
// A size-by-size icon for the contact, grey when it is offline, with the
// away or busy overlay; null only if no icon could be made.
RY_EXPORT HICON RY_GetContactIcon(HCONTACT contact, int32_t size);
RY_EXPORT int32_t RY_GetContactLocation(HCONTACT contact, RY_LocationData* out);

// ---------------------------------------------------------------------------
// Groups
// ---------------------------------------------------------------------------

// A group outside the table (its creator keeps it).
RY_EXPORT HGROUP RY_CreateGroup(const RY_GroupData* data);
// The table's group of that identifier, created if absent; with a reference for the caller.
RY_EXPORT HGROUP RY_GetGroup(uint64_t groupId);
RY_EXPORT void RY_SetGroupData(HGROUP group, const RY_GroupData* data);
RY_EXPORT void RY_GetGroupData(HGROUP group, RY_GroupData* out);
RY_EXPORT uint64_t RY_GetGroupID(HGROUP group);
RY_EXPORT void RY_SetGroupMember(HGROUP group, HCONTACT contact, const uint32_t* memberFlags);
// As RY_SetGroupMember with flags 0.
RY_EXPORT void RY_AddGroupMember(HGROUP group, HCONTACT contact);
RY_EXPORT int32_t RY_GetGroupMember(HGROUP group, HCONTACT contact, uint32_t* memberFlagsOut);
RY_EXPORT int32_t RY_GroupContainsMember(HGROUP group, HCONTACT contact);
RY_EXPORT void RY_RemoveGroupMember(HGROUP group, HCONTACT contact);
RY_EXPORT void RY_RemoveAllGroupMembers(HGROUP group);
// count 0 on entry asks for the number of members; otherwise count is the
// capacity and receives the number written (no new references).
RY_EXPORT void RY_GetGroupMembers(HGROUP group, HCONTACT* contacts, uint32_t* memberFlags, uint32_t* count);
// Drops the table's group of that identifier and raises "groups.changed".
RY_EXPORT void RY_DeleteGroup(uint64_t groupId);
RY_EXPORT int32_t RY_EnumGroupsBegin(uint64_t* idOut);
// The next identifier of the table, 0 at the end or for an identifier not in it.
RY_EXPORT uint64_t RY_EnumGroupsNext(uint64_t groupId);

// ---------------------------------------------------------------------------
// Messages and unread tracking
// ---------------------------------------------------------------------------

RY_EXPORT HMESSAGE RY_CreateMessage(const RY_MessageData* data);
RY_EXPORT void RY_SetMessageData(HMESSAGE message, const RY_MessageData* data);
RY_EXPORT void RY_GetMessageData(HMESSAGE message, RY_MessageData* out);
RY_EXPORT uint64_t RY_GetMessageID(HMESSAGE message);
// Appends a chunk of the body; complete non-zero marks the body complete.
RY_EXPORT void RY_ContinueMessage(HMESSAGE message, const void* data, int32_t length, int32_t complete);
// Creates an outgoing message and raises "messages.new.outgoing"; its one
// reference goes to *out, or is released when out is null.
RY_EXPORT void RY_SendMessage(void* target, uint8_t isGroup, const char* contentType, const void* data,
                              int32_t length, uint8_t complete, HMESSAGE* out);
// Raises "messages.new.outgoing" for a message the caller built and keeps.
RY_EXPORT void RY_SendMessageEx(HMESSAGE message);
// Lists the message as unread under its group or sender, with a reference of
// the list's own; a message already listed is not added again.
RY_EXPORT void RY_UnreadMessageAdd(HMESSAGE message);
RY_EXPORT int32_t RY_GetUnreadMessageCount(void* groupOrContact, int32_t isGroup);
// count: in the capacity, out the number written; no new references.
RY_EXPORT void RY_GetUnreadGroups(HGROUP* groups, uint32_t* count);
RY_EXPORT void RY_GetUnreadContacts(HCONTACT* contacts, uint32_t* count);
// The conversation's unread messages in arrival order, up to the capacity.
// With remove, the written messages leave the list and their references pass
// to the caller; those that did not fit stay listed.
RY_EXPORT void RY_GetUnreadMessageHandles(void* groupOrContact, int32_t isGroup, HMESSAGE* messages,
                                          uint32_t* count, uint8_t remove);

// ---------------------------------------------------------------------------
// Access-control data and location
// ---------------------------------------------------------------------------

// Stores the entry in "my_profile/user_acl" and sends it to the server.
RY_EXPORT void RY_SetACLData(const char* entryName, const RY_ACLData* data);
// 1 if any part was found. An absent entry is published from the caller's record.
RY_EXPORT int32_t RY_GetACLData(const char* entryName, RY_ACLData* data);
// 1 if the map's "loc" entry gave any field.
RY_EXPORT int32_t RY_GetLocationData(HDATAMAP map, RY_LocationData* out);
// Great-circle distance from the user's own location; 1 if it could be computed.
RY_EXPORT int32_t RY_CalcDistance(const RY_LocationData* target, float* metersOut);
RY_EXPORT void RY_ReportCurrentLocation(float latitude, float longitude, float accuracy);
RY_EXPORT void RY_SetManualLocationData(const RY_LocationData* data);

// ---------------------------------------------------------------------------
// Digest, cipher and audio lock: the only exports any thread may call
// ---------------------------------------------------------------------------

RY_EXPORT void RY_MD5(const void* data, int32_t length, unsigned char out[16]);
RY_EXPORT void RY_MD5_Starts(RY_MD5Context* context);
// A length of 0 or less does nothing.
RY_EXPORT void RY_MD5_Update(RY_MD5Context* context, const void* data, int32_t length);
RY_EXPORT void RY_MD5_Finish(RY_MD5Context* context, unsigned char out[16]);
// keyBits 256: a 32-byte key; anything else: 16 bytes used twice. ivBits is ignored.
RY_EXPORT void RY_SALSA20_KeySetup(RY_Salsa20Context* context, const unsigned char* key, uint32_t keyBits,
                                   uint32_t ivBits);
RY_EXPORT void RY_SALSA20_IVSetup(RY_Salsa20Context* context, const unsigned char iv[8]);
// Every call starts on a fresh 64-byte block.
RY_EXPORT void RY_SALSA20_EncryptBytes(RY_Salsa20Context* context, const unsigned char* in, unsigned char* out,
                                       uint32_t length);
RY_EXPORT void RY_SALSA20_DecryptBytes(RY_Salsa20Context* context, const unsigned char* in, unsigned char* out,
                                       uint32_t length);
RY_EXPORT void RY_SALSA20_KeystreamBytes(RY_Salsa20Context* context, unsigned char* out, uint32_t length);
// One recursive lock that keeps voice recording and playback apart.
RY_EXPORT void RY_AudioLock();
RY_EXPORT int32_t RY_AudioTryLock();
RY_EXPORT void RY_AudioUnlock();

#ifdef __cplusplus
}  // extern "C"
#endif
