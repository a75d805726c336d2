// Every named function, event and variant of the system, declared once with
// the type of what it carries. Nobody spells a bus name anywhere else: code
// calls, raises, reads and binds through these constants (kestrova/bus.h for
// calls, kestrova/kit/bindings.h for registrations and subscriptions), so
// that handing "Service/%p/LeaveGroup" anything but a group does not compile.
//
// Each name says, on the line above it: what it carries, what it returns and
// who owns it. Everything on the bus runs on the user-interface thread.
// Lookup is by exact, case-sensitive text.
#pragma once

#include "kestrova/api.h"
#include "kestrova/bus_records.h"
#include "kestrova/platform/messages.h"

#include <cstdint>
#include <string>

namespace kestrova::kit {
class PaneLayout;
}

namespace kestrova::bus {

// A named function: Arg travels in the pointer argument (a pointer, a handle
// or a number; void for none) and Result in the result.
template <typename Arg, typename Result = int32_t>
struct Function {
    const char* name;
};

// An event; Data travels as its data pointer (void: always null).
template <typename Data>
struct Event {
    const char* name;
};

// A variant holding an int32_t, a pointer, or text (std::string).
template <typename Value>
struct Variant {
    const char* name;
};

// An operation that each service registers under its own name,
// "Service/<service handle>/<operation>".
template <typename Arg, typename Result = int32_t>
struct ServiceOperation {
    const char* operation;
};

// An operation that each service type registers under its own name,
// "ServiceType/<service type handle>/<operation>".
template <typename Arg, typename Result = int32_t>
struct ServiceTypeOperation {
    const char* operation;
};

}  // namespace kestrova::bus

