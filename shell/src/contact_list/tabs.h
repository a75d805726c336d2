// The tabs of the home screen's tab strip: the overview (an icon), a group
// (its name), and the group chooser (an icon and the chosen group's name),
// which picks among the chat groups with Right, Enter or a tap on its lower
// half.
#pragma once

#include <cstdint>
#include <string>

#include "kestrova/kit/handles.h"
#include "kestrova/platform/dc.h"

namespace kestrova::shell {

class TabStrip;

// How the strip draws: its font and the icon sizes that follow from its height.
struct TabLook {
    const platform::Font* font;
    int overviewIconSize;
    int chooserIconSize;
};

class Tab {
  public:
    virtual ~Tab() = default;
    virtual int contentWidth(const TabLook& look) const = 0;
    virtual void paintContent(platform::DeviceContext& dc, const platform::Rect& content,
                              const TabLook& look) const = 0;
    // The group whose page the tab shows; null for the overview.
    virtual HGROUP group() const { return nullptr; }
    // The tab as automation reads it.
    virtual std::string text() const { return {}; }
    // A key or a tap while the tab is selected; true when the tab took it.
    virtual bool onKey(TabStrip&, uint32_t) { return false; }
    virtual bool onTap(TabStrip&, const platform::Rect&, platform::Point) { return false; }
};

class OverviewTab final : public Tab {
  public:
    int contentWidth(const TabLook& look) const override { return look.overviewIconSize; }
    void paintContent(platform::DeviceContext& dc, const platform::Rect& content,
                      const TabLook& look) const override;
};

class GroupTab final : public Tab {
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

class GroupChooserTab final : public Tab {
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
