#include <mutex>

#include "controls/control_procs.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/window.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace detail {

void registerStandardControls() {
    static std::once_flag once;
    std::call_once(once, [] {
        // NOTE: standard controls paint their whole client area, so their
        // classes have no background of their own.
        registerClass({kStaticClass, staticProc, 0, std::nullopt});
        registerClass({kEditClass, editProc, CS_DBLCLKS, std::nullopt});
        registerClass({kCapEditClass, editProc, CS_DBLCLKS, std::nullopt});
        registerClass({kButtonClass, buttonProc, 0, std::nullopt});
        registerClass({kListBoxClass, listBoxProc, CS_DBLCLKS, std::nullopt});
        registerClass({kComboBoxClass, comboBoxProc, 0, std::nullopt});
        registerClass({kDropListClass, dropListProc, 0, 0xFFFFFF});
        registerClass({kScrollBarClass, scrollBarProc, 0, std::nullopt});
        registerClass({kBusyIndicatorClass, busyIndicatorProc, 0, std::nullopt});
    });
}

} // namespace detail

HWND createControl(std::string_view className, std::string_view text, uint32_t style, const Rect& rect,
                   HWND parent, uintptr_t controlId) {
    return createWindow({std::string(className), std::string(text), style | WS_CHILD, rect, parent, nullptr,
                         controlId, nullptr});
}

int currentTab(HWND hwnd) {
    return static_cast<int>(sendMessage(hwnd, TCM_GETCURSEL));
}

LResult notifyTabParent(HWND tabControl, uint32_t code) {
    HWND parent = parentOf(tabControl);
    if (!parent) return 0;
    NotifyHeader header{tabControl, controlIdOf(tabControl), code};
    return sendMessage(parent, WM_NOTIFY, controlIdOf(tabControl), reinterpret_cast<LParam>(&header));
}

} // namespace kestrova::platform
