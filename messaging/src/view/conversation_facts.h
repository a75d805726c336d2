// What the view and the chat window read about contacts, groups and services
// to draw a conversation: names, the service a conversation belongs to, the
// user's own contact on a service, and whether a service is online.
#pragma once

#include <string>

#include "kestrova/api.h"

namespace kestrova::messaging {

// The contact's nickname, or its account name when it has none.
std::string contactName(HCONTACT contact);
// The contact's nickname only (the chats list shows no account names).
std::string contactNickname(HCONTACT contact);
std::string groupName(HGROUP group);
// The service of a contact or group; null when it has none. No new reference.
HSERVICE serviceOfConversation(void* conversation, bool isGroup);
// The user's own name on the service: its nickname, else its account name.
std::string ownName(HSERVICE service);
// Whether the contact is the user's own contact on its service.
bool isOwnContact(HCONTACT contact);
// A service's state: non-zero once it is doing anything but being offline.
int32_t serviceState(HSERVICE service);

} // namespace kestrova::messaging
