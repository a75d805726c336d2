#include "forms/account_forms.h"

#include "connection.h"
#include "forms/identity_form.h"
#include "forms/sign_in_form.h"

#include "kestrova/kit/settings.h"
#include "kestrova/platform/window.h"

namespace kestrova::connection {

AccountForms::AccountForms(bool startedHidden) {
    if (!startedHidden) startup_ = kit::subscribe(names::kCoreStartup, [this] { askAtStart(); });
}

AccountForms::~AccountForms() {
    startup_.reset();
    // The forms are windows of the main window's; they must not outlive the
    // plug-in whose code they run.
    if (signIn_) platform::destroyWindow(signIn_->hwnd());
    if (identity_) platform::destroyWindow(identity_->hwnd());
}

void AccountForms::askAtStart() {
    // Nowhere to show a form (a program without windows, such as the harness).
    if (!bus::get(names::kCoreWindowHwnd)) return;
    if (bus::get(names::kConnectionState) != kStateOffline) return;
    if (kit::readSetting(settings::kUser).empty() || kit::readSetting(settings::kPassword).empty()) showSignIn();
}

void AccountForms::showSignIn() {
    if (signIn_) {
        signIn_->bringToFront();
        return;
    }
    signIn_ = SignInForm::open();
    if (signIn_) signIn_->setOnGone([this] { signIn_ = nullptr; });
}

void AccountForms::showIdentity() {
    if (identity_) {
        identity_->bringToFront();
        return;
    }
    identity_ = IdentityForm::open();
    if (identity_) identity_->setOnGone([this] { identity_ = nullptr; });
}

}  // namespace kestrova::connection
