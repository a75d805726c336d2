// The status popup menu of the account's own service: the five online
// statuses, the current desired one checked, and the sign-in or identity
// screen depending on the connection state. The shell builds it with
// "Service/%p/CreatePopupMenu", tracks it, and hands the chosen command back
// through "Service/%p/HandlePopupMenu" or, for commands that reach its main
// window, the event "core.window.OnCommand".
#pragma once

#include "kestrova/api.h"

#include "kestrova/kit/bindings.h"
#include "kestrova/platform/messages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kestrova::connection {

class AccountScreens;

class StatusMenu {
public:
    StatusMenu(HSERVICE service, AccountScreens& screens);
    ~StatusMenu();
    StatusMenu(const StatusMenu&) = delete;
    StatusMenu& operator=(const StatusMenu&) = delete;

    // A new menu; the caller destroys it.
    platform::HMENU create() const;
    // 1 when the command opened a screen; 0 for the status commands (carried
    // out) and for commands that are not this menu's.
    int32_t handle(uint32_t command);

private:
    enum Item { kOnline, kAway, kBusy, kInvisible, kOffline, kMyIdentity, kSignInAs, kItemCount };
    std::optional<Item> itemOf(uint32_t command) const;

    HSERVICE service_;
    AccountScreens& screens_;
    // Drawn once, so they never collide with another plug-in's commands.
    std::array<uint32_t, kItemCount> commands_{};
    std::vector<kit::RegisteredFunction> functions_;
    kit::Subscription onCommand_;
};

}  // namespace kestrova::connection
