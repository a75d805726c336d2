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

// In menu order.
constexpr StatusItem kStatusItems[] = {
    {texts::kMenuOnline, RY_PRESENCE_ONLINE, false},
    {texts::kMenuAway, RY_PRESENCE_AWAY, true},
    {texts::kMenuBusy, RY_PRESENCE_BUSY, false},
    {texts::kMenuInvisible, RY_PRESENCE_INVISIBLE, false},
    {texts::kMenuOffline, RY_PRESENCE_OFFLINE, true},
};

bool inState(int32_t state) { return bus::get(names::kConnectionState) == state; }

}  // namespace

StatusMenu::StatusMenu(HSERVICE service, std::vector<Extra> extras)
    : service_(RY_DuplicateServiceHandle(service)), extras_(std::move(extras)) {
    static_assert(std::size(kStatusItems) == kStatusCount);
    for (uint32_t& command : statusCommands_) command = RY_GetLUID();
    for (size_t i = 0; i < extras_.size(); ++i) extraCommands_.push_back(RY_GetLUID());
    functions_.push_back(
        kit::registerFunction(names::kServiceCreatePopupMenu, service_, [this] { return create(); }));
    functions_.push_back(kit::registerFunction(names::kServiceHandlePopupMenu, service_,
                                               [this](uint32_t command) { return handle(command); }));
    onCommand_ = kit::subscribe(names::kCoreWindowOnCommand, [this](uint32_t command) { handle(command); });
}

StatusMenu::StatusMenu(HSERVICE service, AccountScreens& screens)
    : StatusMenu(service, {
                              {texts::kMenuMyIdentity, [] { return inState(kStateOnline); },
                               [&screens] { screens.showIdentity(); }},
                              {texts::kMenuSignInAs, [] { return inState(kStateOffline); },
                               [&screens] { screens.showSignIn(); }},
                          }) {}

StatusMenu::~StatusMenu() {
    onCommand_.reset();
    functions_.clear();
    RY_ReleaseService(service_);
}

platform::HMENU StatusMenu::create() const {
    using namespace platform;
    HMENU menu = createPopupMenu();
    int32_t desired = kit::ServiceRecord(service_).read().desiredStatus;
    for (size_t item = 0; item < kStatusCount; ++item) {
        const StatusItem& status = kStatusItems[item];
        if (status.separatorBefore) appendMenu(menu, MF_SEPARATOR, 0);
        uint32_t flags = MF_STRING | (status.status == desired ? MF_CHECKED : MF_UNCHECKED);
        appendMenu(menu, flags, statusCommands_[item], kit::text(status.text));
    }
    bool separated = false;
    for (size_t i = 0; i < extras_.size(); ++i) {
        if (extras_[i].shown && !extras_[i].shown()) continue;
        if (!std::exchange(separated, true)) appendMenu(menu, MF_SEPARATOR, 0);
        appendMenu(menu, MF_STRING, extraCommands_[i], kit::text(extras_[i].text));
    }
    return menu;
}

int32_t StatusMenu::handle(uint32_t command) {
    if (command == 0) return 0;
    for (size_t item = 0; item < kStatusCount; ++item) {
        if (command != statusCommands_[item]) continue;
        RY_PresenceStatusArgs status{kStatusItems[item].status};
        bus::call(names::kServiceSetPresenceStatus, service_, &status);
        return 0;
    }
    for (size_t i = 0; i < extras_.size(); ++i) {
        if (command != extraCommands_[i]) continue;
        // A copy: what it does may take this menu down (a removed service).
        std::function<void()> chosen = extras_[i].chosen;
        if (chosen) chosen();
        return 1;
    }
    return 0;
}

}  // namespace kestrova::connection
