#include "dialogs/contact_properties_screen.h"

#include "dialogs/location_text.h"
#include "dialogs/service_label.h"
#include "forms/open_screen.h"
#include "texts.h"

#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/window.h"

namespace kestrova::connection {

using namespace kestrova::platform;

namespace {

RY_ContactData contactData(HCONTACT contact) {
    RY_ContactData data{};
    data.size = sizeof data;
    RY_GetContactData(contact, &data);
    return data;
}

std::string orEmpty(const char* text) {
    return text ? text : "";
}

std::string contactLocation(const RY_ContactData& data) {
    RY_LocationData location{};
    location.size = sizeof location;
    if (!data.dataMap || !RY_GetLocationData(data.dataMap, &location)) return {};
    float metres = 0;
    std::optional<float> distance;
    if (RY_CalcDistance(&location, &metres)) distance = metres;
    return locationText(location, distance);
}

} // namespace

std::string contactIdentity(HCONTACT contact) {
    RY_ContactData data = contactData(contact);
    HSERVICETYPE type = data.service ? kit::ServiceRecord(data.service).read().serviceType : nullptr;
    std::string id = orEmpty(data.name);
    if (id.empty()) id = std::to_string(static_cast<uint32_t>(data.contactId));
    return serviceTypeShortName(type) + ": " + id;
}

ContactPropertiesScreen* ContactPropertiesScreen::open() {
    return openScreen(new ContactPropertiesScreen);
}

bool ContactPropertiesScreen::build() {
    if (!createAccountForm(texts::kContactPropertiesTitle)) return false;
    nickname_ = fields().addEdit(kit::text(texts::kNicknameLabel), ES_READONLY, 0, 0);
    statusMessage_ = fields().addEdit(kit::text(texts::kStatusMessageLabel), ES_READONLY, 0, 0);
    location_ = fields().addEdit(kit::text(texts::kLocationLabel), ES_READONLY, 0, 0);
    identity_ = fields().addEdit(kit::text(texts::kServiceUserIdLabel), ES_READONLY, 0, 0);
    layOut();
    return true;
}

void ContactPropertiesScreen::show(HCONTACT contact) {
    contact_ = kit::OwnedContact(contact ? RY_DuplicateContactHandle(contact) : nullptr);
    if (!contact) return;
    RY_ContactData data = contactData(contact);
    std::string identity = contactIdentity(contact);
    setTitle(identity);
    setWindowText(identity_, identity);
    setWindowText(nickname_, orEmpty(data.nickname));
    std::string status = orEmpty(data.statusText);
    setWindowText(statusMessage_, status.empty() ? kit::text(texts::kNone) : status);
    std::string location = contactLocation(data);
    setWindowText(location_, location.empty() ? kit::text(texts::kUnknown) : location);
    bringToFront();
}

} // namespace kestrova::connection
