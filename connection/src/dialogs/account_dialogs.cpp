#include "dialogs/account_dialogs.h"

namespace kestrova::connection {

namespace {

template <typename Screen>
kit::RegisteredFunction opener(bus::Function<void> name, ScreenSlot<Screen>& slot) {
    return kit::registerFunction(name, [&slot] { return slot.open() ? 1 : 0; });
}

} // namespace

AccountDialogs::AccountDialogs() {
    functions_.push_back(opener(names::kConnectionOpenAddService, addService_));
    functions_.push_back(opener(names::kConnectionOpenAddContact, addContact_));
    functions_.push_back(opener(names::kConnectionOpenCreateGroup, createGroup_));
    functions_.push_back(opener(names::kConnectionOpenJoinGroup, joinGroup_));
    functions_.push_back(
        kit::registerFunction(names::kConnectionOpenContactProperties, [this](HCONTACT contact) {
            if (!contact) return 0;
            ContactPropertiesScreen* screen = properties_.open();
            if (!screen) return 0;
            screen->show(contact);
            return 1;
        }));
}

AccountDialogs::~AccountDialogs() = default;

} // namespace kestrova::connection
