#include "kestrova/kit/pane_layout.h"

#include "kestrova/platform/scroll.h"
#include "kestrova/platform/window.h"

#include <algorithm>

namespace kestrova::kit {
namespace {

using platform::HWND;

bool fillsInnerArea(const PanePlacement& p) {
    return p.left == 0 && p.top == 0 && p.right == 0 && p.bottom == 0;
}

// Percent of the extent (truncated towards zero), then a negative edge
// counts back from the far side.
int32_t resolveEdge(int32_t edge, bool percent, int32_t extent) {
    int64_t at = percent ? int64_t{edge} * extent / 100 : edge;
    if (at < 0) at += extent;
    return static_cast<int32_t>(at);
}

}  // namespace

platform::Rect placementRect(const PanePlacement& p, int32_t width, int32_t height) {
    return {resolveEdge(p.left, p.leftPercent, width), resolveEdge(p.top, p.topPercent, height),
            resolveEdge(p.right, p.rightPercent, width), resolveEdge(p.bottom, p.bottomPercent, height)};
}

void PaneLayout::addTopBar(HWND pane, int32_t height) {
    marginTop_ += height;
    PanePlacement bar;
    bar.right = 100;
    bar.rightPercent = 1;
    bar.bottom = height;
    bar.topBar = 1;
    panes_[pane] = bar;
    relayout();
}

void PaneLayout::addBottomBar(HWND pane, int32_t height) {
    PanePlacement bar;
    bar.top = -(marginBottom_ + height);
    bar.right = 100;
    bar.rightPercent = 1;
    // NOTE: an edge of -0 would be the top of the client area; the lowest
    // bar ends at 100 percent instead.
    if (marginBottom_ == 0) {
        bar.bottom = 100;
        bar.bottomPercent = 1;
    } else {
        bar.bottom = -marginBottom_;
    }
    bar.bottomBar = 1;
    panes_[pane] = bar;
    marginBottom_ += height;
    relayout();
}

void PaneLayout::addFill(HWND pane) {
    panes_[pane] = PanePlacement{};
    relayout();
}

void PaneLayout::insert(HWND pane, const PanePlacement& placement) { panes_[pane] = placement; }

void PaneLayout::remove(HWND pane) {
    auto found = panes_.find(pane);
    if (found == panes_.end()) return;
    const PanePlacement& placement = found->second;
    if (placement.topBar || placement.bottomBar) {
        // NOTE: the bar's height is measured between its resolved edges, so a
        // bar that ends at 100 percent gives back its pixels, not the
        // difference of a pixel edge and a percentage.
        const platform::Rect client = owner_ ? platform::clientRect(owner_) : platform::Rect{};
        const int32_t height = placementRect(placement, client.width(), client.height()).height();
        if (placement.topBar) marginTop_ -= height;
        if (placement.bottomBar) marginBottom_ -= height;
    }
    panes_.erase(found);
}

void PaneLayout::relayout() {
    const platform::Rect client = owner_ ? platform::clientRect(owner_) : platform::Rect{};
    const int32_t width = client.width();
    const int32_t height = client.height();
    const int32_t scrolled = owner_ ? platform::getScrollPos(owner_, platform::SB_VERT) : 0;
    for (const auto& [pane, placement] : panes_) {
        platform::Rect at;
        if (fillsInnerArea(placement)) {
            at = platform::Rect::ofSize(marginLeft_, marginTop_, width - marginLeft_ - marginRight_,
                                        height - marginTop_ - marginBottom_);
        } else {
            at = placementRect(placement, width, height).offset(0, -scrolled);
        }
        platform::moveWindow(pane, at, true);
    }
    rebuildFocusOrder();
}

void PaneLayout::rebuildFocusOrder() {
    struct Stop {
        HWND pane;
        platform::Rect onScreen;
    };
    std::vector<Stop> stops;
    for (const auto& [pane, placement] : panes_)
        if (platform::windowStyle(pane) & platform::WS_TABSTOP)
            stops.push_back({pane, platform::windowRect(pane)});
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
        if (a.onScreen.top != b.onScreen.top) return a.onScreen.top < b.onScreen.top;
        return a.onScreen.left < b.onScreen.left;
    });
    focusOrder_.clear();
    for (const Stop& stop : stops) focusOrder_.push_back(stop.pane);
}

HWND PaneLayout::nextFocus(HWND current, bool backwards) const {
    if (focusOrder_.empty()) return nullptr;
    auto at = std::find(focusOrder_.begin(), focusOrder_.end(), current);
    if (at == focusOrder_.end()) return current;
    auto takes = [](HWND pane) { return platform::isEnabled(pane) && platform::isVisible(pane); };
    if (backwards) {
        auto before = std::find_if(std::make_reverse_iterator(at), focusOrder_.rend(), takes);
        return before == focusOrder_.rend() ? current : *before;
    }
    auto after = std::find_if(std::next(at), focusOrder_.end(), takes);
    return after == focusOrder_.end() ? current : *after;
}

}  // namespace kestrova::kit
