// The service, contact and group screens of the plug-in, each kept in its
// slot and opened through the plug-in's named functions, so that the main
// window's menu and the contact menu open them without knowing them.
#pragma once

#include "dialogs/add_contact_screen.h"
#include "dialogs/add_service_screen.h"
#include "dialogs/contact_properties_screen.h"
#include "dialogs/group_screens.h"
#include "forms/screen_slot.h"

#include "kestrova/kit/bindings.h"

#include <vector>

namespace kestrova::connection {

class AccountDialogs {
  public:
    AccountDialogs();
    ~AccountDialogs();
    AccountDialogs(const AccountDialogs&) = delete;
    AccountDialogs& operator=(const AccountDialogs&) = delete;

  private:
    // Declared last: the functions go before the screens they open.
    ScreenSlot<AddServiceScreen> addService_;
    ScreenSlot<AddContactScreen> addContact_;
    ScreenSlot<CreateGroupScreen> createGroup_;
    ScreenSlot<JoinGroupScreen> joinGroup_;
    ScreenSlot<ContactPropertiesScreen> properties_;
    std::vector<kit::RegisteredFunction> functions_;
};

} // namespace kestrova::connection
