// The context menu of a member's row: chat, the moderation entries of a
// chat group, adding the contact or taking it off the contact list, and its
// properties. Every action goes to the contact's own service.
#pragma once

#include <functional>

#include "kestrova/platform/geometry.h"
#include "member_info.h"

namespace kestrova::shell {

class GroupPage;

// The commands of the menu (the moderation entries have theirs in
// kModerationEntries).
enum ContactCommand : int {
    kContactChat = 1,
    kContactDelete = 2,
    kContactAddToContacts = 3,
    kContactProperties = 4,
};

// The user's own flags in the group, as the contact's service knows its
// own contact; 0 when it cannot tell.
uint32_t myRoleIn(HGROUP group, HSERVICE service);

// Shows the menu at a screen point and carries out the choice; chat is the
// row's activation.
void showContactMenu(GroupPage& page, const MemberInfo& member, platform::Point at,
                     const std::function<void()>& chat);

} // namespace kestrova::shell
