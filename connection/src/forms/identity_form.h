// "Edit Identity": the nickname and status line others see. "OK" hands both
// to "Connection/SetIdentity" (which does nothing while offline) and
// closes; with either empty it says what is missing and stays.
#pragma once

#include "forms/account_form.h"

namespace kestrova::connection {

class IdentityForm final : public AccountForm {
  public:
    enum Control : uintptr_t { kNickname = 10, kStatusLine = 11 };

    // A new form filled from the account's record; null when it cannot be made.
    static IdentityForm* open();

  private:
    template <typename Screen> friend Screen* openScreen(Screen* screen);

    IdentityForm() = default;
    bool build();
    void onOk() override;

    platform::HWND nickname_ = nullptr;
    platform::HWND statusLine_ = nullptr;
};

} // namespace kestrova::connection
