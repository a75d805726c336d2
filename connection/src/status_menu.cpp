#include "status_menu.h"

#include "account_screens.h"
#include "connection.h"
#include "service_texts.h"

#include "kestrova/bus_records.h"
#include "kestrova/platform/menu.h"

namespace kestrova::connection {
namespace {

struct StatusItem {
    const char* text;
    int32_t status;
    bool separatorBefore;
};

// In menu order; the index is the StatusMenu::Item.
constexpr StatusItem kStatusItems[] = {
    {texts::kMenuOnline, RY_PRESENCE_ONLINE, false},
    {texts::kMenuAway, RY_PRESENCE_AWAY, true},
    {texts::kMenuBusy, RY_PRESENCE_BUSY, false},
    {texts::kMenuInvisible, RY_PRESENCE_INVISIBLE, false},
    {texts::kMenuOffline, RY_PRESENCE_OFFLINE, true},
};

int32_t desiredStatusOf(HSERVICE service) {
    RY_ServiceData data{};
    data.size = sizeof data;
    RY_GetServiceData(service, &data);
    return data.connectionState;
}

}  // namespace

StatusMenu::StatusMenu(HSERVICE service, AccountScreens& screens)
    : service_(RY_DuplicateServiceHandle(service)), screens_(screens) {
    for (uint32_t& command : commands_) command = RY_GetLUID();
    functions_.emplace_back(serviceFunctionName(service_, kestrova::names::kServiceCreatePopupMenu),
                            &StatusMenu::createProc, this);
    functions_.emplace_back(serviceFunctionName(service_, kestrova::names::kServiceHandlePopupMenu),
                            &StatusMenu::handleProc, this);
    onCommand_ = EventSubscription(kestrova::names::kCoreWindowOnCommand, &StatusMenu::onCommand, this);
}

StatusMenu::~StatusMenu() {
    onCommand_ = EventSubscription();
    functions_.clear();
    RY_ReleaseService(service_);
}

platform::HMENU StatusMenu::create() const {
    using namespace platform;
    HMENU menu = createPopupMenu();
    int32_t desired = desiredStatusOf(service_);
    for (int item = kOnline; item <= kOffline; ++item) {
        const StatusItem& status = kStatusItems[item];
        if (status.separatorBefore) appendMenu(menu, MF_SEPARATOR, 0);
        uint32_t flags = MF_STRING | (status.status == desired ? MF_CHECKED : MF_UNCHECKED);
        appendMenu(menu, flags, commands_[item], status.text);
    }
    int32_t state = RY_GetVariantLong(kestrova::names::kConnectionState);
    if (state == kStateOnline || state == kStateOffline) {
        appendMenu(menu, MF_SEPARATOR, 0);
        if (state == kStateOnline)
            appendMenu(menu, MF_STRING, commands_[kMyIdentity], texts::kMenuMyIdentity);
        else
            appendMenu(menu, MF_STRING, commands_[kSignInAs], texts::kMenuSignInAs);
    }
    return menu;
}

std::optional<StatusMenu::Item> StatusMenu::itemOf(uintptr_t command) const {
    for (int item = 0; item < kItemCount; ++item)
        if (command != 0 && command == commands_[item]) return static_cast<Item>(item);
    return std::nullopt;
}

intptr_t StatusMenu::handle(uintptr_t command) {
    std::optional<Item> item = itemOf(command);
    if (!item) return 0;
    if (*item == kMyIdentity) {
        screens_.showIdentity();
        return 1;
    }
    if (*item == kSignInAs) {
        screens_.showSignIn();
        return 1;
    }
    RY_PresenceStatusArgs status{kStatusItems[*item].status};
    RY_CallFunction(serviceFunctionName(service_, kestrova::names::kServiceSetPresenceStatus).c_str(), &status);
    return 0;
}

intptr_t StatusMenu::createProc(void* context, void*) {
    return reinterpret_cast<intptr_t>(static_cast<StatusMenu*>(context)->create());
}

intptr_t StatusMenu::handleProc(void* context, void* argument) {
    return static_cast<StatusMenu*>(context)->handle(reinterpret_cast<uintptr_t>(argument));
}

intptr_t StatusMenu::onCommand(void* user, void* data, void*, HSUBSCRIPTION) {
    static_cast<StatusMenu*>(user)->handle(reinterpret_cast<uintptr_t>(data));
    return 0;
}

}  // namespace kestrova::connection
