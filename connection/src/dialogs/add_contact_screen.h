// "Add a Contact": a service of the user's and a user name; asks that
// person to join the contact list and says how it went.
#pragma once

#include "dialogs/wizard_screen.h"

#include "kestrova/kit/handles.h"

#include <vector>

namespace kestrova::connection {

class AddContactScreen final : public WizardScreen {
  public:
    enum Control : uintptr_t { kService = 10, kUserName = 11 };

    static AddContactScreen* open();

  private:
    template <typename Screen> friend Screen* openScreen(Screen* screen);

    AddContactScreen() = default;
    bool build();
    void onOk() override;
    void onCompleted(int64_t result) override;
    HSERVICE chosenService() const;

    std::vector<kit::OwnedService> services_;
    platform::HWND service_ = nullptr;
    platform::HWND userName_ = nullptr;
};

} // namespace kestrova::connection
