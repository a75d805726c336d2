// The messaging plug-in's user-visible texts, by their number in its string
// table (resources/messaging/strings.txt). 104 to 122 are the system's own
// numbers; the texts it never numbered start at 1000.
#pragma once

#include <cstdint>
#include <string>

namespace kestrova::messaging {

namespace texts {
inline constexpr uint32_t kMenu = 104;
inline constexpr uint32_t kSend = 105;
inline constexpr uint32_t kVoiceMessage = 106;
inline constexpr uint32_t kPhotoMessage = 107;
inline constexpr uint32_t kPushToTalk = 108;
inline constexpr uint32_t kTextTab = 109;
inline constexpr uint32_t kVoiceTab = 110;
inline constexpr uint32_t kPhotoTab = 111;
inline constexpr uint32_t kClose = 112;
inline constexpr uint32_t kReleaseToSend = 113;
inline constexpr uint32_t kCapturePhoto = 114;
inline constexpr uint32_t kAdmined = 115;
inline constexpr uint32_t kModded = 116;
inline constexpr uint32_t kSilenced = 117;
inline constexpr uint32_t kKicked = 118;
inline constexpr uint32_t kBanned = 119;
inline constexpr uint32_t kReset = 120;
inline constexpr uint32_t kMayNotTalk = 121;
inline constexpr uint32_t kChats = 122;

inline constexpr uint32_t kFailed = 1000;
inline constexpr uint32_t kReceiving = 1001;
inline constexpr uint32_t kCreating = 1002;
inline constexpr uint32_t kSending = 1003;
inline constexpr uint32_t kPending = 1004;
inline constexpr uint32_t kYesterday = 1005;
inline constexpr uint32_t kCopyToClipboard = 1010;
inline constexpr uint32_t kPlay = 1011;
inline constexpr uint32_t kStream = 1012;
inline constexpr uint32_t kView = 1013;
inline constexpr uint32_t kPleaseWait = 1020;
inline constexpr uint32_t kRetrievingHistory = 1021;
inline constexpr uint32_t kLoggedIn = 1030;
inline constexpr uint32_t kDisconnected = 1031;
inline constexpr uint32_t kTypeMessageHere = 1040;
inline constexpr uint32_t kChatWindowTitle = 1041;
inline constexpr uint32_t kContactList = 1050;
inline constexpr uint32_t kNone = 1051;
} // namespace texts

// The text of that number; the empty text when the table lacks it.
const std::string& text(uint32_t number);

} // namespace kestrova::messaging
