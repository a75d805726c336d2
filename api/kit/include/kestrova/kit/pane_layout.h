// The main window's layout of child panes, published as the variant
// "core.window.layout" so that plug-ins can place panes in the main window:
//
//   kit::PaneLayout* layout = bus::get(names::kCoreWindowLayout);
//   layout->addFill(myPane);
//
// A pane is placed by its four edges, each in pixels or in percent of the
// owner's client extent; a negative edge counts back from the far side. Bars
// at the top and bottom grow the margins that fill panes keep clear of. The
// focus order (for the dialog keys) is every tab-stop pane, top to bottom and
// then left to right, rebuilt by each relayout.
//
// The kit is linked into every module, so each module runs the same code on
// the one layout the shell owns.
#pragma once

#include "kestrova/platform/geometry.h"
#include "kestrova/platform/messages.h"

#include <cstdint>
#include <map>
#include <vector>

namespace kestrova::kit {

struct PanePlacement {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    uint8_t topPercent = 0;
    uint8_t leftPercent = 0;
    uint8_t rightPercent = 0;
    uint8_t bottomPercent = 0;
    uint8_t topBar = 0;     // the pane's height is counted in the top margin
    uint8_t bottomBar = 0;  // ... in the bottom margin
};

// Where a placement puts a pane in a client area of width by height, before
// any scrolling.
platform::Rect placementRect(const PanePlacement& placement, int32_t width, int32_t height);

class PaneLayout {
public:
    explicit PaneLayout(platform::HWND owner = nullptr) : owner_(owner) {}
    PaneLayout(const PaneLayout&) = delete;
    PaneLayout& operator=(const PaneLayout&) = delete;

    platform::HWND owner() const { return owner_; }
    void setOwner(platform::HWND owner) { owner_ = owner; }

    // A bar across the top: the top margin grows by height, the pane is
    // placed at 0..height over the whole width; then relayout.
    void addTopBar(platform::HWND pane, int32_t height);
    // A bar across the bottom, above the bars already there: the bottom
    // margin grows by height; then relayout.
    void addBottomBar(platform::HWND pane, int32_t height);
    // A pane that fills the area inside the margins; then relayout.
    void addFill(platform::HWND pane);
    // Inserts or replaces the pane's placement; the caller lays out again.
    void insert(platform::HWND pane, const PanePlacement& placement);
    // Takes the pane out and gives its bar's height back to its margin. A pane
    // not in the layout changes nothing; the caller lays out again.
    void remove(platform::HWND pane);
    // Moves every pane to its place in the owner's client area, placed panes
    // shifted up by the owner's vertical scroll position, and rebuilds the
    // focus order.
    void relayout();
    // The nearest enabled, visible pane after (or before) current in the
    // focus order; current itself when there is none or current is not in
    // it (no wrapping); null when the focus order is empty.
    platform::HWND nextFocus(platform::HWND current, bool backwards) const;

    const std::map<platform::HWND, PanePlacement>& panes() const { return panes_; }
    int32_t marginLeft() const { return marginLeft_; }
    int32_t marginTop() const { return marginTop_; }
    int32_t marginRight() const { return marginRight_; }
    int32_t marginBottom() const { return marginBottom_; }
    const std::vector<platform::HWND>& focusOrder() const { return focusOrder_; }

private:
    void rebuildFocusOrder();

    platform::HWND owner_ = nullptr;
    std::map<platform::HWND, PanePlacement> panes_;
    int32_t marginLeft_ = 0;
    int32_t marginTop_ = 0;
    int32_t marginRight_ = 0;
    int32_t marginBottom_ = 0;
    std::vector<platform::HWND> focusOrder_;
};

}  // namespace kestrova::kit
