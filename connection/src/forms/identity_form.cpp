#include "forms/identity_form.h"

#include "forms/open_screen.h"
#include "texts.h"

#include "kestrova/bus.h"
#include "kestrova/bus_records.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/window.h"

namespace kestrova::connection {

using namespace kestrova::platform;

namespace {

constexpr int kFieldCharacters = 50;

} // namespace

IdentityForm* IdentityForm::open() {
    return openScreen(new IdentityForm);
}

bool IdentityForm::build() {
    if (!createAccountForm(texts::kIdentityTitle)) return false;
    nickname_ = fields().addEdit(kit::text(texts::kNicknameLabel), 0, kFieldCharacters, kNickname);
    statusLine_ = fields().addEdit(kit::text(texts::kStatusLineLabel), 0, kFieldCharacters, kStatusLine);
    layOut();
    kit::ServiceFields account = kit::readPrimaryService();
    setWindowText(nickname_, account.nickname);
    setWindowText(statusLine_, account.statusText);
    setFocus(nickname_);
    setEditSelection(nickname_, 0, -1);
    return true;
}

void IdentityForm::onOk() {
    std::string nickname = ui::fieldText(nickname_, kFieldCharacters);
    std::string statusLine = ui::fieldText(statusLine_, kFieldCharacters);
    if (nickname.empty() || statusLine.empty()) {
        sayMissing(texts::kNeedNicknameAndStatus);
        return;
    }
    RY_IdentityArgs identity{nickname.c_str(), statusLine.c_str()};
    bus::call(names::kConnectionSetIdentity, &identity);
    close();
}

} // namespace kestrova::connection
