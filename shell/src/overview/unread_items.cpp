#include "unread_items.h"

#include "contact_list/group_table.h"
#include "home_texts.h"
#include "kestrova/bus.h"
#include "kestrova/kit/texts.h"
#include "section_list/row_drawing.h"
#include "text_format.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr char kUnreadIcon[] = "MESSAGE_UNREAD";

std::string countText(int count, uint32_t many, uint32_t one) {
    return textWithNumber(count > 1 ? many : one, count);
}

} // namespace

std::string UnreadContactItem::title() const {
    RY_ContactData data{};
    data.size = sizeof data;
    RY_GetContactData(contact_.get(), &data);
    return data.nickname ? data.nickname : "";
}

std::string UnreadContactItem::line() const {
    return countText(RY_GetUnreadMessageCount(contact_.get(), 0), texts::kPrivateMessages,
                     texts::kPrivateMessage);
}

const Icon* UnreadContactItem::icon() const {
    return programIcon(kUnreadIcon, iconSize());
}

void UnreadContactItem::activate() {
    bus::raise(names::kMessagingChatContact, contact_.get());
}

void UnreadContactItem::contextMenu(int x, int y) {
    if (chooseViewMessages(list_, x, y)) activate();
}

std::string UnreadGroupItem::title() const {
    return fillIn(kit::text(texts::kGroupTitle), {kit::text(texts::kGroup), groupName(group_.get())});
}

std::string UnreadGroupItem::line() const {
    return countText(RY_GetUnreadMessageCount(group_.get(), 1), texts::kGroupMessages, texts::kGroupMessage);
}

const Icon* UnreadGroupItem::icon() const {
    return programIcon(kUnreadIcon, iconSize());
}

void UnreadGroupItem::activate() {
    bus::raise(names::kMessagingChatGroup, group_.get());
}

void UnreadGroupItem::contextMenu(int x, int y) {
    if (chooseViewMessages(list_, x, y)) activate();
}

} // namespace kestrova::shell
