// "Add a Service": first the network (a list of the service types), then
// the account's fields for it; "Finish" hands them to the type's
// registration and closes. The answer comes later, from the registration.
#pragma once

#include "dialogs/account_fields.h"
#include "dialogs/wizard_screen.h"

#include <vector>

namespace kestrova::connection {

class AddServiceScreen final : public WizardScreen {
  public:
    enum Control : uintptr_t { kTypeList = 10, kFirstField = 20 };

    static AddServiceScreen* open();

  private:
    template <typename Screen> friend Screen* openScreen(Screen* screen);

    AddServiceScreen() = default;
    bool build();
    void onOk() override;
    void onCompleted(int64_t) override {}
    void showAccountFields();
    void registerAccount();

    std::vector<HSERVICETYPE> types_;
    platform::HWND list_ = nullptr;
    HSERVICETYPE chosen_ = nullptr;
    std::string chosenName_;
    std::vector<AccountField> accountFields_;
    std::vector<platform::HWND> edits_;
};

} // namespace kestrova::connection
