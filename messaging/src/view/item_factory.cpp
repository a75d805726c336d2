#include "item_factory.h"

#include "admin_notice.h"
#include "conversation_facts.h"
#include "displayable_text.h"
#include "line_items.h"
#include "message_item.h"

namespace kestrova::messaging {
namespace {

struct TypeAndBody {
    std::string contentType;
    std::string_view body; // valid until the message changes
    HCONTACT contact = nullptr;
};

TypeAndBody typeAndBody(HMESSAGE message) {
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    TypeAndBody out;
    out.contentType = data.contentType ? data.contentType : "";
    if (data.data && data.dataLength > 0)
        out.body = {static_cast<const char*>(data.data), static_cast<size_t>(data.dataLength)};
    out.contact = data.contact;
    return out;
}

} // namespace

void ItemFactory::add(std::string prefix, Maker maker) {
    for (Entry& entry : makers_) {
        if (entry.prefix == prefix) {
            entry.maker = std::move(maker);
            return;
        }
    }
    makers_.push_back({std::move(prefix), std::move(maker)});
}

std::shared_ptr<ChatItem> ItemFactory::make(MessageView& view, HMESSAGE message) const {
    TypeAndBody m = typeAndBody(message);
    if (m.contentType == kAdminNoticeType)
        return std::make_shared<AdminItem>(
            view, adminNoticeText(displayableText(contactName(m.contact)), parseAdminNotice(m.body)));
    const Entry* best = nullptr;
    for (const Entry& entry : makers_)
        if (m.contentType.starts_with(entry.prefix) && (!best || entry.prefix.size() > best->prefix.size()))
            best = &entry;
    if (best) return best->maker(view, message);
    return std::make_shared<MessageItem>(view, message);
}

ItemFactory& ItemFactory::standard() {
    static ItemFactory factory;
    return factory;
}

} // namespace kestrova::messaging
