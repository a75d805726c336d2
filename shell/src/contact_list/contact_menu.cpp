#include "contact_menu.h"

#include <string>

#include "contact_properties.h"
#include "group_page.h"
#include "home_texts.h"
#include "kestrova/bus.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/message_box.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr uint64_t kContactListGroup = 0;

bool serviceOnline(HSERVICE service) {
    return service && kit::ServiceRecord(service).read().presence != RY_PRESENCE_OFFLINE;
}

bool onContactList(HCONTACT contact) {
    kit::OwnedGroup contacts(RY_GetGroup(kContactListGroup));
    return RY_GroupContainsMember(contacts.get(), contact) != 0;
}

void appendEntry(HMENU menu, int command, uint32_t textNumber, bool enabled = true, bool checked = false) {
    uint32_t flags = MF_STRING | (enabled ? 0u : MF_GRAYED) | (checked ? MF_CHECKED : 0u);
    appendMenu(menu, flags, static_cast<uintptr_t>(command), kit::text(textNumber));
}

void fillMenu(HMENU menu, const GroupPage& page, const MemberInfo& member) {
    HSERVICE service = member.service;
    bool chatGroup = page.isChatGroup();
    appendEntry(menu, kContactChat, chatGroup ? texts::kMenuPrivateChat : texts::kMenuChat);
    if (chatGroup) {
        uint32_t myRole = myRoleIn(page.group(), service);
        appendMenu(menu, MF_SEPARATOR, 0);
        for (const ModerationEntry& entry : kModerationEntries)
            appendEntry(menu, entry.command, entry.text,
                        moderationEnabled(myRole, member.memberFlags, entry.value),
                        moderationChecked(member.memberFlags, entry.value));
        bool canAdd = service && bus::provided(names::kServiceAddContact, service) &&
                      serviceOnline(service) && !onContactList(member.contact.get());
        if (canAdd) {
            appendMenu(menu, MF_SEPARATOR, 0);
            appendEntry(menu, kContactAddToContacts, texts::kMenuAddToContacts);
        }
    } else {
        bool canDelete =
            service && bus::provided(names::kServiceDeleteContact, service) && serviceOnline(service);
        appendMenu(menu, MF_SEPARATOR, 0);
        appendEntry(menu, kContactDelete, texts::kMenuDelete, canDelete);
    }
    appendMenu(menu, MF_SEPARATOR, 0);
    appendEntry(menu, kContactProperties, texts::kMenuProperties);
}

void deleteAfterAsking(const GroupPage& page, const MemberInfo& member) {
    int answer = messageBox(parentOf(page.hwnd()), kit::text(texts::kDeleteContactQuestion),
                            kit::text(texts::kDeleteContactCaption), MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return;
    HCONTACT contact = member.contact.get();
    bus::call(names::kServiceDeleteContact, member.service, &contact);
}

void askToAdd(const MemberInfo& member) {
    // NOTE: the whole identifier: account numbers above 32 bits name
    // someone else when cut to their low half.
    std::string address = std::to_string(member.contactId);
    const std::string& message = kit::text(texts::kAddContactMessage);
    RY_AddContactArgs args{sizeof(RY_AddContactArgs), address.c_str(), message.c_str(), nullptr, nullptr};
    bus::call(names::kServiceAddContact, member.service, &args);
}

void moderate(const GroupPage& page, const MemberInfo& member, int command) {
    for (const ModerationEntry& entry : kModerationEntries) {
        if (entry.command != command) continue;
        RY_AdminContactArgs args{member.contact.get(), page.group(),
                                 moderationValue(member.memberFlags, entry.value)};
        bus::call(names::kServiceAdminContact, member.service, &args);
    }
}

} // namespace

uint32_t myRoleIn(HGROUP group, HSERVICE service) {
    if (!service) return 0;
    kit::OwnedContact me(bus::call(names::kServiceGetMyHandle, service));
    uint32_t flags = 0;
    if (!me || !RY_GetGroupMember(group, me.get(), &flags)) return 0;
    return flags;
}

void showContactMenu(GroupPage& page, const MemberInfo& member, Point at, const std::function<void()>& chat) {
    UniqueMenu menu(createPopupMenu());
    fillMenu(menu.get(), page, member);
    int command = trackPopupMenu(menu.get(), TPM_BOTTOMALIGN | TPM_RETURNCMD, at, page.hwnd());
    menu.reset();
    switch (command) {
    case 0:
        break;
    case kContactChat:
        chat();
        break;
    case kContactDelete:
        deleteAfterAsking(page, member);
        break;
    case kContactAddToContacts:
        askToAdd(member);
        break;
    case kContactProperties:
        openContactProperties(member.contact.get());
        break;
    default:
        moderate(page, member, command);
        break;
    }
}

} // namespace kestrova::shell
