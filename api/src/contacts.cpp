#include "contacts.h"

#include "core_state.h"

#include <utility>

namespace kestrova::api {

Contact::~Contact() {
    releaseHandle(std::exchange(service, nullptr));
    releaseHandle(std::exchange(dataMap, nullptr));
    subscribers_.detachAll();
}

void replaceReference(HandleRecord*& held, HandleRecord* replacement) {
    if (replacement) duplicateHandle(replacement);
    releaseHandle(std::exchange(held, replacement));
}

namespace {

void apply(Contact& c, const RY_ContactData& d) {
    if (d.flags & RY_CONTACT_ID) c.contactId = d.contactId;
    if (d.flags & RY_CONTACT_SERVICE) replaceReference(c.service, record(d.service));
    if (d.flags & RY_CONTACT_NAME) c.name = textOrEmpty(d.name);
    if (d.flags & RY_CONTACT_NICKNAME) c.nickname = textOrEmpty(d.nickname);
    if (d.flags & RY_CONTACT_STATUS_TEXT) c.statusText = textOrEmpty(d.statusText);
    if (d.flags & RY_CONTACT_PRESENCE) c.presence = d.presence;
    if (d.flags & RY_CONTACT_DEVICE_TYPE) c.deviceType = d.deviceType;
    // The caller hands its reference over; the one we held goes.
    if ((d.flags & RY_CONTACT_DATA_MAP) && record(d.dataMap) != c.dataMap)
        releaseHandle(std::exchange(c.dataMap, record(d.dataMap)));
}

void announce(HCONTACT contact) {
    notifySubscribers(record(contact), contact);
    bus::raise(names::kContactChanged, contact);
}

}  // namespace
}  // namespace kestrova::api

using namespace kestrova::api;

extern "C" {

HCONTACT RY_CreateContact(const RY_ContactData* data) {
    auto* contact = new Contact;
    apply(*contact, *data);
    HCONTACT handle = as<HCONTACT>(makeHandle(contact));
    announce(handle);
    return handle;
}

void RY_SetContactData(HCONTACT contact, const RY_ContactData* data) {
    apply(*body<Contact>(contact), *data);
    announce(contact);
}

void RY_GetContactData(HCONTACT contact, RY_ContactData* out) {
    const Contact& c = *body<Contact>(contact);
    out->service = as<HSERVICE>(c.service);
    out->contactId = c.contactId;
    out->name = c.name.c_str();
    out->nickname = c.nickname.c_str();
    out->statusText = c.statusText.c_str();
    out->presence = c.presence;
    out->deviceType = c.deviceType;
    out->dataMap = as<HDATAMAP>(c.dataMap);
}

uint64_t RY_GetContactID(HCONTACT contact) { return contact ? body<Contact>(contact)->contactId : 0; }

int32_t RY_GetContactLocation(HCONTACT contact, RY_LocationData* out) {
    if (!contact) return 0;
    return RY_GetLocationData(as<HDATAMAP>(body<Contact>(contact)->dataMap), out);
}

}  // extern "C"
