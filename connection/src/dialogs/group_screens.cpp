#include "dialogs/group_screens.h"

#include "forms/open_screen.h"
#include "texts.h"

#include "kestrova/bus.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/window.h"

namespace kestrova::connection {

using namespace kestrova::platform;

namespace {

constexpr int kNameCharacters = 50;
constexpr int kPasswordCharacters = 20;
constexpr int64_t kNoSuchGroup = 2;
constexpr int64_t kInUse = 11;
constexpr int64_t kAccessDenied = 13;
constexpr int64_t kDisconnected = 100;

enum CreateStep : int { kCreateInput = 0, kCreatePending = 1, kCreated = 2 };
enum JoinStep : int { kJoinInput = 0, kJoinPending = 1, kJoinPassword = 2, kJoined = 3 };

// Group requests go to the account's own service, and only while it is
// online; null when it is not.
kit::OwnedService onlinePrimaryService() {
    kit::OwnedService service(RY_GetPrimaryService());
    if (!service || kit::ServiceRecord(service.get()).read().presence == RY_PRESENCE_OFFLINE) return {};
    return service;
}

} // namespace

// --- Create a Group -------------------------------------------------------

CreateGroupScreen* CreateGroupScreen::open() {
    return openScreen(new CreateGroupScreen);
}

bool CreateGroupScreen::build() {
    if (!createWizard(texts::kCreateGroupTitle, texts::kEnterGroupName)) return false;
    name_ = fields().addEdit(kit::text(texts::kGroupNameLabel), 0, kNameCharacters, kName);
    layOut();
    setFocus(name_);
    return true;
}

void CreateGroupScreen::onOk() {
    if (step == kCreated) {
        close();
        return;
    }
    if (step != kCreateInput) return;
    std::string name = ui::fieldText(name_, kNameCharacters);
    if (name.empty()) {
        say(texts::kNoGroupName, texts::kCreateGroupCaption, true);
        return;
    }
    kit::OwnedService service = onlinePrimaryService();
    if (!service) {
        say(texts::kNotConnectedToService, texts::kNotConnectedCaption, true);
        return;
    }
    RY_CreateGroupArgs request{sizeof(RY_CreateGroupArgs), name.c_str(), completion(), completionContext()};
    showPending(texts::kGroupBeingCreated, kCreatePending);
    bus::call(names::kServiceCreateGroup, service.get(), &request);
}

void CreateGroupScreen::onCompleted(int64_t result) {
    if (result == 0) {
        step = kCreated;
        showFinish();
        setHeader(texts::kGroupCreated);
        setBody(texts::kGroupCreatedBody);
        return;
    }
    step = kCreateInput;
    fields().enable(true);
    if (result == kInUse)
        setHeader(texts::kGroupInUse);
    else if (result == kDisconnected)
        setHeader(texts::kDisconnectedDot);
}

// --- Join a Group ---------------------------------------------------------

JoinGroupScreen* JoinGroupScreen::open() {
    return openScreen(new JoinGroupScreen);
}

bool JoinGroupScreen::build() {
    if (!createWizard(texts::kJoinGroupTitle, texts::kChooseGroup)) return false;
    buildFields("");
    return true;
}

void JoinGroupScreen::buildFields(const std::string& name) {
    fields().clear();
    name_ = fields().addEdit(kit::text(texts::kGroupNameLabel), 0, kNameCharacters, kName);
    setWindowText(name_, name);
    password_ = nullptr;
    if (step == kJoinPassword) {
        enableWindow(name_, false);
        password_ =
            fields().addEdit(kit::text(texts::kPasswordLabel), ES_PASSWORD, kPasswordCharacters, kPassword);
    }
    layOut();
    setFocus(password_ ? password_ : name_);
}

void JoinGroupScreen::onOk() {
    if (step == kJoined) {
        close();
        return;
    }
    if (step != kJoinInput && step != kJoinPassword) return;
    std::string name = ui::fieldText(name_, kNameCharacters);
    std::string password = password_ ? ui::fieldText(password_, kPasswordCharacters) : std::string();
    if (name.empty()) {
        say(texts::kNoGroupName, texts::kJoinGroupCaption, true);
        return;
    }
    kit::OwnedService service = onlinePrimaryService();
    if (!service) {
        say(texts::kNotConnectedToService, texts::kNotConnectedCaption, true);
        return;
    }
    RY_GroupSubscribeArgs request{sizeof(RY_GroupSubscribeArgs), name.c_str(), password.c_str(), completion(),
                                  completionContext()};
    lastName_ = name;
    showPending(texts::kPleaseWait, kJoinPending);
    bus::call(names::kServiceGroupSubscribe, service.get(), &request);
}

void JoinGroupScreen::onCompleted(int64_t result) {
    if (result == 0) {
        step = kJoined;
        showFinish();
        setHeader(texts::kGroupJoined);
        setBody(texts::kGroupJoinedBody);
        return;
    }
    step = result == kAccessDenied ? kJoinPassword : kJoinInput;
    buildFields(lastName_);
    if (result == kNoSuchGroup)
        setHeader(texts::kNoSuchGroup);
    else if (result == kInUse)
        setHeader(texts::kAlreadyInGroup);
    else if (result == kAccessDenied)
        setHeader(texts::kAccessDenied);
    else if (result == kDisconnected)
        setHeader(texts::kDisconnected);
}

} // namespace kestrova::connection
