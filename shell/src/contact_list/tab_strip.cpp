#include "tab_strip.h"

#include <algorithm>

#include "group_table.h"
#include "kestrova/platform/list_box.h"
#include "kestrova/platform/tab_control.h"
#include "kestrova/ui/fonts.h"
#include "section_list/item_queries.h"
#include "section_list/row_drawing.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr Colour kStripTop{226, 231, 239};
constexpr Colour kStripBottom{200, 208, 221};
constexpr Colour kTabFace{236, 239, 244};
constexpr Colour kTabFrame{128, 138, 155};
constexpr Colour kSelectedTab{255, 255, 255};
constexpr int kFirstTabLeft = 1;
constexpr int kTabPadding = 4;
constexpr int kTabGap = 1;
constexpr int kChooserIconSize = 16;

} // namespace

std::unique_ptr<TabStrip> TabStrip::create(HWND parent, bool tabPerGroup, TabStripListener& listener) {
    std::unique_ptr<TabStrip> strip(new TabStrip(tabPerGroup, listener));
    if (!strip->WindowBase::create({}, WS_CHILD | WS_VISIBLE | WS_TABSTOP, Rect{}, parent)) return nullptr;
    strip->groupsChanged_ = kit::subscribe(names::kGroupsChanged, [s = strip.get()] {
        // Keep the position where the strip still has it, and show the page
        // of the tab that stands there now.
        int keep = s->selected_;
        s->fillTabs();
        s->select(std::min(keep, static_cast<int>(s->tabs_.size()) - 1));
    });
    return strip;
}

TabStrip::TabStrip(bool tabPerGroup, TabStripListener& listener)
    : tabPerGroup_(tabPerGroup), listener_(listener) {}

TabStrip::~TabStrip() {
    groupsChanged_.reset();
}

void TabStrip::fillTabs() {
    if (tabPerGroup_)
        fillOnePerGroup();
    else
        fillCompact();
    selected_ = std::clamp(selected_, 0, static_cast<int>(tabs_.size()) - 1);
    layOutTabs();
}

void TabStrip::fillOnePerGroup() {
    tabs_.clear();
    tabs_.push_back(std::make_unique<OverviewTab>());
    for (uint64_t id : groupIds()) {
        kit::OwnedGroup group(RY_GetGroup(id));
        tabs_.push_back(std::make_unique<GroupTab>(group.get()));
    }
}

void TabStrip::fillCompact() {
    // NOTE: the chooser keeps the group the user chose while that group is
    // still there, instead of falling back to the first one on every change.
    std::vector<uint64_t> chatGroups = chatGroupIds();
    uint64_t chosen = chatGroups.empty() ? 0 : chatGroups.front();
    if (tabs_.size() > 2)
        if (auto* chooser = dynamic_cast<const GroupChooserTab*>(tabs_[2].get()))
            if (std::find(chatGroups.begin(), chatGroups.end(), chooser->groupId()) != chatGroups.end())
                chosen = chooser->groupId();
    tabs_.clear();
    tabs_.push_back(std::make_unique<OverviewTab>());
    kit::OwnedGroup contacts(RY_GetGroup(kContactsGroupId));
    tabs_.push_back(std::make_unique<GroupTab>(contacts.get()));
    if (!chatGroups.empty()) tabs_.push_back(std::make_unique<GroupChooserTab>(chosen));
}

TabLook TabStrip::look() const {
    int height = hwnd() ? clientRect(hwnd()).height() : 0;
    return {&ui::normalFont(), height - 4 > 24 ? 22 : 16, kChooserIconSize};
}

void TabStrip::layOutTabs() {
    rects_.clear();
    TabLook tabLook = look();
    int height = hwnd() ? clientRect(hwnd()).height() : 0;
    int x = kFirstTabLeft;
    for (auto& each : tabs_) {
        int width = each->contentWidth(tabLook) + kTabPadding;
        rects_.push_back(Rect{x, 2, x + width, height});
        x += width + kTabGap;
    }
    if (hwnd()) invalidateRect(hwnd(), nullptr, true);
}

void TabStrip::showSelectedPage() {
    if (tabs_.empty()) return;
    if (HGROUP group = tabs_[static_cast<size_t>(selected_)]->group())
        listener_.showGroup(group);
    else
        listener_.showOverview();
}

void TabStrip::select(int index) {
    if (tabs_.empty()) return;
    changeSelection(std::clamp(index, 0, static_cast<int>(tabs_.size()) - 1));
    showSelectedPage();
}

