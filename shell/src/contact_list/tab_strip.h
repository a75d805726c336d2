// TabStrip: the row of tabs over the home screen's page. Choosing a tab
// shows its page: the overview, or a group's members. There are two kinds,
// chosen once by the setting "Clist/TabPerGroup": one tab per group, or the
// compact strip (the overview, the contact list and a group chooser). Both
// fill their tabs again when the groups change, keeping the selected
// position where they can.
#pragma once

#include <memory>
#include <vector>

#include "kestrova/kit/bindings.h"
#include "kestrova/ui/window_base.h"
#include "tabs.h"

namespace kestrova::shell {

// What the strip asks for when a tab is chosen.
class TabStripListener {
  public:
    virtual void showOverview() = 0;
    virtual void showGroup(HGROUP group) = 0;

  protected:
    ~TabStripListener() = default;
};

class TabStrip final : public ui::WindowBase {
  public:
    static std::unique_ptr<TabStrip> create(platform::HWND parent, bool tabPerGroup,
                                            TabStripListener& listener);
    ~TabStrip() override;

    // Makes the tabs again from the group table.
    void fillTabs();
    // Selects the tab (clamped) and shows its page, also when it was
    // selected already.
    void select(int index);
    int selectedIndex() const { return selected_; }
    size_t tabCount() const { return tabs_.size(); }
    const Tab& tab(size_t index) const { return *tabs_[index]; }
    platform::Rect tabRect(size_t index) const { return rects_[index]; }
    platform::Rect selectedTabRect() const { return rects_[static_cast<size_t>(selected_)]; }
    // A tab's content changed: lay the tabs out again and show its page.
    void tabChanged();

    platform::LResult handleMessage(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam) override;
    void onPaint(platform::HWND hwnd) override;
    platform::LResult onEraseBackground(platform::HWND hwnd, platform::DeviceContext* dc) override;
    platform::LResult onGetDialogCode(platform::HWND hwnd, const platform::Msg* message) override;
    void onKey(platform::HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) override;
    void onLeftButtonDown(platform::HWND hwnd, bool doubleClick, int x, int y, uint32_t keys) override;
    void onSetFocus(platform::HWND hwnd, platform::HWND oldFocus) override;
    void onKillFocus(platform::HWND hwnd, platform::HWND newFocus) override;

  private:
    TabStrip(bool tabPerGroup, TabStripListener& listener);
    void fillOnePerGroup();
    void fillCompact();
    TabLook look() const;
    void layOutTabs();
    void showSelectedPage();
    void changeSelection(int index);
    platform::LResult answerQuery(uint32_t message, platform::WParam wParam, platform::LParam lParam);

    bool tabPerGroup_;
    TabStripListener& listener_;
    std::vector<std::unique_ptr<Tab>> tabs_;
    std::vector<platform::Rect> rects_;
    int selected_ = 0;
    kit::Subscription groupsChanged_;
};

} // namespace kestrova::shell
