// The strip at the bottom of the main window: the connection state, the
// user's name with the presence they chose, their status line or the unread
// count, and the account's status menu behind it. It follows
// "connection.state", "messages.unread" and the primary service, and runs a
// progress animation while the connection is on its way.
//
// Its window text is what it shows, first line and second line joined by a
// line break, so that automation reads the strip as a user does.
#pragma once

#include <map>
#include <memory>

#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "kestrova/platform/icon.h"
#include "kestrova/ui/window_base.h"
#include "status_strip/status_content.h"

namespace kestrova::shell {

using platform::HWND;
using platform::LResult;

class StatusStrip : public ui::WindowBase {
  public:
    // A child of the main window, placed by the caller; null when it cannot be made.
    static std::unique_ptr<StatusStrip> create(HWND parent);
    // The strip's height on a screen of this many dots per inch.
    static int heightFor(int dpi) { return dpi * 2 / 5; }
    ~StatusStrip() override;

    bool animating() const { return animating_; }
    int frame() const { return frame_; }

    void onPaint(HWND hwnd) override;
    void onTimer(HWND hwnd, uintptr_t timerId) override;
    void onContextMenu(HWND hwnd, HWND target, int x, int y) override;
    void onLeftButtonDown(HWND hwnd, bool doubleClick, int x, int y, uint32_t keys) override;
    void onKey(HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) override;
    LResult onGetDialogCode(HWND hwnd, const platform::Msg* message) override;
    void onSetFocus(HWND hwnd, HWND oldFocus) override;
    void onKillFocus(HWND hwnd, HWND newFocus) override;
    void onDestroy(HWND hwnd) override;

  private:
    StatusStrip() = default;
    StripContent content() const;
    // Something the strip shows changed: its text follows and it repaints.
    void refresh();
    void followState(int32_t state);
    void showStatusMenu(platform::Point screenPoint);
    void paintIcon(platform::DeviceContext& dc, StripIcon icon, const platform::Rect& cell);

    bool animating_ = false;
    int frame_ = 0;
    kit::OwnedService primary_;
    kit::Subscription onPrimary_;
    kit::Subscription onState_;
    kit::Subscription onUnread_;
    // Loaded at the size the strip draws them, on first use.
    std::map<StripIcon, platform::IconPtr> icons_;
};

} // namespace kestrova::shell
