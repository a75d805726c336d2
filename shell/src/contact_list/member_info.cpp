#include "member_info.h"

namespace kestrova::shell {

MemberInfo readMember(HCONTACT contact, uint32_t memberFlags) {
    MemberInfo member;
    member.contact = kit::OwnedContact::share(contact);
    member.memberFlags = memberFlags;
    RY_ContactData data{};
    data.size = sizeof data;
    RY_GetContactData(contact, &data);
    member.service = data.service;
    member.contactId = data.contactId;
    member.nickname = data.nickname ? data.nickname : "";
    member.statusText = data.statusText ? data.statusText : "";
    member.presence = data.presence;
    if (!RY_GetContactLocation(contact, &member.location)) member.location.flags = 0;
    bool positioned = member.location.flags & (RY_LOCATION_LAT | RY_LOCATION_LON);
    // NOTE: the distance asks the connection for the user's own contact; it
    // is only worth it for members whose place or nearness is shown.
    float metres = 0;
    if (positioned && member.presence != RY_PRESENCE_OFFLINE && RY_CalcDistance(&member.location, &metres))
        member.distance = metres;
    return member;
}

} // namespace kestrova::shell
