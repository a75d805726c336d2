#include "admin_notice.h"

#include "kestrova/bus.h"
#include "kestrova/kit/handles.h"
#include "kestrova/wire/protocol.h"

namespace kestrova::connection {

namespace protocol = wire::protocol;

std::string adminNoticeBody(int32_t action, uint64_t targetId, std::string_view nickname) {
    std::string body;
    body.reserve(12 + nickname.size());
    uint32_t word = static_cast<uint32_t>(action);
    for (int i = 0; i < 4; ++i) body.push_back(static_cast<char>(word >> (8 * i)));
    for (int i = 0; i < 8; ++i) body.push_back(static_cast<char>(targetId >> (8 * i)));
    body.append(nickname);
    return body;
}

void applyGroupAdmin(ContactDirectory& contacts, const wire::Packet& packet) {
    uint64_t targetId = packet.headerId(protocol::header::kTargetId);
    int32_t action = packet.headerInt(protocol::header::kAction);
    kit::OwnedGroup group(RY_GetGroup(packet.headerId(protocol::header::kGroupId)));
    kit::OwnedContact target(contacts.get(targetId));
    kit::OwnedContact source(contacts.get(packet.headerId(protocol::header::kSourceId)));
    uint32_t flags = static_cast<uint32_t>(action);
    RY_SetGroupMember(group.get(), target.get(), &flags);

    RY_ContactData targetData{};
    targetData.size = sizeof targetData;
    RY_GetContactData(target.get(), &targetData);
    std::string body = adminNoticeBody(action, targetId, targetData.nickname ? targetData.nickname : "");

    RY_MessageData data{};
    data.size = sizeof data;
    data.flags = RY_MESSAGE_ID | RY_MESSAGE_CONTACT | RY_MESSAGE_TARGET | RY_MESSAGE_IS_GROUP |
                 RY_MESSAGE_COMPLETE | RY_MESSAGE_CONTENT_TYPE | RY_MESSAGE_DATA;
    data.messageId = RY_GetLUID();
    data.contact = source.get();
    data.target = group.get();
    data.isGroup = 1;
    data.complete = 1;
    data.contentType = kAdminNoticeType;
    data.data = body.data();
    data.dataLength = static_cast<int32_t>(body.size());
    kit::OwnedMessage message(RY_CreateMessage(&data));

    bus::raise(names::kMessagesNew, message.get());
    RY_MessageData after{};
    after.size = sizeof after;
    RY_GetMessageData(message.get(), &after);
    if (!after.noUnread) RY_UnreadMessageAdd(message.get());
    bus::raise(names::kMessagesNewComplete, message.get());
}

}  // namespace kestrova::connection
