// The sign-in and identity forms behind the AccountScreens seam: each is
// made on first use and brought to the front when asked for again while it
// is open. A user who starts the program without a stored address and
// password is shown the sign-in form once the program has started.
#pragma once

#include "account_screens.h"
#include "forms/identity_form.h"
#include "forms/screen_slot.h"
#include "forms/sign_in_form.h"

#include "kestrova/kit/bindings.h"

namespace kestrova::connection {

class AccountForms final : public AccountScreens {
  public:
    // startedHidden: the program was started without a window to show
    // (then nothing is asked at start).
    explicit AccountForms(bool startedHidden);
    ~AccountForms() override;
    AccountForms(const AccountForms&) = delete;
    AccountForms& operator=(const AccountForms&) = delete;

    void showSignIn() override;
    void showIdentity() override;

    SignInForm* signIn() const { return signIn_.get(); }
    IdentityForm* identity() const { return identity_.get(); }

  private:
    void askAtStart();

    kit::Subscription startup_;
    ScreenSlot<SignInForm> signIn_;
    ScreenSlot<IdentityForm> identity_;
};

} // namespace kestrova::connection
