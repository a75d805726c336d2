// The words of the server protocol, spelled once for the client, the server
// and the tools: the commands, the header names and the response codes
// (docs/PROTOCOL.md says what each one means).
//
// Header names are matched without regard to case; they are spelled here as
// the protocol writes them in prose. The keys of the profile's data map are
// case-sensitive and spelled exactly.
#pragma once

#include <cstdint>

namespace kestrova::wire::protocol {

namespace command {
// Sign-in and the session.
inline constexpr const char kLogon[] = "LOGON";
inline constexpr const char kAuth[] = "AUTH";
inline constexpr const char kLogonFailed[] = "LOGON FAILED";
inline constexpr const char kGhosted[] = "GHOSTED";
inline constexpr const char kSubProfile[] = "SUB PROFILE";
inline constexpr const char kSetting[] = "SETTING";
inline constexpr const char kPing[] = "P";
inline constexpr const char kBye[] = "BYE";
inline constexpr const char kResponse[] = "RESPONSE";
// Contacts, presence and the profile.
inline constexpr const char kContactAdd[] = "CONTACT ADD";
inline constexpr const char kContactAddResp[] = "CONTACT ADD RESP";
inline constexpr const char kContactUpdate[] = "CONTACT UPDATE";
inline constexpr const char kContactDetail[] = "CONTACT DETAIL";
inline constexpr const char kSubProfileUpdate[] = "SUB PROFILE UPDATE";
inline constexpr const char kLocationSubmit[] = "PLS SUBMIT";
// Groups.
inline constexpr const char kGroupCreate[] = "GROUP CREATE";
inline constexpr const char kGroupSubscribe[] = "GROUP SUBSCRIBE";
inline constexpr const char kGroupUnsubscribe[] = "GROUP UNSUB";
inline constexpr const char kGroupAdmin[] = "GROUP ADMIN";
inline constexpr const char kGroupUpdate[] = "GROUP UPDATE";
// Messages.
inline constexpr const char kMessage[] = "MESG";
inline constexpr const char kMessagesStored[] = "MESG STORED";
inline constexpr const char kMessageHistory[] = "MESG HIST";
// Bridges to other networks.
inline constexpr const char kBridgeMessage[] = "BRIDGE MESG";
inline constexpr const char kBridgeOn[] = "BRIDGE ON";
inline constexpr const char kBridgeOff[] = "BRIDGE OFF";
inline constexpr const char kBridgeUpdate[] = "BRIDGE UPDATE";
inline constexpr const char kBridgeRegister[] = "BRIDGE REGISTER";
inline constexpr const char kBridgeRegisterFields[] = "BRIDGE REGISTER FIELDS";
inline constexpr const char kBridgeContact[] = "BRIDGE CONTACT";
inline constexpr const char kBridgeContactAdd[] = "BRIDGE CONTACT ADD";
inline constexpr const char kBridgeContactAddResp[] = "BRIDGE CONTACT ADD RESP";
inline constexpr const char kBridgeChatContact[] = "BRIDGE CHAT CONTACT";
inline constexpr const char kBridgeContactUpdate[] = "BRIDGE CONTACT UPDATE";
inline constexpr const char kBridgeChatJoin[] = "BRIDGE CHAT JOIN";
inline constexpr const char kBridgeChatLeave[] = "BRIDGE CHAT LEAVE";
}  // namespace command

namespace header {
inline constexpr const char kAccepted[] = "Accepted";
inline constexpr const char kAction[] = "Action";
inline constexpr const char kAppType[] = "App-Type";
inline constexpr const char kBridgeId[] = "Bridge-Id";
inline constexpr const char kBridgeType[] = "Bridge-Type";
inline constexpr const char kChatId[] = "Chat-Id";
inline constexpr const char kContactId[] = "Contact-Id";
inline constexpr const char kContentLength[] = "Content-Length";
inline constexpr const char kContentType[] = "Content-Type";
inline constexpr const char kCorrelationId[] = "Correlation-Id";
inline constexpr const char kCount[] = "Count";
inline constexpr const char kDescription[] = "Desc";
inline constexpr const char kEncryptionType[] = "Encryption-Type";
inline constexpr const char kFromGroup[] = "From-Group";
inline constexpr const char kFromPrivate[] = "From-Private";
inline constexpr const char kGroupId[] = "Group-Id";
inline constexpr const char kHistory[] = "Hist";
inline constexpr const char kIncludeSelf[] = "Include-self";
inline constexpr const char kPingInterval[] = "I";
inline constexpr const char kIvLength[] = "IV";
inline constexpr const char kLast[] = "Last";
inline constexpr const char kLastOnline[] = "Last-Online";
inline constexpr const char kMesgId[] = "Mesg-Id";
inline constexpr const char kMesgTarget[] = "Mesg-Target";
inline constexpr const char kName[] = "Name";
inline constexpr const char kNickname[] = "Nickname";
inline constexpr const char kOnlineStatus[] = "Online-Status";
// NOTE: the one header the client writes verbatim (with its capital letter),
// which also sorts it before every folded name.
inline constexpr const char kOperator[] = "Operator";
// The sender's key of a message, the same through its resends (origin_key.h).
inline constexpr const char kOriginKey[] = "Origin-Key";
inline constexpr const char kPacketsReceived[] = "PS";
inline constexpr const char kPassword[] = "Password";
inline constexpr const char kProtocolVersion[] = "Protocol-Version";
inline constexpr const char kReason[] = "Reason";
inline constexpr const char kRemove[] = "Remove";
inline constexpr const char kRequestId[] = "Request-Id";
inline constexpr const char kResponseId[] = "Response-Id";
inline constexpr const char kResumeKey[] = "RK";
inline constexpr const char kRetry[] = "Retry";
inline constexpr const char kSourceId[] = "Source-Id";
inline constexpr const char kStatus[] = "Status";
inline constexpr const char kStayConnected[] = "Stay-Connected";
inline constexpr const char kSubId[] = "Sub-Id";
inline constexpr const char kTargetId[] = "Target-Id";
inline constexpr const char kTimestamp[] = "Timestamp";
inline constexpr const char kTotalLength[] = "Total-Length";
inline constexpr const char kUsername[] = "Username";
inline constexpr const char kType[] = "Type";
inline constexpr const char kValue[] = "Value";
}  // namespace header

// "RESPONSE" codes (a 4-byte big-endian body).
namespace code {
inline constexpr uint32_t kOk = 0;            // done (history: the messages follow)
inline constexpr uint32_t kNoSuchTarget = 2;  // no such user, group or message
inline constexpr uint32_t kDone =
    4;  // a message chunk taken; stored messages sent; history: older ones remain
inline constexpr uint32_t kNoOlder = 8;  // history: no older message exists
inline constexpr uint32_t kInUse = 11;   // group name in use, or already a member
inline constexpr uint32_t kContactExists = 12;
inline constexpr uint32_t kDenied = 13;     // access denied (wrong group password, not a member, silenced...)
inline constexpr uint32_t kLimit = 14;      // a limit of the server was reached
inline constexpr uint32_t kMalformed = 15;  // the request cannot be read
inline constexpr uint32_t kTextBreaksLine = 16;  // a text holds a line feed, carriage return or NUL
inline constexpr uint32_t kStorageFailed = 17;   // the server could not store the change; nothing changed
inline constexpr uint32_t kUnsupportedNetwork = 18;  // bridges: a network not bridged, or content it cannot carry
inline constexpr uint32_t kBridgeOffline = 19;       // bridges: the bridge is not logged in to its network
// Never sent: what the client answers itself for a request that could not
// reach the server (offline, or the session ended first).
inline constexpr uint32_t kSessionEnded = 100;
}  // namespace code

}  // namespace kestrova::wire::protocol
