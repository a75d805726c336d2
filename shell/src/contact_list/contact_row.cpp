#include "contact_row.h"

#include "contact_menu.h"
#include "group_page.h"
#include "kestrova/bus.h"
#include "kestrova/kit/texts.h"
#include "kestrova/ui/fonts.h"
#include "section_list/row_drawing.h"

namespace kestrova::shell {

using namespace kestrova::platform;

ContactRow::ContactRow(GroupPage& page, MemberInfo member)
    : page_(page), member_(std::move(member)),
      changes_(kit::subscribe(member_.contact.get(), [&page](HCONTACT) { page.refresh(); })) {}

int ContactRow::height() const {
    RowMetrics metrics = page_.metrics();
    return member_.showsPlace() ? metrics.contactRowWithPlace() : metrics.contactRow();
}

ContactRow::Lines ContactRow::lines() const {
    int unread = RY_GetUnreadMessageCount(member_.contact.get(), 0);
    Lines lines;
    lines.name = member_.nickname;
    lines.role = roleSuffix(member_.memberFlags, page_.isChatGroup());
    if (member_.showsPlace()) lines.place = placeText(member_.location, member_.distance);
    lines.last = lastLineText(unread, member_.memberFlags, member_.statusText, member_.presence);
    return lines;
}

const Icon* ContactRow::icon(int size) {
    if (RY_GetUnreadMessageCount(member_.contact.get(), 0) > 0) return programIcon("MESSAGE_UNREAD", size);
    if (member_.memberFlags == membership::kWaitingForAcceptance) return programIcon("CONTACT", size);
    if (!contactIcon_) contactIcon_.reset(RY_GetContactIcon(member_.contact.get(), size));
    return contactIcon_.get();
}

void ContactRow::paint(DeviceContext& dc, const Rect& rect) {
    RowMetrics metrics = page_.metrics();
    Rect inner{rect.left, rect.top + 2, rect.right, rect.bottom - 2};
    Rect cell{inner.left, inner.top, inner.left + metrics.iconCell(), inner.bottom};
    drawCentredIcon(dc, icon(metrics.iconSize()), cell);

    Lines text = lines();
    int lineHeight = metrics.lineHeight();
    int lineCount = text.place.empty() ? 2 : 3;
    int y = inner.top + (inner.height() - lineCount * lineHeight) / 2;
    int right = inner.right - 2;
    bool grey =
        member_.presence == RY_PRESENCE_OFFLINE || member_.memberFlags == membership::kWaitingForAcceptance;
    int end = drawTextLine(dc, text.name, cell.right, y, right, lineHeight, ui::boldFont(),
                           grey ? rowColours::kGrey : rowColours::kText);
    if (text.role)
        drawTextLine(dc, kit::text(text.role->text), end, y, right, lineHeight, ui::normalFont(),
                     text.role->colour);
    y += lineHeight;
    if (!text.place.empty()) {
        drawTextLine(dc, text.place, cell.right, y, right, lineHeight, ui::normalFont(), rowColours::kPlace);
        y += lineHeight;
    }
    drawTextLine(dc, text.last, cell.right, y, right, lineHeight, ui::normalFont(), rowColours::kGrey);
}

std::string ContactRow::text() const {
    Lines text = lines();
    std::string out = text.name;
    if (text.role) out += kit::text(text.role->text);
    if (!text.place.empty()) out += "\n" + text.place;
    return out + "\n" + text.last;
}

void ContactRow::activate() {
    bus::raise(names::kMessagingChatContact, member_.contact.get());
}

void ContactRow::contextMenu(int x, int y) {
    showContactMenu(page_, member_, Point{x, y}, [this] { activate(); });
}

} // namespace kestrova::shell
