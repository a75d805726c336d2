// TabStrip: a row of tabs over a page. Choosing a tab (Left and Right, a
// tap, or the tab query) tells the listener, which shows the tab's page.
// Its owner gives it the tabs and may give new ones at any time, keeping
// the selected position where it can. The home screen's strip (the
// overview and the groups) and the tabbed screens' (one text tab per page)
// are both this one.
#pragma once

#include <memory>
#include <vector>

#include "kestrova/ui/window_base.h"
#include "tab.h"

namespace kestrova::shell {

class TabStripListener {
  public:
    // The tab at index was chosen, or chosen again (select()).
    virtual void tabChosen(TabStrip& strip, size_t index) = 0;

  protected:
    ~TabStripListener() = default;
};

class TabStrip final : public ui::WindowBase {
  public:
    static std::unique_ptr<TabStrip> create(platform::HWND parent, TabStripListener& listener);
    ~TabStrip() override;

    // Puts these tabs in place of the old ones; the selection is clamped.
    // Nothing is chosen: the caller chooses with select() when it wants.
    void setTabs(std::vector<std::unique_ptr<Tab>> tabs);
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
    explicit TabStrip(TabStripListener& listener);
    TabLook look() const;
    void layOutTabs();
    void showSelectedPage();
    void changeSelection(int index);
    platform::LResult answerQuery(uint32_t message, platform::WParam wParam, platform::LParam lParam);

    TabStripListener& listener_;
    std::vector<std::unique_ptr<Tab>> tabs_;
    std::vector<platform::Rect> rects_;
    int selected_ = 0;
};

} // namespace kestrova::shell
