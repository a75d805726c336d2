#include "status_menu.h"

#include "account_screens.h"
#include "connection.h"
#include "texts.h"

#include "kestrova/bus_records.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/menu.h"

namespace kestrova::connection {
namespace {

struct StatusItem {
    uint32_t text;
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

}  // namespace

StatusMenu::StatusMenu(HSERVICE service, AccountScreens& screens)
    : service_(RY_DuplicateServiceHandle(service)), screens_(screens) {
    for (uint32_t& command : commands_) command = RY_GetLUID();
    functions_.push_back(
        kit::registerFunction(names::kServiceCreatePopupMenu, service_, [this] { return create(); }));
    functions_.push_back(kit::registerFunction(names::kServiceHandlePopupMenu, service_,
                                               [this](uint32_t command) { return handle(command); }));
    onCommand_ = kit::subscribe(names::kCoreWindowOnCommand, [this](uint32_t command) { handle(command); });
}

StatusMenu::~StatusMenu() {
    onCommand_.reset();
    functions_.clear();
    RY_ReleaseService(service_);
}

platform::HMENU StatusMenu::create() const {
    using namespace platform;
    HMENU menu = createPopupMenu();
    int32_t desired = kit::ServiceRecord(service_).read().desiredStatus;
    for (int item = kOnline; item <= kOffline; ++item) {
        const StatusItem& status = kStatusItems[item];
        if (status.separatorBefore) appendMenu(menu, MF_SEPARATOR, 0);
        uint32_t flags = MF_STRING | (status.status == desired ? MF_CHECKED : MF_UNCHECKED);
        appendMenu(menu, flags, commands_[item], kit::text(status.text));
    }
    int32_t state = bus::get(names::kConnectionState);
    if (state == kStateOnline || state == kStateOffline) {
        appendMenu(menu, MF_SEPARATOR, 0);
        if (state == kStateOnline)
            appendMenu(menu, MF_STRING, commands_[kMyIdentity], kit::text(texts::kMenuMyIdentity));
        else
            appendMenu(menu, MF_STRING, commands_[kSignInAs], kit::text(texts::kMenuSignInAs));
    }
    return menu;
}

std::optional<StatusMenu::Item> StatusMenu::itemOf(uint32_t command) const {
    for (int item = 0; item < kItemCount; ++item)
        if (command != 0 && command == commands_[item]) return static_cast<Item>(item);
    return std::nullopt;
}

int32_t StatusMenu::handle(uint32_t command) {
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
    bus::call(names::kServiceSetPresenceStatus, service_, &status);
    return 0;
}

}  // namespace kestrova::connection
