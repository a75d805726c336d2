#include "alerts.h"

#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/platform/message_box.h"

namespace kestrova::connection {

void WindowAlerts::showError(const std::string& caption, const std::string& text) {
    platform::HWND owner = bus::get(names::kCoreWindowHwnd);
    platform::messageBox(owner, text, caption, platform::MB_OK | platform::MB_ICONERROR);
}

}  // namespace kestrova::connection
