// The sign-in and identity forms, driven as a user would.
#include "connection_fixture.h"

#include "forms/account_forms.h"

#include "kestrova/bus.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/settings.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

using namespace kestrova;
using namespace kestrova::connection;
using namespace kestrova::platform;

namespace {

class AccountFormsTest : public ConnectionTest {
  protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        primary_.reset(RY_GetPrimaryService());
        functions_.push_back(kit::registerFunction(names::kServiceSetPresenceStatus, primary_.get(),
                                                   [this](const RY_PresenceStatusArgs* a) {
                                                       statuses_.push_back(a->status);
                                                       return 1;
                                                   }));
        functions_.push_back(
            kit::registerFunction(names::kConnectionSetIdentity, [this](const RY_IdentityArgs* a) {
                identities_.push_back(std::string(a->nickname) + "/" + a->statusLine);
                return 0;
            }));
    }
    void TearDown() override {
        forms_.reset();
        functions_.clear();
        primary_.reset();
        ConnectionTest::TearDown();
    }
    static void pump() {
        pumpPendingMessages();
        pumpPendingMessages();
    }
    static bool checked(HWND box) { return sendMessage(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    static void ok(HWND form) {
        pressSoftKey(form, 0);
        pump();
    }
    HWND openSignIn() {
        forms_->showSignIn();
        pump();
        return forms_->signIn() ? forms_->signIn()->hwnd() : nullptr;
    }
    std::string lastBox() const {
        if (answers_.asked().empty()) return "";
        return answers_.asked().back().caption + ": " + answers_.asked().back().text;
    }

    kit::OwnedService primary_;
    std::unique_ptr<AccountForms> forms_ = std::make_unique<AccountForms>(true);
    std::vector<kit::RegisteredFunction> functions_;
    std::vector<int32_t> statuses_;
    std::vector<std::string> identities_;
    ModalAnswers answers_{true};
};

} // namespace

TEST_F(AccountFormsTest, AnAddressWithoutItsPasswordWasNotRemembered) {
    kit::writeSetting(settings::kUser, "ann@example.org");
    HWND form = openSignIn();
    ASSERT_TRUE(form);
    EXPECT_EQ(windowText(childById(form, SignInForm::kAddress)), "ann@example.org");
    EXPECT_FALSE(checked(childById(form, SignInForm::kRemember)));
    EXPECT_FALSE(checked(childById(form, SignInForm::kAutomatic)));

    ok(form);
    EXPECT_EQ(lastBox(), "Missing Information: You must enter a user name and a password");
    EXPECT_TRUE(isWindow(form));
    EXPECT_TRUE(statuses_.empty());

    // Signing in without "Remember me.": the typed password signs in but is not kept.
    setWindowText(childById(form, SignInForm::kPassword), "pw");
    ok(form);
    EXPECT_EQ(statuses_, std::vector<int32_t>{RY_PRESENCE_ONLINE});
    EXPECT_EQ(kit::ServiceRecord(primary_.get()).read().password, "pw");
    EXPECT_EQ(kit::readSetting(settings::kPassword), "");
    EXPECT_EQ(kit::readSetting(settings::kAutoSignIn), 0);
    EXPECT_FALSE(isWindow(form));
    EXPECT_EQ(forms_->signIn(), nullptr);
}

TEST_F(AccountFormsTest, ARememberedPasswordIsStoredAndSignsInByItselfNextTime) {
    kit::writeSetting(settings::kUser, "ann@example.org");
    kit::writeSetting(settings::kPassword, "old");
    HWND form = openSignIn();
    ASSERT_TRUE(form);
    EXPECT_TRUE(checked(childById(form, SignInForm::kRemember)));
    EXPECT_TRUE(checked(childById(form, SignInForm::kAutomatic)));
    EXPECT_EQ(openSignIn(), form) << "one form, brought to the front again";
    setWindowText(childById(form, SignInForm::kPassword), "new");
    ok(form);
    EXPECT_EQ(kit::readSetting(settings::kPassword), "new");
    EXPECT_EQ(kit::readSetting(settings::kAutoSignIn), 1);
}

TEST_F(AccountFormsTest, WithoutStoredCredentialsTheProgramAsksAtStartButNotWhenHidden) {
    HWND host = createWindow({.className = kStaticClass, .title = "host", .style = WS_VISIBLE});
    bus::set(names::kCoreWindowHwnd, host);
    bus::raise(names::kCoreStartup);
    EXPECT_EQ(forms_->signIn(), nullptr) << "started hidden: nothing asked";

    forms_ = std::make_unique<AccountForms>(false);
    bus::raise(names::kCoreStartup);
    pump();
    ASSERT_NE(forms_->signIn(), nullptr);
    EXPECT_TRUE(isVisible(forms_->signIn()->hwnd()));
    forms_.reset();
    EXPECT_TRUE(topLevelWindows().size() >= 1);
    destroyWindow(host);
    bus::set(names::kCoreWindowHwnd, static_cast<HWND>(nullptr));
}

TEST_F(AccountFormsTest, TheIdentityFormTakesFiftyCharactersAndNeedsBothTexts) {
    kit::ServiceRecord(primary_.get()).write(kit::ServiceChange().nickname("Ann").statusText("here"));
    forms_->showIdentity();
    pump();
    ASSERT_TRUE(forms_->identity());
    HWND form = forms_->identity()->hwnd();
    HWND nickname = childById(form, IdentityForm::kNickname);
    EXPECT_EQ(windowText(nickname), "Ann");
    EXPECT_EQ(focusWindow(), nickname);

    typeText(std::string(51, 'n')); // replaces the selected nickname
    pump();
    EXPECT_EQ(windowText(nickname), std::string(50, 'n'));
    setWindowText(childById(form, IdentityForm::kStatusLine), "");
    ok(form);
    EXPECT_EQ(lastBox(), "Missing Information: You must enter a nickname and status");
    setWindowText(childById(form, IdentityForm::kStatusLine), "away");
    ok(form);
    EXPECT_EQ(identities_, std::vector<std::string>{std::string(50, 'n') + "/away"});
    EXPECT_FALSE(isWindow(form)) << "the form closes even when offline";
}