void TabStrip::changeSelection(int index) {
    if (index == selected_) return;
    selected_ = index;
    invalidateRect(hwnd(), nullptr, true);
    notifyTabParent(hwnd(), TCN_SELCHANGE);
}

void TabStrip::tabChanged() {
    layOutTabs();
    showSelectedPage();
}

void TabStrip::onKey(HWND hwnd, uint32_t key, bool down, int, uint32_t) {
    if (!down || tabs_.empty()) return;
    if (tabs_[static_cast<size_t>(selected_)]->onKey(*this, key)) return;
    switch (key) {
    case VK_LEFT:
        if (selected_ > 0) select(selected_ - 1);
        break;
    case VK_RIGHT:
        if (selected_ + 1 < static_cast<int>(tabs_.size())) select(selected_ + 1);
        break;
    case VK_UP:
        postMessage(parentOf(hwnd), WM_NEXTDLGCTL, 1, 0);
        break;
    case VK_DOWN:
        // NOTE: the page below is the only way on from the strip.
        postMessage(parentOf(hwnd), WM_NEXTDLGCTL, 0, 0);
        break;
    default:
        break;
    }
}

void TabStrip::onLeftButtonDown(HWND hwnd, bool, int x, int y, uint32_t) {
    if (focusWindow() != hwnd) setFocus(hwnd);
    for (size_t i = 0; i < rects_.size(); ++i) {
        if (!rects_[i].contains({x, y})) continue;
        if (static_cast<int>(i) != selected_) select(static_cast<int>(i));
        tabs_[i]->onTap(*this, rects_[i], {x, y});
        return;
    }
}

LResult TabStrip::onGetDialogCode(HWND, const Msg*) {
    return DLGC_WANTALLKEYS;
}

void TabStrip::onSetFocus(HWND hwnd, HWND) {
    invalidateRect(hwnd, nullptr, false);
}

void TabStrip::onKillFocus(HWND hwnd, HWND) {
    invalidateRect(hwnd, nullptr, false);
}

LResult TabStrip::onEraseBackground(HWND, DeviceContext*) {
    return 1;
}

void TabStrip::onPaint(HWND hwnd) {
    PaintScope paint(hwnd);
    DeviceContext& dc = paint.dc();
    Rect client = clientRect(hwnd);
    dc.fillGradient(client, kStripTop, kStripBottom, GradientDirection::kVertical);
    dc.drawLine({0, client.bottom - 1}, {client.right, client.bottom - 1}, kTabFrame);
    TabLook tabLook = look();
    bool focused = focusWindow() == hwnd;
    for (size_t i = 0; i < tabs_.size(); ++i) {
        bool selected = static_cast<int>(i) == selected_;
        Rect rect = rects_[i];
        Colour face = selected ? (focused ? rowColours::kSelection : kSelectedTab) : kTabFace;
        dc.fillRect(selected ? rect : Rect{rect.left, rect.top + 1, rect.right, rect.bottom - 1}, face);
        dc.drawLine({rect.left, rect.bottom - 1}, {rect.left, rect.top}, kTabFrame);
        dc.drawLine({rect.left, rect.top}, {rect.right - 1, rect.top}, kTabFrame);
        dc.drawLine({rect.right - 1, rect.top}, {rect.right - 1, rect.bottom - 1}, kTabFrame);
        DeviceContext::ClipGuard clip(dc, rect);
        tabs_[i]->paintContent(dc, rect.inset(kTabPadding / 2, 1), tabLook);
    }
}

// The tab query answers the selected tab; the list box's item queries read
// the tabs' texts (the overview tab has none), for automation.
LResult TabStrip::answerQuery(uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
    case TCM_GETCURSEL:
        return tabs_.empty() ? -1 : selected_;
    case TCM_SETCURSEL: {
        int previous = selected_;
        if (wParam < tabs_.size()) select(static_cast<int>(wParam));
        return previous;
    }
    case LB_GETCOUNT:
        return static_cast<LResult>(tabs_.size());
    case LB_GETTEXTLEN:
    case LB_GETTEXT:
        return answerTextQuery(
            message, wParam < tabs_.size() ? std::optional(tabs_[wParam]->text()) : std::nullopt, lParam);
    default:
        return 0;
    }
}

LResult TabStrip::handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
    case TCM_GETCURSEL:
    case TCM_SETCURSEL:
    case LB_GETCOUNT:
    case LB_GETTEXTLEN:
    case LB_GETTEXT:
        return answerQuery(message, wParam, lParam);
    default:
        return WindowBase::handleMessage(hwnd, message, wParam, lParam);
    }
}

} // namespace kestrova::shell
