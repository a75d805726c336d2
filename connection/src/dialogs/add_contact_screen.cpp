#include "dialogs/add_contact_screen.h"

#include "dialogs/service_label.h"
#include "forms/open_screen.h"
#include "texts.h"

#include "kestrova/bus.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/window.h"

namespace kestrova::connection {

using namespace kestrova::platform;

namespace {

constexpr uint32_t kMaxServices = 256;
constexpr size_t kUserNameCharacters = 128;
enum Step : int { kInput = 0, kPending = 1, kDone = 2 };

} // namespace

AddContactScreen* AddContactScreen::open() {
    return openScreen(new AddContactScreen);
}

bool AddContactScreen::build() {
    if (!createWizard(texts::kAddContactTitle, texts::kChooseContact)) return false;
    service_ = fields().addDropDownList(kit::text(texts::kContactServiceLabel), kService);
    userName_ = fields().addEdit(kit::text(texts::kContactUsernameLabel), 0, 0, kUserName);
    std::vector<HSERVICE> handles(kMaxServices);
    uint32_t count = kMaxServices;
    RY_GetServices(handles.data(), &count);
    for (uint32_t i = 0; i < count; ++i) {
        services_.emplace_back(handles[i]);
        sendMessage(service_, CB_ADDSTRING, 0, reinterpret_cast<LParam>(serviceLabel(handles[i]).c_str()));
    }
    sendMessage(service_, CB_SETCURSEL, 0, 0);
    layOut();
    setFocus(userName_);
    return true;
}

HSERVICE AddContactScreen::chosenService() const {
    auto index = static_cast<intptr_t>(sendMessage(service_, CB_GETCURSEL, 0, 0));
    if (index < 0 || static_cast<size_t>(index) >= services_.size()) return nullptr;
    return services_[static_cast<size_t>(index)].get();
}

void AddContactScreen::onOk() {
    if (step == kDone) {
        close();
        return;
    }
    if (step != kInput) return;
    HSERVICE service = chosenService();
    if (!service || !bus::provided(names::kServiceAddContact, service)) {
        say(texts::kUnsupportedFunction, texts::kUnsupportedCaption, true);
        return;
    }
    if (kit::ServiceRecord(service).read().presence == RY_PRESENCE_OFFLINE) {
        say(texts::kNotConnectedToService, texts::kNotConnectedCaption, true);
        return;
    }
    std::string userName = ui::fieldText(userName_, kUserNameCharacters);
    if (userName.empty()) {
        say(texts::kNoUsername, texts::kAddContactCaption, true);
        return;
    }
    const std::string& message = kit::text(texts::kAddContactMessage);
    RY_AddContactArgs request{sizeof(RY_AddContactArgs), userName.c_str(), message.c_str(), completion(),
                              completionContext()};
    showPending(texts::kPleaseWait, kPending);
    bus::call(names::kServiceAddContact, service, &request);
}

void AddContactScreen::onCompleted(int64_t result) {
    if (result == 0) {
        step = kDone;
        showFinish();
        setHeader(texts::kContactAdded);
        setBody(texts::kContactAddedBody);
        return;
    }
    step = kInput;
    fields().enable(true);
    if (result == 2)
        setHeader(texts::kNoSuchUser);
    else if (result == 12)
        setHeader(texts::kContactExists);
    else if (result == 100)
        setHeader(texts::kDisconnected);
}

} // namespace kestrova::connection
