// The tabs of the home screen's tab strip: the overview (an icon), a group
// (its name), and the group chooser (an icon and the chosen group's name),
// which picks among the chat groups with Right, Enter or a tap on its lower
// half.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kestrova/kit/handles.h"
#include "tab_strip/tab.h"

namespace kestrova::shell {

// A tab of the home screen: the page it shows is the overview (no group) or
// a group's members.
class HomeTab : public Tab {
  public:
    virtual HGROUP group() const { return nullptr; }
};

// The home screen's tabs from the group table, in one of two kinds chosen by
// "Clist/TabPerGroup": one tab per group, or the compact strip (the
// overview, the contact list and a group chooser). `current` are the tabs
// shown now: the compact chooser keeps its group while it is still there.
std::vector<std::unique_ptr<Tab>> makeHomeTabs(bool tabPerGroup, const TabStrip& current);

class OverviewTab final : public HomeTab {
  public:
    int contentWidth(const TabLook& look) const override { return look.overviewIconSize; }
    void paintContent(platform::DeviceContext& dc, const platform::Rect& content,
                      const TabLook& look) const override;
};

class GroupTab final : public HomeTab {
  public:
    explicit GroupTab(HGROUP group);
    int contentWidth(const TabLook& look) const override;
    void paintContent(platform::DeviceContext& dc, const platform::Rect& content,
                      const TabLook& look) const override;
    HGROUP group() const override { return group_.get(); }
    std::string text() const override { return name_; }

  private:
    kit::OwnedGroup group_;
    std::string name_;
};

class GroupChooserTab final : public HomeTab {
  public:
    explicit GroupChooserTab(uint64_t groupId);
    int contentWidth(const TabLook& look) const override;
    void paintContent(platform::DeviceContext& dc, const platform::Rect& content,
                      const TabLook& look) const override;
    HGROUP group() const override { return group_.get(); }
    uint64_t groupId() const { return groupId_; }
    std::string text() const override { return name_; }
    bool onKey(TabStrip& strip, uint32_t key) override;
    bool onTap(TabStrip& strip, const platform::Rect& tab, platform::Point at) override;

  private:
    void choose(TabStrip& strip, uint64_t groupId);
    void chooseFromMenu(TabStrip& strip, platform::Point screenPoint);

    kit::OwnedGroup group_;
    uint64_t groupId_;
    std::string name_;
};

} // namespace kestrova::shell
