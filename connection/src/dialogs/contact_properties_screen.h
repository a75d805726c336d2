// "Contact Properties": one screen, reused for every contact, that shows
// who the contact is (service and user id), nickname, status message and
// location, read-only. It keeps its own reference to the contact shown.
#pragma once

#include "forms/account_form.h"

#include "kestrova/kit/handles.h"

namespace kestrova::connection {

class ContactPropertiesScreen final : public AccountForm {
  public:
    static ContactPropertiesScreen* open();
    void show(HCONTACT contact);

  private:
    template <typename Screen> friend Screen* openScreen(Screen* screen);

    ContactPropertiesScreen() = default;
    bool build();
    void onOk() override { close(); }

    kit::OwnedContact contact_;
    platform::HWND nickname_ = nullptr;
    platform::HWND statusMessage_ = nullptr;
    platform::HWND location_ = nullptr;
    platform::HWND identity_ = nullptr;
};

// "XMPP: ann@example.org", or "Kestrova: 1234" for a contact of the
// account's own service known only by its number.
std::string contactIdentity(HCONTACT contact);

} // namespace kestrova::connection
