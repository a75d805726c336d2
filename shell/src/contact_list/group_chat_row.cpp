#include "group_chat_row.h"

#include "group_page.h"
#include "home_texts.h"
#include "kestrova/bus.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/menu.h"
#include "kestrova/ui/fonts.h"
#include "section_list/row_drawing.h"
#include "text_format.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {
enum : int { kCommandChat = 1, kCommandLeave = 2 };
} // namespace

GroupChatRow::Lines GroupChatRow::lines() const {
    RY_GroupData data{};
    data.size = sizeof data;
    RY_GetGroupData(page_.group(), &data);
    int unread = RY_GetUnreadMessageCount(page_.group(), 1);
    Lines lines;
    lines.name = data.name ? data.name : "";
    lines.unread = unread > 0;
    if (unread == 1)
        lines.second = kit::text(texts::kOneNewMessage);
    else if (unread > 1)
        lines.second = textWithNumber(texts::kNewMessages, unread);
    else if (data.description && *data.description)
        lines.second = data.description;
    else
        lines.second = kit::text(texts::kGroupChat);
    return lines;
}

int GroupChatRow::height() const {
    return page_.metrics().groupChatRow();
}

void GroupChatRow::paint(DeviceContext& dc, const Rect& rect) {
    RowMetrics metrics = page_.metrics();
    Lines text = lines();
    Rect inner{rect.left, rect.top + 2, rect.right, rect.bottom - 2};
    Rect cell{inner.left, inner.top, inner.left + metrics.iconCell(), inner.bottom};
    drawCentredIcon(dc, programIcon(text.unread ? "MESSAGE_UNREAD" : "GROUP", metrics.iconSize()), cell);
    int lineHeight = metrics.lineHeight();
    int y = inner.top + (inner.height() - 2 * lineHeight) / 2;
    drawTextLine(dc, text.name, cell.right, y, inner.right - 2, lineHeight, ui::boldFont(),
                 rowColours::kText);
    drawTextLine(dc, text.second, cell.right, y + lineHeight, inner.right - 2, lineHeight, ui::normalFont(),
                 rowColours::kGrey);
}

std::string GroupChatRow::text() const {
    Lines text = lines();
    return text.name + "\n" + text.second;
}

void GroupChatRow::activate() {
    bus::raise(names::kMessagingChatGroup, page_.group());
}

void GroupChatRow::contextMenu(int x, int y) {
    RY_GroupData data{};
    data.size = sizeof data;
    RY_GetGroupData(page_.group(), &data);
    HSERVICE service = data.service;
    bool canLeave = service && bus::provided(names::kServiceLeaveGroup, service) &&
                    kit::ServiceRecord(service).read().presence != RY_PRESENCE_OFFLINE;
    UniqueMenu menu(createPopupMenu());
    appendMenu(menu.get(), MF_STRING, kCommandChat, kit::text(texts::kGroupChat));
    appendMenu(menu.get(), MF_SEPARATOR, 0);
    appendMenu(menu.get(), MF_STRING | (canLeave ? 0u : MF_GRAYED), kCommandLeave,
               kit::text(texts::kMenuLeaveGroup));
    int command = trackPopupMenu(menu.get(), TPM_BOTTOMALIGN | TPM_RETURNCMD, Point{x, y}, page_.hwnd());
    menu.reset();
    if (command == kCommandChat) activate();
    if (command == kCommandLeave) bus::call(names::kServiceLeaveGroup, service, page_.group());
}

} // namespace kestrova::shell
