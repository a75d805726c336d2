#include "forms/account_forms.h"

#include "connection.h"

#include "kestrova/kit/settings.h"
#include "kestrova/platform/window.h"

namespace kestrova::connection {

AccountForms::AccountForms(bool startedHidden) {
    if (!startedHidden) startup_ = kit::subscribe(names::kCoreStartup, [this] { askAtStart(); });
}

AccountForms::~AccountForms() = default;

void AccountForms::askAtStart() {
    // Nowhere to show a form (a program without windows, such as the harness).
    if (!bus::get(names::kCoreWindowHwnd)) return;
    if (bus::get(names::kConnectionState) != kStateOffline) return;
    if (!kit::readSetting(settings::kUser).empty() && !kit::readSetting(settings::kPassword).empty()) return;
    platform::HWND main = bus::get(names::kCoreWindowHwnd);
    platform::HWND front = platform::foregroundWindow();
    showSignIn();
    // NOTE: a window the program showed before this one (the change log of
    // an update) keeps the front; the form waits behind it.
    if (front && front != main && platform::isWindow(front)) platform::setForegroundWindow(front);
}

void AccountForms::showSignIn() {
    signIn_.open();
}

void AccountForms::showIdentity() {
    identity_.open();
}

} // namespace kestrova::connection
