// The status popup menu of a service: the five online statuses with the
// current desired one checked, then the service's own items behind a
// separator. The account's own menu offers the sign-in screen while offline
// and the identity screen while online; a bridged account's offers "Remove
// Service...". The shell builds it with "Service/%p/CreatePopupMenu", tracks
// it, and hands the chosen command back through "Service/%p/HandlePopupMenu"
// or, for commands that reach its main window, the event
// "core.window.OnCommand".
#pragma once

#include "kestrova/api.h"

#include "kestrova/kit/bindings.h"
#include "kestrova/platform/messages.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kestrova::connection {

class AccountScreens;

class StatusMenu {
public:
    // An item after the statuses: shown while `shown` says so (always when
    // it is empty); `chosen` carries it out (a screen or a question).
    struct Extra {
        uint32_t text;
        std::function<bool()> shown;
        std::function<void()> chosen;
    };

    StatusMenu(HSERVICE service, std::vector<Extra> extras);
    // The account's own menu.
    StatusMenu(HSERVICE service, AccountScreens& screens);
    ~StatusMenu();
    StatusMenu(const StatusMenu&) = delete;
    StatusMenu& operator=(const StatusMenu&) = delete;

    // A new menu; the caller destroys it.
    platform::HMENU create() const;
    // 1 when the command was one of the extra items (a screen); 0 for the
    // status commands (carried out) and for commands that are not this menu's.
    int32_t handle(uint32_t command);

private:
    static constexpr size_t kStatusCount = 5;

    HSERVICE service_;
    std::vector<Extra> extras_;
    // Drawn once, so they never collide with another plug-in's commands:
    // the statuses first, then one per extra item.
    std::array<uint32_t, kStatusCount> statusCommands_{};
    std::vector<uint32_t> extraCommands_;
    std::vector<kit::RegisteredFunction> functions_;
    kit::Subscription onCommand_;
};

}  // namespace kestrova::connection
