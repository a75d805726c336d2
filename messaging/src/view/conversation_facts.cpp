#include "conversation_facts.h"

#include "kestrova/bus_records.h"

namespace kestrova::messaging {
namespace {

RY_ContactData contactData(HCONTACT contact) {
    RY_ContactData data{};
    data.size = sizeof data;
    if (contact) RY_GetContactData(contact, &data);
    return data;
}

RY_ServiceData serviceData(HSERVICE service) {
    RY_ServiceData data{};
    data.size = sizeof data;
    if (service) RY_GetServiceData(service, &data);
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
    RY_ServiceData data = serviceData(service);
    std::string nickname = orEmpty(data.text3);
    return nickname.empty() ? orEmpty(data.text1) : nickname;
}

bool isOwnContact(HCONTACT contact) {
    HSERVICE service = contactData(contact).service;
    if (!contact || !service) return false;
    std::string name = serviceFunctionName(service, names::kServiceGetMyHandle);
    auto me = reinterpret_cast<HCONTACT>(RY_CallFunction(name.c_str(), nullptr));
    if (!me) return false;
    RY_ReleaseContact(me);
    return me == contact;
}

int32_t serviceState(HSERVICE service) {
    return serviceData(service).presence;
}

} // namespace kestrova::messaging
