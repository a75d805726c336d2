// "Sign In": the account's e-mail address and password, whether to remember
// the password and whether to sign in by itself at start. "OK" stores them
// and signs in; without an address or a password it says what is missing
// and stays.
#pragma once

#include "forms/account_form.h"

namespace kestrova::connection {

class SignInForm final : public AccountForm {
  public:
    enum Control : uintptr_t { kAddress = 10, kPassword = 11, kRemember = 12, kAutomatic = 13 };

    // A new form filled from the settings; null when it cannot be made.
    static SignInForm* open();

  private:
    template <typename Screen> friend Screen* openScreen(Screen* screen);

    SignInForm() = default;
    bool build();
    void fill();
    void onOk() override;

    platform::HWND address_ = nullptr;
    platform::HWND password_ = nullptr;
    platform::HWND remember_ = nullptr;
    platform::HWND automatic_ = nullptr;
};

} // namespace kestrova::connection
