#include "forms/sign_in_form.h"

#include "forms/open_screen.h"
#include "texts.h"

#include "kestrova/bus.h"
#include "kestrova/bus_records.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/settings.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/window.h"

namespace kestrova::connection {

using namespace kestrova::platform;

namespace {

constexpr size_t kStoredBytes = 127;
constexpr int kFieldCharacters = 128;

void setChecked(HWND box, bool checked) {
    sendMessage(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool isChecked(HWND box) {
    return sendMessage(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

} // namespace

SignInForm* SignInForm::open() {
    return openScreen(new SignInForm);
}

bool SignInForm::build() {
    if (!createAccountForm(texts::kSignInTitle)) return false;
    address_ = fields().addEdit(kit::text(texts::kEmailAddressLabel), 0, kFieldCharacters, kAddress);
    password_ = fields().addEdit(kit::text(texts::kPasswordLabel), ES_PASSWORD, kFieldCharacters, kPassword);
    remember_ = fields().addCheckBox(kit::text(texts::kRememberMe), kRemember);
    automatic_ = fields().addCheckBox(kit::text(texts::kSignInAutomatically), kAutomatic);
    layOut();
    fill();
    setFocus(address_);
    return true;
}

void SignInForm::fill() {
    std::string user = ui::cutToBytes(kit::readSetting(settings::kUser), kStoredBytes);
    std::string password = ui::cutToBytes(kit::readSetting(settings::kPassword), kStoredBytes);
    setWindowText(address_, user);
    setWindowText(password_, password);
    // A stored address without its password means the password was not to
    // be remembered.
    bool remembered = user.empty() == password.empty();
    setChecked(remember_, remembered);
    setChecked(automatic_, remembered && kit::readSetting(settings::kAutoSignIn) != 0);
}

void SignInForm::onOk() {
    std::string user = ui::fieldText(address_, kFieldCharacters);
    std::string password = ui::fieldText(password_, kFieldCharacters);
    if (user.empty() || password.empty()) {
        sayMissing(texts::kNeedUserAndPassword);
        return;
    }
    HSERVICE service = RY_GetPrimaryService();
    kit::ServiceRecord(service).write(kit::ServiceChange().userName(user).password(password));
    kit::writeSetting(settings::kUser, user);
    kit::writeSetting(settings::kPassword, isChecked(remember_) ? password : std::string());
    kit::writeSetting(settings::kAutoSignIn, isChecked(automatic_) ? 1 : 0);
    RY_PresenceStatusArgs online{RY_PRESENCE_ONLINE};
    bus::call(names::kServiceSetPresenceStatus, service, &online);
    RY_ReleaseService(service);
    close();
}

} // namespace kestrova::connection
