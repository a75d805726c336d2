#include "dialogs/add_service_screen.h"

#include "dialogs/service_label.h"
#include "forms/open_screen.h"
#include "texts.h"

#include "kestrova/bus.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

namespace kestrova::connection {

using namespace kestrova::platform;

namespace {

constexpr uint32_t kMaxTypes = 16;
// What a register record's value holds (64 bytes).
constexpr int kFieldCharacters = 64;
enum Step : int { kChooseType = 0, kAccountDetails = 2 };

} // namespace

AddServiceScreen* AddServiceScreen::open() {
    return openScreen(new AddServiceScreen);
}

bool AddServiceScreen::build() {
    if (!createWizard(texts::kAddServiceTitle, texts::kSelectServiceType)) return false;
    list_ = fields().addListBox(kTypeList);
    types_.resize(kMaxTypes);
    uint32_t count = kMaxTypes;
    RY_GetServiceTypes(types_.data(), &count);
    types_.resize(count);
    // Two lines a row (the field stack's list is that tall): the short name,
    // then the display name in grey; the type's icon before them.
    for (HSERVICETYPE type : types_) {
        int row = addItem(list_, serviceTypeShortName(type) + "\n" + serviceTypeDisplayName(type));
        if (platform::IconPtr icon = serviceTypeIcon(type, smallIconSize()))
            sendMessage(list_, LB_SETITEMICON, static_cast<WParam>(row), reinterpret_cast<LParam>(icon.get()));
    }
    layOut();
    setFocus(list_);
    return true;
}

void AddServiceScreen::onOk() {
    if (step == kChooseType) {
        auto index = static_cast<intptr_t>(sendMessage(list_, LB_GETCURSEL, 0, 0));
        if (index < 0 || static_cast<size_t>(index) >= types_.size()) return;
        chosen_ = types_[static_cast<size_t>(index)];
        chosenName_ = serviceTypeShortName(chosen_);
        showAccountFields();
    } else if (step == kAccountDetails) {
        registerAccount();
    }
}

void AddServiceScreen::showAccountFields() {
    fields().clear();
    list_ = nullptr;
    setHeader(texts::kEnterAccountDetails);
    step = kAccountDetails;
    accountFields_ = accountFieldsFor(chosenName_);
    uintptr_t id = kFirstField;
    for (const AccountField& field : accountFields_) {
        HWND edit = fields().addEdit(field.name, field.hidden ? ES_PASSWORD : 0, kFieldCharacters, id++);
        setWindowText(edit, field.preset);
        edits_.push_back(edit);
    }
    setSoftKeyLabel(hwnd(), 0, kit::text(texts::kSoftKeyFinish));
    layOut();
    if (!edits_.empty()) setFocus(edits_.front());
}

void AddServiceScreen::registerAccount() {
    std::vector<std::string> values;
    for (HWND edit : edits_)
        values.push_back(ui::fieldText(edit, kFieldCharacters));
    std::optional<RY_ServiceTypeRegistration> record =
        registrationRecord(chosen_, chosenName_, accountFields_, values);
    if (!record) {
        say(texts::kRequiredFieldMissing, texts::kMissingField, false);
        return;
    }
    if (kit::readPrimaryService().presence == RY_PRESENCE_OFFLINE) {
        say(texts::kNotSignedIn, texts::kRegistrationCaption, false);
        return;
    }
    bus::call(names::kServiceTypeRegister, chosen_, &*record);
    close();
}

} // namespace kestrova::connection
