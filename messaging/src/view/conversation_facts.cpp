#include "conversation_facts.h"

#include "kestrova/bus.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"

namespace kestrova::messaging {
namespace {

RY_ContactData contactData(HCONTACT contact) {
    RY_ContactData data{};
    data.size = sizeof data;
    if (contact) RY_GetContactData(contact, &data);
    return data;
}

std::string orEmpty(const char* text) {
    return text ? text : "";
}

} // namespace

std::string contactName(HCONTACT contact) {
    RY_ContactData data = contactData(contact);
    std::string nickname = orEmpty(data.nickname);
    return nickname.empty() ? orEmpty(data.name) : nickname;
}

std::string contactNickname(HCONTACT contact) {
    return orEmpty(contactData(contact).nickname);
}

std::string groupName(HGROUP group) {
    RY_GroupData data{};
    data.size = sizeof data;
    if (group) RY_GetGroupData(group, &data);
    return orEmpty(data.name);
}

HSERVICE serviceOfConversation(void* conversation, bool isGroup) {
    if (!conversation) return nullptr;
    if (isGroup) {
        RY_GroupData data{};
        data.size = sizeof data;
        RY_GetGroupData(static_cast<HGROUP>(conversation), &data);
        return data.service;
    }
    return contactData(static_cast<HCONTACT>(conversation)).service;
}

std::string ownName(HSERVICE service) {
    if (!service) return "";
    return kit::ServiceRecord(service).read().displayName();
}

bool isOwnContact(HCONTACT contact) {
    HSERVICE service = contactData(contact).service;
    if (!contact || !service || !bus::provided(names::kServiceGetMyHandle, service)) return false;
    kit::OwnedContact me(bus::call(names::kServiceGetMyHandle, service));
    return me.get() == contact;
}

int32_t serviceState(HSERVICE service) {
    return service ? kit::ServiceRecord(service).read().presence : 0;
}

} // namespace kestrova::messaging
