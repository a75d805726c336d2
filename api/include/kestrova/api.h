// The core API of Kestrova: the only channel between the shell and the
// plug-ins. It holds the client's whole object model (contacts, groups,
// messages, services, data maps, settings) and an in-process bus of named
// functions, events and variants. Objects cross the library boundary as
// reference-counted handles; every export is a plain C function.
//
// Threading: everything here runs on the user-interface thread, except the
// audio lock exports, which any thread may call.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__GNUC__)
#define RY_EXPORT __attribute__((visibility("default")))
#else
#define RY_EXPORT
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

// Exported by each plug-in library:
//   int32_t PluginLoad(int32_t apiVersion, Plugin** out);  1 and *out set, or 0 and *out null
//   int32_t PluginUnload();                                 destroys the object; returns 0
typedef int32_t (*PluginLoadProc)(int32_t apiVersion, Plugin** out);
typedef int32_t (*PluginUnloadProc)();

// ---------------------------------------------------------------------------
// Data records. The first field is the record's size (sizeof as compiled
// here); the second, on set, is the mask of the fields to take.
// ---------------------------------------------------------------------------

enum : uint32_t {
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

enum : uint32_t {
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

extern "C" {

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
// 1 and the operator's name in out; 0 and "Unknown" when there is none.
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

}  // extern "C"

// ---------------------------------------------------------------------------
// Names on the bus. Every named function, event and variant of the system is
// declared here once; nobody spells a bus name anywhere else.
// ---------------------------------------------------------------------------
namespace kestrova::names {

// variant, pointer: the main window; set by the shell, read by RY_Exit and every plug-in (UI thread)
inline constexpr const char kCoreWindowHwnd[] = "core.window.hwnd";
// variant, pointer: the main window's PaneLayout; set by the shell (UI thread)
inline constexpr const char kCoreWindowLayout[] = "core.window.layout";
// event, data null: raised once by the shell after every plug-in's Start (UI thread)
inline constexpr const char kCoreStartup[] = "core.startup";
// variant, pointer: the profile's data map; created with the core state (UI thread)
inline constexpr const char kMyProfileUserData[] = "my_profile/user_data";
// variant, pointer: the access-control data map; created with the core state (UI thread)
inline constexpr const char kMyProfileUserAcl[] = "my_profile/user_acl";

}  // namespace kestrova::names
