#include "contact_properties.h"

#include <utility>

namespace kestrova::shell {
namespace {

ContactPropertiesOpener& opener() {
    static ContactPropertiesOpener installed;
    return installed;
}

} // namespace

void setContactPropertiesOpener(ContactPropertiesOpener next) {
    opener() = std::move(next);
}

void openContactProperties(HCONTACT contact) {
    if (opener()) opener()(contact);
}

} // namespace kestrova::shell