namespace kestrova::names {

// --- The shell ---------------------------------------------------------------

// variant: the main window; set once by the shell, read by RY_Exit and every plug-in as owner
inline constexpr bus::Variant<platform::HWND> kCoreWindowHwnd{"core.window.hwnd"};
// variant: the main window's pane layout; set once by the shell; plug-ins add panes through it
inline constexpr bus::Variant<kit::PaneLayout*> kCoreWindowLayout{"core.window.layout"};
// variant: 1 when the program was started with "/hidden" (no main window shown, sign in at once);
// set by the shell before any plug-in is loaded
inline constexpr bus::Variant<int32_t> kCoreStartedHidden{"core.startedHidden"};
// event, no data: raised once by the shell after every plug-in's Start
inline constexpr bus::Event<void> kCoreStartup{"core.startup"};
// event, the command identifier (low 16 bits of wParam): raised by the shell for every WM_COMMAND
// of the main window, before its own handling
inline constexpr bus::Event<uint32_t> kCoreWindowOnCommand{"core.window.OnCommand"};
// function, the section's record; returns the section of that key (created when new), null
// without an overview; registered by the shell
inline constexpr bus::Function<const RY_OverviewSectionArgs*, void*> kOverviewCreateSection{
    "Overview/CreateSection"};
// function, the item's record; appends a static item and returns its handle; registered by the shell
inline constexpr bus::Function<const RY_OverviewItemArgs*, void*> kOverviewAddStaticItem{
    "Overview/AddStaticItem"};
// function, the item's record; replaces the non-null texts of record->item; registered by the shell
inline constexpr bus::Function<const RY_OverviewItemArgs*> kOverviewUpdateStaticItem{
    "Overview/UpdateStaticItem"};
// function, the item handle; removes the item, 1 when found; registered by the shell
inline constexpr bus::Function<void*> kOverviewDeleteItem{"Overview/DeleteItem"};
// event: the user asked for a static item's context menu; raised by the shell
inline constexpr bus::Event<const RY_OverviewContextMenu*> kOverviewItemOnContextMenu{
    "Overview/Item/OnContextMenu"};

// --- The core API ------------------------------------------------------------

// variant: the profile's data map; created with the core state, filled by connection
inline constexpr bus::Variant<HDATAMAP> kMyProfileUserData{"my_profile/user_data"};
// variant: the access-control data map; created with the core state, filled by connection
inline constexpr bus::Variant<HDATAMAP> kMyProfileUserAcl{"my_profile/user_acl"};
// event, the contact: raised by the core API on every contact create and set
inline constexpr bus::Event<HCONTACT> kContactChanged{"contact.changed"};
// event, no data: the group table or a group's standing changed (core API, connection)
inline constexpr bus::Event<void> kGroupsChanged{"groups.changed"};
// event, the message: an outgoing message is ready to be sent; raised by RY_SendMessage(Ex)
inline constexpr bus::Event<HMESSAGE> kMessagesNewOutgoing{"messages.new.outgoing"};
// variant: the total of unread messages; set by the core API
inline constexpr bus::Variant<int32_t> kMessagesUnread{"messages.unread"};

// --- The connection plug-in ----------------------------------------------------

// event, the message: a received message was created from its first chunk
inline constexpr bus::Event<HMESSAGE> kMessagesNew{"messages.new"};
// event, the message: a received message is complete
inline constexpr bus::Event<HMESSAGE> kMessagesNewComplete{"messages.new.complete"};
// function: asks the server for a conversation's history; 1 when the request was made
inline constexpr bus::Function<const RY_HistoryRequest*> kConnectionRequestMessageHistory{
    "Connection/RequestMessageHistory"};
// function: writes one whole packet to the server; 1 when it was written
inline constexpr bus::Function<const RY_PacketBytes*> kConnectionSendPacket{"Connection/SendPacket"};
// function: the user's nickname and status line; 0 unless online, else 1
inline constexpr bus::Function<const RY_IdentityArgs*> kConnectionSetIdentity{"Connection/SetIdentity"};
// function: registers a bridge with the given account fields; no answer is awaited
inline constexpr bus::Function<const RY_BridgingCreateArgs*> kConnectionBridgingCreate{
    "Connection/Bridging/Create"};
// functions, no argument: open the service, contact and group screens (or
// bring the open one to the front); 1 when the screen is shown. The main
// window's menu calls them.
inline constexpr bus::Function<void> kConnectionOpenAddService{"Connection/OpenAddService"};
inline constexpr bus::Function<void> kConnectionOpenAddContact{"Connection/OpenAddContact"};
inline constexpr bus::Function<void> kConnectionOpenCreateGroup{"Connection/OpenCreateGroup"};
inline constexpr bus::Function<void> kConnectionOpenJoinGroup{"Connection/OpenJoinGroup"};
// function: shows the contact on the one Contact Properties screen; 1 when shown
inline constexpr bus::Function<HCONTACT> kConnectionOpenContactProperties{"Connection/OpenContactProperties"};
// variant: the connection state (0 offline ... 100 online, 130 waiting to reconnect, 140 resume answered)
inline constexpr bus::Variant<int32_t> kConnectionState{"connection.state"};
// The values of "connection.state".
namespace connection_state {
enum : int32_t {
    kOffline = 0,
    kCheckingNetwork = 10,
    kConnecting = 30,
    kWaitingForProxy = 35,
    kLogonSent = 40,
    kLoadingContacts = 50,
    kLoadingGroups = 60,
    kFetchingStoredMessages = 70,
    kOnline = 100,
    kReconnectWait = 130,
    kResumeSent = 140,
};
}  // namespace connection_state
// event, no data: the session ended (contacts stale, requests failed)
inline constexpr bus::Event<void> kConnectionSessionEnded{"Connection/SessionEnded"};
// variant: the account's own subscriber id in decimal
inline constexpr bus::Variant<std::string> kConnectionSubId{"Kestrova/Connection/Sub-Id"};
// event, no data: a service was added or removed (bridged accounts)
inline constexpr bus::Event<void> kServicesChanged{"services.changed"};

// The operations of each service, registered by connection for as long as it runs. Results
// are 1 unless said otherwise.

// the desired status; 0 when the sign-in screen had to be shown instead
inline constexpr bus::ServiceOperation<const RY_PresenceStatusArgs*> kServiceSetPresenceStatus{
    "SetPresenceStatus"};
// asks a person to be added; the record's callback gets the answer
inline constexpr bus::ServiceOperation<const RY_AddContactArgs*> kServiceAddContact{"AddContact"};
// answers a friend request
inline constexpr bus::ServiceOperation<const RY_AcceptContactArgs*> kServiceAcceptContact{"AcceptContact"};
// takes the pointed-to contact off the contact list
inline constexpr bus::ServiceOperation<const HCONTACT*> kServiceDeleteContact{"DeleteContact"};
// sets a member's rights in a group
inline constexpr bus::ServiceOperation<const RY_AdminContactArgs*> kServiceAdminContact{"AdminContact"};
// joins a group; the record's callback gets the answer
inline constexpr bus::ServiceOperation<const RY_GroupSubscribeArgs*> kServiceGroupSubscribe{"GroupSubscribe"};
// leaves the group
inline constexpr bus::ServiceOperation<HGROUP> kServiceLeaveGroup{"LeaveGroup"};
// creates a chat group; the record's callback gets the answer
inline constexpr bus::ServiceOperation<const RY_CreateGroupArgs*> kServiceCreateGroup{"CreateGroup"};
// the contact of an id, with a reference of the caller's, when known
inline constexpr bus::ServiceOperation<RY_GetContactHandleArgs*> kServiceGetContactHandle{"GetContactHandle"};
// the user's own contact with a reference of the caller's; null before the first sign-in
inline constexpr bus::ServiceOperation<void, HCONTACT> kServiceGetMyHandle{"GetMyHandle"};
// a new status popup menu that the caller shows and destroys (null: none)
inline constexpr bus::ServiceOperation<void, platform::HMENU> kServiceCreatePopupMenu{"CreatePopupMenu"};
// carries out a command of that menu; 1 when it opened a screen
inline constexpr bus::ServiceOperation<uint32_t> kServiceHandlePopupMenu{"HandlePopupMenu"};
// removes a bridged service
inline constexpr bus::ServiceOperation<void> kServiceDelete{"Delete"};
// the account form of a network to bridge; 0 when the type is not the plug-in's
inline constexpr bus::ServiceTypeOperation<RY_ServiceTypeRegistration*> kServiceTypeRegister{"Register"};

// --- The messaging plug-in -----------------------------------------------------

// event, the contact: open the chat with that contact (shell, connection; handled by messaging)
inline constexpr bus::Event<HCONTACT> kMessagingChatContact{"messaging.chat.contact"};
// event, the group: open the chat of that group (shell; handled by messaging)
inline constexpr bus::Event<HGROUP> kMessagingChatGroup{"messaging.chat.group"};
// function, the main window: pops up the list of open chats
inline constexpr bus::Function<platform::HWND> kMessagingPopupChatsList{"Messaging/PopupChatsList"};

}  // namespace kestrova::names
