#include "tabs.h"

#include <algorithm>

#include "group_table.h"
#include "kestrova/platform/menu.h"
#include "section_list/row_drawing.h"
#include "tab_strip.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr uint32_t kOverviewTabIcon = 174;

void paintName(DeviceContext& dc, const std::string& name, const Rect& area, const TabLook& look) {
    dc.selectFont(*look.font);
    dc.setTextColour(rowColours::kText);
    dc.drawText(name, area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace

void OverviewTab::paintContent(DeviceContext& dc, const Rect& content, const TabLook& look) const {
    drawCentredIcon(dc, programIcon(kOverviewTabIcon, look.overviewIconSize), content);
}

GroupTab::GroupTab(HGROUP group) : group_(kit::OwnedGroup::share(group)), name_(groupName(group)) {}

int GroupTab::contentWidth(const TabLook& look) const {
    return measureText(*look.font, name_).width;
}

void GroupTab::paintContent(DeviceContext& dc, const Rect& content, const TabLook& look) const {
    paintName(dc, name_, content, look);
}

GroupChooserTab::GroupChooserTab(uint64_t groupId)
    : group_(RY_GetGroup(groupId)), groupId_(groupId), name_(groupName(group_.get())) {}

int GroupChooserTab::contentWidth(const TabLook& look) const {
    return look.chooserIconSize + measureText(*look.font, name_).width;
}

void GroupChooserTab::paintContent(DeviceContext& dc, const Rect& content, const TabLook& look) const {
    Rect cell{content.left, content.top, content.left + look.chooserIconSize, content.bottom};
    drawCentredIcon(dc, programIcon("GROUP", look.chooserIconSize), cell);
    paintName(dc, name_, Rect{cell.right, content.top, content.right, content.bottom}, look);
}

void GroupChooserTab::choose(TabStrip& strip, uint64_t groupId) {
    group_ = kit::OwnedGroup(RY_GetGroup(groupId));
    groupId_ = groupId;
    name_ = groupName(group_.get());
    strip.tabChanged();
}

bool GroupChooserTab::onKey(TabStrip& strip, uint32_t key) {
    if (key == VK_RIGHT) {
        std::vector<uint64_t> ids = chatGroupIds();
        if (ids.empty()) return true;
        auto current = std::find(ids.begin(), ids.end(), groupId_);
        auto next = current == ids.end() || current + 1 == ids.end() ? ids.begin() : current + 1;
        choose(strip, *next);
        return true;
    }
    if (key == VK_RETURN) {
        Rect tab = strip.selectedTabRect();
        chooseFromMenu(strip, clientToScreen(strip.hwnd(), {tab.left, tab.bottom}));
        return true;
    }
    return false;
}

bool GroupChooserTab::onTap(TabStrip& strip, const Rect& tab, Point at) {
    if (at.y < tab.top + tab.height() / 2) return false;
    chooseFromMenu(strip, clientToScreen(strip.hwnd(), {tab.left, tab.bottom}));
    return true;
}

void GroupChooserTab::chooseFromMenu(TabStrip& strip, Point screenPoint) {
    std::vector<uint64_t> ids = chatGroupIds();
    UniqueMenu menu(createPopupMenu());
    // NOTE: entries are numbered by position, not by the group's identifier:
    // a 64-bit identifier does not fit a command, and its low half may be 0.
    for (size_t i = 0; i < ids.size(); ++i) {
        kit::OwnedGroup group(RY_GetGroup(ids[i]));
        appendMenu(menu.get(), MF_STRING | (ids[i] == groupId_ ? MF_CHECKED : 0u), i + 1,
                   groupName(group.get()));
    }
    int command = trackPopupMenu(menu.get(), TPM_RETURNCMD, screenPoint, strip.hwnd());
    menu.reset();
    if (command <= 0 || static_cast<size_t>(command) > ids.size()) return;
    // The table may have changed while the menu was open.
    std::vector<uint64_t> now = chatGroupIds();
    uint64_t chosen = ids[static_cast<size_t>(command) - 1];
    if (std::find(now.begin(), now.end(), chosen) != now.end()) choose(strip, chosen);
}

} // namespace kestrova::shell
