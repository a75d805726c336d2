#include "contact_directory.h"

namespace kestrova::connection {

ContactDirectory::~ContactDirectory() {
    for (auto& [id, contact] : contacts_) RY_ReleaseContact(contact);
    if (service_) RY_ReleaseService(service_);
}

void ContactDirectory::setService(HSERVICE service) {
    if (service) RY_DuplicateServiceHandle(service);
    if (service_) RY_ReleaseService(service_);
    service_ = service;
}

HCONTACT ContactDirectory::get(uint64_t id) {
    auto it = contacts_.find(id);
    if (it == contacts_.end()) {
        RY_ContactData data{};
        data.size = sizeof data;
        data.flags = RY_CONTACT_ID | RY_CONTACT_SERVICE;
        data.contactId = id;
        data.service = service_;
        it = contacts_.emplace(id, RY_CreateContact(&data)).first;
    }
    return RY_DuplicateContactHandle(it->second);
}

HCONTACT ContactDirectory::find(uint64_t id) const {
    auto it = contacts_.find(id);
    return it == contacts_.end() ? nullptr : RY_DuplicateContactHandle(it->second);
}

void ContactDirectory::markStale() {
    RY_ContactData data{};
    data.size = sizeof data;
    data.flags = RY_CONTACT_PRESENCE;
    data.presence = RY_PRESENCE_UNKNOWN;
    for (auto& [id, contact] : contacts_) RY_SetContactData(contact, &data);
}

void ContactDirectory::removeAll() {
    if (service_) RY_PruneContacts(1, service_, 0, 0);
    auto leaving = std::move(contacts_);
    contacts_.clear();
    for (auto& [id, contact] : leaving) RY_ReleaseContact(contact);
    // The plug-in may outlive the api's state; it holds nothing of it now.
    setService(nullptr);
}

}  // namespace kestrova::connection
